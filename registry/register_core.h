// RegisterCore (component 1140): the engine behind the register front. It turns a parent and a
// sub-key into one lower-cased key path, routes every handle to the key table of the kind in
// its top two bits (one table per kind, made on first use), and owns the storage provider.
#ifndef PELOK_REGISTRY_REGISTER_CORE_H_
#define PELOK_REGISTRY_REGISTER_CORE_H_

#include <cstdint>
#include <map>

#include "framework/component_base.h"
#include "framework/component_record.h"
#include "registry/registry_interfaces.h"
#include "registry/root_names.h"

namespace pelok {

class RegisterCore final
    : public Component<IRegisterCore, component_id::kRegisterCore, 0, &IRegisterCore::Shutdown> {
 public:
  RegisterCore();

  // 1 when the path reached the provider; 0 for null and for a path of 260 characters or more,
  // which the provider could not keep.
  int SetStoreFile(const char* path) override;
  // Opens parent/sub_key in the table of key_kind, creating it when it is not open there.
  // *out_disposition: 1 created, 2 was open (may be null). A null out_key is refused.
  int CreateKey(uint32_t parent, const char* sub_key, int key_kind, int reserved, uint32_t* out_key,
                int* out_disposition) override;
  int DeleteKey(uint32_t key) override;
  // Finds a key open in the table of key_kind; *out_key receives the look-up's result.
  int OpenKey(uint32_t parent, const char* sub_key, int key_kind, int reserved,
              uint32_t* out_key) override;
  int CloseKey(uint32_t key) override;
  int ReleaseKey(uint32_t key) override;
  int QueryValue(uint32_t key, const char* name, int* type, void* data, int* size) override;
  int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type, void* data,
                int* size) override;
  int SetValue(uint32_t key, const char* name, int type, const void* data, int size) override;
  int HasValue(uint32_t key, const char* name) override;
  int DeleteValue(uint32_t key, const char* name) override;
  int GetKeyName(uint32_t key, char* buf, int len) override;
  int EnumKey(uint32_t key, int index, char* buf, int len) override;
  // Flushes the tables of kinds 2 and 3 in that order, stopping at the first failure.
  int Flush() override;
  // Closes every open key and gives back every table; the registry then works as new.
  void CloseAllKeys() override;
  // The destroy hook: closes all keys, then releases the provider.
  void Shutdown() override;

 private:
  enum class Removal { kClose, kRelease, kDelete };

  // Builds the path of parent/sub_key into path and returns the table of its kind; null when
  // the path cannot be built or the kind has no table.
  IKeyTable* ResolveKey(uint32_t parent, const char* sub_key, int key_kind,
                        char (&path)[kPathBufferSize]);
  int BuildKeyPath(uint32_t parent, const char* sub_key, char* buf, int len);
  // The table of a kind, made through the provider on first use; null for kinds without one.
  IKeyTable* TableForKind(int key_kind);
  int RemoveKey(uint32_t key, Removal removal);

  ComponentRecord record_{kComponentId};
  std::map<int, IKeyTable*> tables_;
  IStorageProvider* provider_ = nullptr;
};

}  // namespace pelok

#endif  // PELOK_REGISTRY_REGISTER_CORE_H_

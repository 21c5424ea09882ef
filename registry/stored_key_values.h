// StoredKeyValues (component 1135): the value set of one open key of kind 2 or 3. It holds no
// values itself: every operation goes to the persistent store (component 1139) with the key's
// path first. The store is borrowed from the storage provider, which outlives this object.
#ifndef PELOK_REGISTRY_STORED_KEY_VALUES_H_
#define PELOK_REGISTRY_STORED_KEY_VALUES_H_

#include "framework/component_base.h"
#include "framework/component_record.h"
#include "registry/registry_interfaces.h"
#include "registry/root_names.h"

namespace pelok {

class StoredKeyValues final : public Component<IStoredKeyValues, component_id::kStoredKeyValues, 0,
                                               &IStoredKeyValues::DetachStore> {
 public:
  StoredKeyValues() = default;

  // Records the path (left empty when it has 260 characters or more) and, with a store
  // attached, creates it in the store. 0 for a null path.
  int SetKeyPath(const char* key_path) override;
  int GetKeyPath(char* buf, int len) override;
  // Every operation below returns 0 while no store is attached. Sizes above INT32_MAX (negative
  // numbers on the public interface) are refused before the store is asked.
  int SetValue(const char* name, int type, const void* data, unsigned size) override;
  // The store counts value positions from 1. The name is written to name_buf (when it fits)
  // even when the position holds no value, as an empty name.
  int EnumValue(int index, char* name_buf, int name_len, int* type, void* data,
                unsigned* size) override;
  int QueryValue(const char* name, int* type, void* data, unsigned* size) override;
  int DeleteValue(const char* name) override;
  int HasValue(const char* name) override;
  // Removes the key's element, with everything below it, from the store.
  int DeleteKey() override;
  // Writes the whole store file (every stored key shares the one store).
  int Flush() override;
  // Replaces the store; with a store and a path already set, creates the path in it.
  void AttachStore(IRegisterStore* store) override;
  // The destroy hook: forgets the store without releasing it.
  void DetachStore() override;

 private:
  int QueryStore(const char* name, int* type, void* data, unsigned* size);

  ComponentRecord record_{kComponentId};
  IRegisterStore* store_ = nullptr;
  char key_path_[kPathBufferSize] = {};
};

}  // namespace pelok

#endif  // PELOK_REGISTRY_STORED_KEY_VALUES_H_

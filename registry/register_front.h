// RegisterFront (component 991): the registry as host programs obtain it, one instance per
// module. It forwards every operation to the register core (component 1140) and adds the three
// typed query shortcuts and the refusal of a null sub-key on key creation.
#ifndef PELOK_REGISTRY_REGISTER_FRONT_H_
#define PELOK_REGISTRY_REGISTER_FRONT_H_

#include <cstdint>

#include "framework/component_base.h"
#include "framework/component_record.h"
#include "pelok/register_front.h"
#include "registry/registry_interfaces.h"

namespace pelok {

class RegisterFront final : public Component<IRegisterFront, component_id::kRegisterFront, 1,
                                             &IRegisterFront::ReleaseCore> {
 public:
  RegisterFront();

  // Every operation returns 0 (or does nothing) when the core could not be obtained.
  int SetStoreFile(const char* path) override;
  int CreateKey(uint32_t parent, const char* sub_key, int key_kind, int reserved, uint32_t* out_key,
                int* out_disposition) override;
  int DeleteKey(uint32_t key) override;
  int OpenKey(uint32_t parent, const char* sub_key, int key_kind, int reserved,
              uint32_t* out_key) override;
  int CloseKey(uint32_t key) override;
  int ReleaseKey(uint32_t key) override;
  int QueryValue(uint32_t key, const char* name, int* type, void* data, int* size) override;
  int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type, void* data,
                int* size) override;
  int SetValue(uint32_t key, const char* name, int type, const void* data, int size) override;
  int HasValue(uint32_t key, const char* name) override;
  int GetKeyName(uint32_t key, char* buf, int len) override;
  // The shortcuts ask QueryValue for the type they name; the stored type is not reported.
  int QueryStringValue(uint32_t key, const char* name, char* data, int* size) override;
  // Reads 4 bytes into *value.
  int QueryIntValue(uint32_t key, const char* name, int* value) override;
  int QueryBinaryValue(uint32_t key, const char* name, void* data, int* size) override;
  int DeleteValue(uint32_t key, const char* name) override;
  int EnumKey(uint32_t key, int index, char* buf, int len) override;
  int Flush() override;
  void CloseAllKeys() override;
  // The destroy hook: gives the core back.
  void ReleaseCore() override;

  // A forced destruction also takes the instance out of the singleton slot at once, so that no
  // later creation hands out an instance on its way out.
  void Destroy(int force) override;

 private:
  using Base =
      Component<IRegisterFront, component_id::kRegisterFront, 1, &IRegisterFront::ReleaseCore>;

  ComponentRecord record_{kComponentId};
  IRegisterCore* core_ = nullptr;
};

// The factory callback of component 991: the module's one instance, built on first use and
// registered with the factory component; later calls return the same instance until it is
// destroyed. Safe to call from several threads at once.
IComponent* CreateRegisterFront();

}  // namespace pelok

#endif  // PELOK_REGISTRY_REGISTER_FRONT_H_

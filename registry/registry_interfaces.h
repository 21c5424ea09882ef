// The interfaces of the registry's inner components, in slot order after the five IComponent
// slots. Each ends with the component's destroy hook and the shared GetDllRegistryPath.
#ifndef PELOK_REGISTRY_REGISTRY_INTERFACES_H_
#define PELOK_REGISTRY_REGISTRY_INTERFACES_H_

#include <cstdint>

#include "pelok/component.h"
#include "store/register_store.h"

namespace pelok {

// Slots 5-13: the value set of one open key. Sizes are unsigned byte counts; a capacity is
// passed in *size and the stored size comes back in it.
struct IKeyValues : IComponent {
  virtual int SetKeyPath(const char* key_path) = 0;
  virtual int GetKeyPath(char* buf, int len) = 0;
  virtual int SetValue(const char* name, int type, const void* data, unsigned size) = 0;
  virtual int EnumValue(int index, char* name_buf, int name_len, int* type, void* data,
                        unsigned* size) = 0;
  virtual int QueryValue(const char* name, int* type, void* data, unsigned* size) = 0;
  virtual int DeleteValue(const char* name) = 0;
  virtual int HasValue(const char* name) = 0;
  virtual int DeleteKey() = 0;
  virtual int Flush() = 0;
};

// Component 1134.
struct IMemoryKeyValues : IKeyValues {
  virtual void ClearValues() = 0;  // the destroy hook
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

// Component 1135.
struct IStoredKeyValues : IKeyValues {
  virtual void AttachStore(IRegisterStore* store) = 0;
  virtual void DetachStore() = 0;  // the destroy hook
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

// Components 1136, 1137 and 1138: the keys of one kind that are open.
struct IKeyTable : IComponent {
  virtual uint32_t AddKey(const char* key_path, IKeyValues* values) = 0;
  virtual IKeyValues* GetFirstKey(uint32_t* out_key) = 0;
  virtual IKeyValues* GetNextKey(uint32_t* out_key) = 0;
  virtual int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                        void* data, int* size) = 0;
  virtual int QueryValue(uint32_t key, const char* name, int* type, void* data, int* size) = 0;
  virtual int SetValue(uint32_t key, const char* name, int type, const void* data, int size) = 0;
  virtual int HasValue(uint32_t key, const char* name) = 0;
  virtual int DeleteValue(uint32_t key, const char* name) = 0;
  virtual IKeyValues* ReleaseKey(uint32_t key) = 0;
  virtual IKeyValues* CloseKey(uint32_t key) = 0;
  virtual IKeyValues* DeleteKey(uint32_t key) = 0;
  virtual int GetKeyName(uint32_t key, char* buf, int len) = 0;
  virtual uint32_t FindKey(const char* key_path) = 0;
  virtual int EnumKey(uint32_t key, int index, char* buf, int len) = 0;
  virtual int Flush() = 0;
  virtual void DestroyHook() = 0;
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

// Component 1152: makes key tables, value sets and the store, and takes them back.
struct IStorageProvider : IComponent {
  virtual void SetStoreFile(const char* path) = 0;
  virtual int OpenKeyValues(int key_kind, const char* key_path, IKeyValues** out) = 0;
  virtual void ReleaseKeyValues(IKeyValues** values) = 0;
  virtual int CreateKeyTable(int key_kind, IKeyTable** out) = 0;
  virtual void ReleaseKeyTable(IKeyTable** table) = 0;
  virtual void ReleaseStore() = 0;  // the destroy hook
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

// Component 1140: resolves key paths, routes handles by kind, owns the provider.
struct IRegisterCore : IComponent {
  virtual int SetStoreFile(const char* path) = 0;
  virtual int CreateKey(uint32_t parent, const char* sub_key, int key_kind, int reserved,
                        uint32_t* out_key, int* out_disposition) = 0;
  virtual int DeleteKey(uint32_t key) = 0;
  virtual int OpenKey(uint32_t parent, const char* sub_key, int key_kind, int reserved,
                      uint32_t* out_key) = 0;
  virtual int CloseKey(uint32_t key) = 0;
  virtual int ReleaseKey(uint32_t key) = 0;
  virtual int QueryValue(uint32_t key, const char* name, int* type, void* data, int* size) = 0;
  virtual int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                        void* data, int* size) = 0;
  virtual int SetValue(uint32_t key, const char* name, int type, const void* data, int size) = 0;
  virtual int HasValue(uint32_t key, const char* name) = 0;
  virtual int DeleteValue(uint32_t key, const char* name) = 0;
  virtual int GetKeyName(uint32_t key, char* buf, int len) = 0;
  virtual int EnumKey(uint32_t key, int index, char* buf, int len) = 0;
  virtual int Flush() = 0;
  virtual void CloseAllKeys() = 0;
  virtual void Shutdown() = 0;  // the destroy hook
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

}  // namespace pelok

#endif  // PELOK_REGISTRY_REGISTRY_INTERFACES_H_

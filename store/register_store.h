// IRegisterStore: the persistent store of keys of kinds 2 and 3 (component 1139). Every key
// operation takes the key's full path ("share/app/net") first.
#ifndef PELOK_STORE_REGISTER_STORE_H_
#define PELOK_STORE_REGISTER_STORE_H_

#include "pelok/component.h"

namespace pelok {

struct IRegisterStore : IComponent {
  virtual int OpenStoreFile(const char* file_name) = 0;
  virtual int CreateKeyPath(const char* key_path) = 0;
  virtual int SetValue(const char* key_path, const char* name, int type, const void* data,
                       unsigned size) = 0;
  virtual int QueryValue(const char* key_path, const char* name, int* type, void* data,
                         unsigned* size) = 0;
  virtual int HasValue(const char* key_path, const char* name) = 0;
  virtual int DeleteValue(const char* key_path, const char* name) = 0;
  virtual int DeleteKey(const char* key_path) = 0;
  virtual int GetChildName(const char* key_path, int index, char* buf, int len) = 0;
  virtual int GetValueName(const char* key_path, int index, char* buf, int len) = 0;
  virtual int Save() = 0;
  virtual void CloseStore() = 0;  // the destroy hook
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

}  // namespace pelok

#endif  // PELOK_STORE_REGISTER_STORE_H_

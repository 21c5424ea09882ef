// IRegisterFront: the registry as a host program uses it (component 991, a singleton).
//
// Results are 1 for success and 0 for failure. Handles are unsigned 32-bit; a root code
// (pelok::root) stands for the root of its kind when its top two bits carry the kind.
// Sizes are in bytes: a query writes the stored size back whenever it finds the value, so a
// caller whose buffer was too small learns the size it needs.
#ifndef PELOK_REGISTER_FRONT_H_
#define PELOK_REGISTER_FRONT_H_

#include <cstdint>

#include "pelok/component.h"

namespace pelok {

struct IRegisterFront : IComponent {
  // Sets the store file; only effective before the first key of kind 2 or 3 is opened.
  virtual int SetStoreFile(const char* path) = 0;
  // Opens parent/subKey, creating it if it is not open. Disposition: 1 created, 2 was open.
  virtual int CreateKey(uint32_t parent, const char* sub_key, int key_kind, int reserved,
                        uint32_t* out_key, int* out_disposition) = 0;
  // Takes the key out of its table and deletes its stored data (the element and all below).
  virtual int DeleteKey(uint32_t key) = 0;
  // Finds a key that is open in this process (never looks into the store file).
  virtual int OpenKey(uint32_t parent, const char* sub_key, int key_kind, int reserved,
                      uint32_t* out_key) = 0;
  virtual int CloseKey(uint32_t key) = 0;
  virtual int ReleaseKey(uint32_t key) = 0;
  // In: *size is the capacity of data. Out: *type, *size and data.
  virtual int QueryValue(uint32_t key, const char* name, int* type, void* data, int* size) = 0;
  virtual int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                        void* data, int* size) = 0;
  virtual int SetValue(uint32_t key, const char* name, int type, const void* data,
                       int size) = 0;
  virtual int HasValue(uint32_t key, const char* name) = 0;
  // Copies the key's full path (root name first, lower-cased) into buf.
  virtual int GetKeyName(uint32_t key, char* buf, int len) = 0;
  virtual int QueryStringValue(uint32_t key, const char* name, char* data, int* size) = 0;
  virtual int QueryIntValue(uint32_t key, const char* name, int* value) = 0;
  virtual int QueryBinaryValue(uint32_t key, const char* name, void* data, int* size) = 0;
  virtual int DeleteValue(uint32_t key, const char* name) = 0;
  // The index-th key open below key, at any depth, in path order, as its full path.
  virtual int EnumKey(uint32_t key, int index, char* buf, int len) = 0;
  // Writes the store file.
  virtual int Flush() = 0;
  virtual void CloseAllKeys() = 0;
  // Slot 23: the destroy hook; a host program does not call it.
  virtual void ReleaseCore() = 0;
  // Slot 24: copies preferred (when non-empty) or the module's DLL registry path into buf.
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

}  // namespace pelok

#endif  // PELOK_REGISTER_FRONT_H_

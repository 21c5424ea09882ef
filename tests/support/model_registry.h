// The reference model of the registry behind the front component (991): open-key tables of the
// three kinds with their handles, in-memory values, and the stored values kept in a StoreModel,
// with the store files as last written. Every operation takes the arguments of the front's
// operation of the same name and gives the result and outputs the registry is meant to give,
// with the module's own choices: memory values enumerate from index 0 and
// stored ones from 1; testing a memory value empties it; a number read into fewer than 4 bytes
// gives 0 with the size 4; negative sizes are refused; a store file path of 260 characters or
// more is refused; names that are not XML names are refused for stored keys.
#ifndef PELOK_TESTS_MODEL_REGISTRY_H_
#define PELOK_TESTS_MODEL_REGISTRY_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/model_store.h"

namespace pelok {
namespace model {

// How many leading bytes of a data buffer an operation's outputs fix; the bytes after them up
// to the capacity may hold anything, those past the capacity must be untouched.
struct DataOutput {
  bool all = true;  // every byte up to the capacity is fixed by the model
  unsigned fixed = 0;
};

class RegistryModel {
 public:
  int SetStoreFile(const char* path);
  int CreateKey(uint32_t parent, const char* sub_key, int kind, uint32_t* out_key,
                int* out_disposition);
  int OpenKey(uint32_t parent, const char* sub_key, int kind, uint32_t* out_key);
  int CloseKey(uint32_t key) { return RemoveKey(key, false); }
  int ReleaseKey(uint32_t key) { return RemoveKey(key, false); }
  int DeleteKey(uint32_t key) { return RemoveKey(key, true); }
  int QueryValue(uint32_t key, const char* name, int* type, void* data, int* size,
                 DataOutput* output);
  int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type, void* data,
                int* size, DataOutput* output);
  int SetValue(uint32_t key, const char* name, int type, const void* data, int size);
  int HasValue(uint32_t key, const char* name);
  int DeleteValue(uint32_t key, const char* name);
  int GetKeyName(uint32_t key, char* buf, int len);
  int EnumKey(uint32_t key, int index, char* buf, int len);
  int Flush();
  void CloseAllKeys();
  // The front destroyed (which writes the store file) and a new one created.
  void Restart();

  // For choosing arguments: the open handles of every kind, the stored size of a value (or
  // -1), the number of values of a key, and what the store files hold.
  std::vector<uint32_t> OpenHandles() const;
  int StoredSize(uint32_t key, const char* name) const;
  int ValueCount(uint32_t key) const;
  const std::map<std::string, Element>& files() const { return files_; }
  // The store file the store was opened on, or "" when none is open.
  std::string OpenStoreFile() const { return store_.open() ? store_file_ : std::string(); }
  bool store_exists() const { return store_exists_; }

 private:
  struct MemoryValue {
    int type = 0;
    unsigned size = 0;
    std::string bytes;  // the content; for type 2 the 4 bytes of the number
  };
  struct Key {
    std::string path;
    std::map<std::string, MemoryValue> values;  // kind 1 only
  };
  struct Table {
    std::map<std::string, uint32_t> paths;
    std::map<uint32_t, Key> keys;
    uint32_t counter = 0;
  };

  Table* TableForKind(int kind);
  Key* FindKey(uint32_t key);
  int RemoveKey(uint32_t key, bool delete_data);
  int BuildKeyPath(uint32_t parent, const char* sub_key, std::string* path);
  // The value set of a new key: 1 when its key path is in place (stored kinds).
  int OpenKeyValues(int kind, const std::string& path);
  void EnsureStore();
  void Save();

  int ReadMemoryValue(const MemoryValue& value, int* type, void* data, unsigned* size);
  int QueryStored(const Key& key, const char* name, int* type, void* data, unsigned* size,
                  DataOutput* output);

  std::map<int, Table> tables_;
  StoreModel store_;
  bool store_exists_ = false;
  std::string pending_store_file_;
  std::string store_file_;
  // What each store file holds, as last written.
  std::map<std::string, Element> files_;
};

}  // namespace model
}  // namespace pelok

#endif  // PELOK_TESTS_MODEL_REGISTRY_H_

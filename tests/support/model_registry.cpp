#include "tests/support/model_registry.h"

#include <climits>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace pelok {
namespace model {

namespace {

constexpr size_t kPathLimit = 260;

const char* RootName(uint32_t code) {
  switch (code & 0x3fffffffu) {
    case 0x3ffffff1u:
      return "root";
    case 0x3ffffff2u:
      return "pelok";
    case 0x3ffffff3u:
      return "share";
    case 0x3ffffff4u:
      return "user";
    case 0x3ffffff5u:
      return "winreg";
    default:
      return nullptr;
  }
}

int KindOf(uint32_t key) { return static_cast<int>(key >> 30); }

// The guarded copy: only a text that fits with its terminator is copied.
int CopyText(char* buf, int len, const std::string& text) {
  if (buf == nullptr || len <= 0 || text.size() >= static_cast<size_t>(len)) return 0;
  std::memcpy(buf, text.c_str(), text.size() + 1);
  return 1;
}

// ASCII letters lower-cased; on Windows the byte after a lead byte of the ANSI code page belongs
// to its double-byte character and stays.
std::string LowerCase(std::string text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char& c = text[i];
#if defined(_WIN32)
    if (IsDBCSLeadByte(static_cast<BYTE>(c))) {
      ++i;
      continue;
    }
#endif
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsNegative(const int* size) { return size != nullptr && *size < 0; }

}  // namespace

RegistryModel::Table* RegistryModel::TableForKind(int kind) {
  if (kind < 1 || kind > 3) return nullptr;
  return &tables_[kind];
}

RegistryModel::Key* RegistryModel::FindKey(uint32_t key) {
  Table* table = TableForKind(KindOf(key));
  if (table == nullptr) return nullptr;
  const auto found = table->keys.find(key);
  return found != table->keys.end() ? &found->second : nullptr;
}

int RegistryModel::SetStoreFile(const char* path) {
  if (path == nullptr || std::strlen(path) >= kPathLimit) return 0;
  pending_store_file_ = path;
  return 1;
}

int RegistryModel::BuildKeyPath(uint32_t parent, const char* sub_key, std::string* path) {
  if (parent == 0 || sub_key == nullptr) return 0;
  char name[kPathLimit] = {};
  if (!GetKeyName(parent, name, kPathLimit)) return 0;
  std::string built = name;
  if (built.size() + 1 >= kPathLimit) return 0;
  built += "/";
  if (built.size() + std::strlen(sub_key) >= kPathLimit) return 0;
  *path = LowerCase(built + sub_key);
  return 1;
}

void RegistryModel::EnsureStore() {
  if (store_exists_) return;
  store_exists_ = true;
  if (pending_store_file_.empty()) return;
  store_file_ = pending_store_file_;
  auto file = files_.find(store_file_);
  if (file == files_.end()) file = files_.emplace(store_file_, NewStoreDocument()).first;
  store_.Open(file->second);
}

void RegistryModel::Save() {
  if (store_.open()) files_[store_file_] = store_.document();
}

int RegistryModel::OpenKeyValues(int kind, const std::string& path) {
  if (kind == 1) return 1;
  EnsureStore();
  if (!store_.open()) return 0;
  const int created = store_.CreateKeyPath(path);
  Save();
  return created;
}

int RegistryModel::CreateKey(uint32_t parent, const char* sub_key, int kind, uint32_t* out_key,
                             int* out_disposition) {
  std::string path;
  if (!BuildKeyPath(parent, sub_key, &path)) return 0;
  Table* table = TableForKind(kind);
  if (table == nullptr) return 0;
  const auto open = table->paths.find(path);
  *out_key = open != table->paths.end() ? open->second : 0;
  if (*out_key != 0) {
    *out_disposition = 2;
    return 1;
  }
  if (!OpenKeyValues(kind, path)) return 0;
  ++table->counter;
  const uint32_t handle = (table->counter & 0x3fffffffu) | (static_cast<uint32_t>(kind) << 30);
  table->paths[path] = handle;
  table->keys[handle].path = path;
  *out_key = handle;
  *out_disposition = 1;
  return 1;
}

int RegistryModel::OpenKey(uint32_t parent, const char* sub_key, int kind, uint32_t* out_key) {
  std::string path;
  if (!BuildKeyPath(parent, sub_key, &path)) return 0;
  Table* table = TableForKind(kind);
  if (table == nullptr) return 0;
  const auto open = table->paths.find(path);
  *out_key = open != table->paths.end() ? open->second : 0;
  return *out_key != 0 ? 1 : 0;
}

int RegistryModel::RemoveKey(uint32_t key, bool delete_data) {
  Table* table = TableForKind(KindOf(key));
  if (table == nullptr) return 0;
  for (auto entry = table->paths.begin(); entry != table->paths.end(); ++entry) {
    if (entry->second == key) {
      table->paths.erase(entry);
      break;
    }
  }
  const auto found = table->keys.find(key);
  if (found == table->keys.end()) return 0;
  if (delete_data && KindOf(key) != 1) store_.DeleteKey(found->second.path);
  table->keys.erase(found);
  return 1;
}

int RegistryModel::ReadMemoryValue(const MemoryValue& value, int* type, void* data,
                                   unsigned* size) {
  const unsigned capacity = *size;
  *size = value.size;
  if (value.size > capacity) return 0;
  if (value.type == 2) {
    if (capacity < 4) {
      *size = 4;
      return 0;
    }
    std::memcpy(data, value.bytes.data(), 4);
  } else if (value.size > 0) {
    std::memcpy(data, value.bytes.data(), value.size);
  }
  *type = value.type;
  return 1;
}

int RegistryModel::QueryStored(const Key& key, const char* name, int* type, void* data,
                               unsigned* size, DataOutput* output) {
  unsigned fixed = 0;
  const int result = store_.QueryValue(key.path, name, type, data, size, &fixed);
  output->all = result == 0 && fixed == 0;
  output->fixed = fixed;
  return result;
}

int RegistryModel::QueryValue(uint32_t key, const char* name, int* type, void* data, int* size,
                              DataOutput* output) {
  *output = DataOutput();
  Key* found = FindKey(key);
  if (found == nullptr || IsNegative(size)) return 0;
  unsigned* const capacity = reinterpret_cast<unsigned*>(size);
  if (KindOf(key) != 1) return QueryStored(*found, name, type, data, capacity, output);
  if (name == nullptr || data == nullptr || type == nullptr || size == nullptr || *size == 0) {
    return 0;
  }
  const auto value = found->values.find(name);
  if (value == found->values.end()) return 0;
  return ReadMemoryValue(value->second, type, data, capacity);
}

int RegistryModel::EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                             void* data, int* size, DataOutput* output) {
  *output = DataOutput();
  Key* found = FindKey(key);
  if (found == nullptr || IsNegative(size)) return 0;
  unsigned* const capacity = reinterpret_cast<unsigned*>(size);
  if (KindOf(key) == 1) {
    if (data == nullptr || type == nullptr || size == nullptr || *size == 0 || index < 0) return 0;
    if (static_cast<size_t>(index) >= found->values.size()) return 0;
    auto entry = found->values.begin();
    std::advance(entry, index);
    const int read = ReadMemoryValue(entry->second, type, data, capacity);
    if (name_buf == nullptr || read == 0) return read;
    return CopyText(name_buf, name_len, entry->first);
  }
  char name[kPathLimit] = {};
  const int named = store_.GetValueName(found->path, index, name, kPathLimit);
  if (name_buf != nullptr) CopyText(name_buf, name_len, name);
  if (!named) return 0;
  return QueryStored(*found, name, type, data, capacity, output) != 0 ? 1 : 0;
}

int RegistryModel::SetValue(uint32_t key, const char* name, int type, const void* data, int size) {
  Key* found = FindKey(key);
  if (found == nullptr || size < 0) return 0;
  if (KindOf(key) != 1) {
    uint32_t number = 0;
    if (type == 2 && data != nullptr && size > 0 && size < 4) {
      std::memcpy(&number, data, static_cast<size_t>(size));
      data = &number;
    }
    return store_.SetValue(found->path, name, type, data, static_cast<unsigned>(size));
  }
  if (name == nullptr || data == nullptr || size == 0) return 0;
  MemoryValue value;
  value.type = type;
  value.size = static_cast<unsigned>(size);
  if (type == 2) {
    uint32_t number = 0;
    std::memcpy(&number, data, size < 4 ? static_cast<size_t>(size) : 4);
    value.bytes.assign(reinterpret_cast<const char*>(&number), 4);
  } else {
    value.bytes.assign(static_cast<const char*>(data), static_cast<size_t>(size));
  }
  found->values[name] = value;
  return 1;
}

int RegistryModel::HasValue(uint32_t key, const char* name) {
  Key* found = FindKey(key);
  if (found == nullptr || name == nullptr) return 0;
  if (KindOf(key) != 1) return store_.HasValue(found->path, name);
  const auto value = found->values.find(name);
  if (value == found->values.end()) return 0;
  value->second = MemoryValue();
  return 1;
}

int RegistryModel::DeleteValue(uint32_t key, const char* name) {
  Key* found = FindKey(key);
  if (found == nullptr || name == nullptr) return 0;
  if (KindOf(key) != 1) return store_.DeleteValue(found->path, name);
  return found->values.erase(name) != 0 ? 1 : 0;
}

int RegistryModel::GetKeyName(uint32_t key, char* buf, int len) {
  const char* root = RootName(key);
  if (root != nullptr && CopyText(buf, len, root)) return 1;
  Key* found = FindKey(key);
  return found != nullptr ? CopyText(buf, len, found->path) : 0;
}

int RegistryModel::EnumKey(uint32_t key, int index, char* buf, int len) {
  Table* table = TableForKind(KindOf(key));
  if (table == nullptr || buf == nullptr || len <= 0) return 0;
  std::string name;
  if (const char* root = RootName(key)) {
    name = root;
  } else {
    const auto found = table->keys.find(key);
    if (found == table->keys.end()) return 0;
    name = found->second.path;
  }
  const std::string prefix = name.size() + 1 < kPathLimit ? name + "/" : name;
  if (index < 0) return 0;
  for (auto entry = table->paths.lower_bound(prefix); entry != table->paths.end(); ++entry) {
    if (entry->first.compare(0, prefix.size(), prefix) != 0) return 0;
    if (index == 0) return CopyText(buf, len, entry->first);
    --index;
  }
  return 0;
}

int RegistryModel::Flush() {
  for (const auto& entry : tables_) {
    if (entry.first == 1) continue;
    if (entry.second.keys.empty() || !store_.open()) return 0;
    Save();
  }
  return 1;
}

void RegistryModel::CloseAllKeys() { tables_.clear(); }

void RegistryModel::Restart() {
  CloseAllKeys();
  Save();
  store_.Close();
  store_exists_ = false;
  pending_store_file_.clear();
  store_file_.clear();
}

std::vector<uint32_t> RegistryModel::OpenHandles() const {
  std::vector<uint32_t> handles;
  for (const auto& table : tables_) {
    for (const auto& key : table.second.keys) handles.push_back(key.first);
  }
  return handles;
}

int RegistryModel::StoredSize(uint32_t key, const char* name) const {
  const auto table = tables_.find(KindOf(key));
  if (table == tables_.end() || name == nullptr) return -1;
  const auto found = table->second.keys.find(key);
  if (found == table->second.keys.end()) return -1;
  if (KindOf(key) == 1) {
    const auto value = found->second.values.find(name);
    return value == found->second.values.end() ? -1 : static_cast<int>(value->second.size);
  }
  const Element* value = const_cast<StoreModel&>(store_).FindValue(found->second.path, name);
  if (value == nullptr) return -1;
  const auto size = value->attributes.find("size");
  return size == value->attributes.end() ? -1 : ParseInt(size->second);
}

int RegistryModel::ValueCount(uint32_t key) const {
  const auto table = tables_.find(KindOf(key));
  if (table == tables_.end()) return 0;
  const auto found = table->second.keys.find(key);
  if (found == table->second.keys.end()) return 0;
  if (KindOf(key) == 1) return static_cast<int>(found->second.values.size());
  std::vector<std::string> parts;
  int count = 0;
  for (int index = 1;; ++index) {
    char name[kPathLimit];
    if (!const_cast<StoreModel&>(store_).GetValueName(found->second.path, index, name,
                                                      kPathLimit)) {
      return count;
    }
    ++count;
  }
}

}  // namespace model
}  // namespace pelok

#include "registry/register_core.h"

#include "registry/root_names.h"
#include "util/bounded_string.h"

namespace pelok {

RegisterCore::RegisterCore() {
  try {
    CreateChildAs(&provider_, component_id::kStorageProvider);
  } catch (...) {
    // Without a provider every operation that needs one returns 0.
  }
}

int RegisterCore::SetStoreFile(const char* path) {
  auto guard = Guard();
  if (path == nullptr || provider_ == nullptr) return 0;
  // The provider drops a path that does not fit its buffer; saying 1 then would leave the
  // caller's values to go to another file (or none) while it believes its own was set.
  if (!FitsIn(path, kPathBufferSize)) return 0;
  provider_->SetStoreFile(path);
  return 1;
}

int RegisterCore::CreateKey(uint32_t parent, const char* sub_key, int key_kind, int /*reserved*/,
                            uint32_t* out_key, int* out_disposition) {
  auto guard = Guard();
  // A key created for a caller that cannot receive its handle could never be closed.
  if (out_key == nullptr) return 0;
  char path[kPathBufferSize] = {};
  IKeyTable* const table = ResolveKey(parent, sub_key, key_kind, path);
  if (table == nullptr) return 0;
  uint32_t handle = table->FindKey(path);
  *out_key = handle;
  if (handle != 0) {
    if (out_disposition != nullptr) *out_disposition = disposition::kOpenedExisting;
    return 1;
  }
  if (provider_ == nullptr) return 0;
  IKeyValues* values = nullptr;
  provider_->OpenKeyValues(key_kind, path, &values);
  if (values == nullptr) return 0;
  handle = table->AddKey(path, values);
  *out_key = handle;
  if (handle == 0) {
    // The table could not file it: give the value set back instead of losing it.
    provider_->ReleaseKeyValues(&values);
    return 0;
  }
  if (out_disposition != nullptr) *out_disposition = disposition::kCreated;
  return 1;
}

int RegisterCore::OpenKey(uint32_t parent, const char* sub_key, int key_kind, int /*reserved*/,
                          uint32_t* out_key) {
  auto guard = Guard();
  if (out_key == nullptr) return 0;
  char path[kPathBufferSize] = {};
  IKeyTable* const table = ResolveKey(parent, sub_key, key_kind, path);
  if (table == nullptr) return 0;
  const uint32_t handle = table->FindKey(path);
  *out_key = handle;
  return handle != 0 ? 1 : 0;
}

int RegisterCore::DeleteKey(uint32_t key) {
  auto guard = Guard();
  return RemoveKey(key, Removal::kDelete);
}

int RegisterCore::CloseKey(uint32_t key) {
  auto guard = Guard();
  return RemoveKey(key, Removal::kClose);
}

int RegisterCore::ReleaseKey(uint32_t key) {
  auto guard = Guard();
  return RemoveKey(key, Removal::kRelease);
}

int RegisterCore::RemoveKey(uint32_t key, Removal removal) {
  IKeyTable* const table = TableForKind(KindOf(key));
  if (table == nullptr) return 0;
  IKeyValues* values = nullptr;
  switch (removal) {
    case Removal::kClose:
      values = table->CloseKey(key);
      break;
    case Removal::kRelease:
      values = table->ReleaseKey(key);
      break;
    case Removal::kDelete:
      values = table->DeleteKey(key);
      break;
  }
  if (values == nullptr || provider_ == nullptr) return 0;
  provider_->ReleaseKeyValues(&values);
  return 1;
}

int RegisterCore::QueryValue(uint32_t key, const char* name, int* type, void* data, int* size) {
  auto guard = Guard();
  IKeyTable* const table = TableForKind(KindOf(key));
  return table != nullptr ? table->QueryValue(key, name, type, data, size) : 0;
}

int RegisterCore::EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                            void* data, int* size) {
  auto guard = Guard();
  IKeyTable* const table = TableForKind(KindOf(key));
  return table != nullptr ? table->EnumValue(key, index, name_buf, name_len, type, data, size) : 0;
}

int RegisterCore::SetValue(uint32_t key, const char* name, int type, const void* data, int size) {
  auto guard = Guard();
  IKeyTable* const table = TableForKind(KindOf(key));
  return table != nullptr ? table->SetValue(key, name, type, data, size) : 0;
}

int RegisterCore::HasValue(uint32_t key, const char* name) {
  auto guard = Guard();
  IKeyTable* const table = TableForKind(KindOf(key));
  return table != nullptr ? table->HasValue(key, name) : 0;
}

int RegisterCore::DeleteValue(uint32_t key, const char* name) {
  auto guard = Guard();
  IKeyTable* const table = TableForKind(KindOf(key));
  return table != nullptr ? table->DeleteValue(key, name) : 0;
}

int RegisterCore::GetKeyName(uint32_t key, char* buf, int len) {
  auto guard = Guard();
  const char* const root = RootName(key);
  if (root != nullptr && CopyText(buf, len, root) != 0) return 1;
  IKeyTable* const table = TableForKind(KindOf(key));
  return table != nullptr ? table->GetKeyName(key, buf, len) : 0;
}

int RegisterCore::EnumKey(uint32_t key, int index, char* buf, int len) {
  auto guard = Guard();
  IKeyTable* const table = TableForKind(KindOf(key));
  return table != nullptr ? table->EnumKey(key, index, buf, len) : 0;
}

int RegisterCore::Flush() {
  auto guard = Guard();
  for (const auto& entry : tables_) {
    if (entry.first == kind::kMemory) continue;
    if (entry.second->Flush() == 0) return 0;
  }
  return 1;
}

void RegisterCore::CloseAllKeys() {
  auto guard = Guard();
  if (provider_ == nullptr) return;
  for (auto& entry : tables_) {
    IKeyTable*& table = entry.second;
    if (table == nullptr) continue;
    // GetNextKey does not advance past a key that is still there: closing each key received
    // moves the next one to the front, and handle 0 says the table is empty.
    uint32_t key = 0;
    table->GetFirstKey(&key);
    while (key != 0) {
      IKeyValues* values = table->CloseKey(key);
      provider_->ReleaseKeyValues(&values);
      table->GetNextKey(&key);
    }
    provider_->ReleaseKeyTable(&table);
    table = nullptr;
  }
  tables_.clear();
}

void RegisterCore::Shutdown() {
  auto guard = Guard();
  CloseAllKeys();
  if (provider_ != nullptr) ReleaseChildAs(&provider_);
}

IKeyTable* RegisterCore::ResolveKey(uint32_t parent, const char* sub_key, int key_kind,
                                    char (&path)[kPathBufferSize]) {
  if (!BuildKeyPath(parent, sub_key, path, kPathBufferSize)) return nullptr;
  return TableForKind(key_kind);
}

// parent's name, "/" and sub_key, lower-cased, in buf. Fails (0) when the parent has no name or
// the whole does not fit; separators inside sub_key stay, so it may reach several levels down.
int RegisterCore::BuildKeyPath(uint32_t parent, const char* sub_key, char* buf, int len) {
  if (parent == 0 || sub_key == nullptr || buf == nullptr || len <= 0) return 0;
  int built = GetKeyName(parent, buf, len);
  if (built != 0) {
    built = AppendText(buf, len, kKeySeparator) != 0 && AppendText(buf, len, sub_key) != 0;
  }
  LowerCaseAscii(buf);
  return built;
}

IKeyTable* RegisterCore::TableForKind(int key_kind) {
  const auto found = tables_.find(key_kind);
  if (found != tables_.end()) return found->second;
  if (provider_ == nullptr) return nullptr;
  IKeyTable* table = nullptr;
  provider_->CreateKeyTable(key_kind, &table);
  if (table == nullptr) return nullptr;
  try {
    tables_.emplace(key_kind, table);
  } catch (...) {
    provider_->ReleaseKeyTable(&table);
    return nullptr;
  }
  return table;
}

}  // namespace pelok

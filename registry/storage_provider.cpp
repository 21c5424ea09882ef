#include "registry/storage_provider.h"

#include "util/bounded_string.h"

namespace pelok {

void StorageProvider::SetStoreFile(const char* path) {
  auto guard = Guard();
  CopyText(store_file_, kPathBufferSize, path);
}

int StorageProvider::OpenKeyValues(int key_kind, const char* key_path, IKeyValues** out) {
  auto guard = Guard();
  if (key_path == nullptr || out == nullptr) return 0;
  *out = nullptr;
  try {
    if (key_kind == kind::kMemory) {
      IKeyValues* values = nullptr;
      if (!CreateChildAs(&values, component_id::kMemoryKeyValues)) return 0;
      if (values->SetKeyPath(key_path) != 0) {
        *out = values;
      } else {
        ReleaseChildAs(&values);
      }
    } else if (key_kind == kind::kStored || key_kind == kind::kStored3) {
      IStoredKeyValues* values = nullptr;
      if (!CreateChildAs(&values, component_id::kStoredKeyValues)) return 0;
      if (!EnsureStore()) {
        ReleaseChildAs(&values);
        return 0;
      }
      values->AttachStore(store_);
      if (values->SetKeyPath(key_path) != 0) {
        *out = values;
      } else {
        ReleaseChildAs(&values);
      }
    }
  } catch (...) {
    // Only reaching the factory allocates; whatever was obtained has been handed out or given
    // back by then.
    return 0;
  }
  return *out != nullptr ? 1 : 0;
}

void StorageProvider::ReleaseKeyValues(IKeyValues** values) {
  auto guard = Guard();
  if (values == nullptr || *values == nullptr) return;
  ReleaseChildAs(values);
}

int StorageProvider::CreateKeyTable(int key_kind, IKeyTable** out) {
  auto guard = Guard();
  if (out == nullptr) return 0;
  *out = nullptr;
  int id = 0;
  switch (key_kind) {
    case kind::kMemory:
      id = component_id::kKeyTable1;
      break;
    case kind::kStored:
      id = component_id::kKeyTable2;
      break;
    case kind::kStored3:
      id = component_id::kKeyTable3;
      break;
    default:
      return 0;
  }
  try {
    CreateChildAs(out, id);
  } catch (...) {
    return 0;
  }
  return *out != nullptr ? 1 : 0;
}

void StorageProvider::ReleaseKeyTable(IKeyTable** table) {
  auto guard = Guard();
  if (table == nullptr || *table == nullptr) return;
  ReleaseChildAs(table);
}

void StorageProvider::ReleaseStore() {
  auto guard = Guard();
  if (store_ != nullptr) ReleaseChildAs(&store_);
}

int StorageProvider::EnsureStore() {
  auto guard = Guard();
  if (store_ != nullptr) return 1;
  try {
    if (CreateChildAs(&store_, component_id::kXmlRegisterStore) && store_file_[0] != '\0') {
      store_->OpenStoreFile(store_file_);
    }
  } catch (...) {
    // Reaching the factory failed for want of memory; there is no store yet.
  }
  return store_ != nullptr ? 1 : 0;
}

}  // namespace pelok

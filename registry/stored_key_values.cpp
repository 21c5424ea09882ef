#include "registry/stored_key_values.h"

#include <cstdint>
#include <cstring>

#include "registry/value_sizes.h"
#include "util/bounded_string.h"

namespace pelok {

int StoredKeyValues::SetKeyPath(const char* key_path) {
  auto guard = Guard();
  if (key_path == nullptr) return 0;
  char buffer[kPathBufferSize] = {};
  CopyText(buffer, kPathBufferSize, key_path);
  std::memcpy(key_path_, buffer, sizeof(key_path_));
  if (store_ == nullptr) return 1;
  return store_->CreateKeyPath(key_path);
}

int StoredKeyValues::GetKeyPath(char* buf, int len) {
  auto guard = Guard();
  return CopyText(buf, len, key_path_);
}

int StoredKeyValues::SetValue(const char* name, int type, const void* data, unsigned size) {
  auto guard = Guard();
  if (store_ == nullptr || !IsUsableSize(size)) return 0;
  // The store reads a number as 4 bytes whatever the size; a caller that gave fewer has only
  // that many readable, so the store gets them zero-extended.
  uint32_t number = 0;
  if (type == kNumberType && data != nullptr && size > 0 && size < kNumberBytes) {
    std::memcpy(&number, data, size);
    data = &number;
  }
  return store_->SetValue(key_path_, name, type, data, size);
}

int StoredKeyValues::EnumValue(int index, char* name_buf, int name_len, int* type, void* data,
                               unsigned* size) {
  auto guard = Guard();
  if (store_ == nullptr) return 0;
  if (size != nullptr && !IsUsableSize(*size)) return 0;
  char name[kPathBufferSize] = {};
  const int found = store_->GetValueName(key_path_, index, name, kPathBufferSize);
  if (name_buf != nullptr) CopyText(name_buf, name_len, name);
  if (found == 0) return 0;
  return QueryStore(name, type, data, size) != 0 ? 1 : 0;
}

int StoredKeyValues::QueryValue(const char* name, int* type, void* data, unsigned* size) {
  auto guard = Guard();
  if (store_ == nullptr) return 0;
  return QueryStore(name, type, data, size);
}

// A number is always given as 4 bytes. A store may write all 4 whatever the capacity, so a
// buffer of fewer bytes is never handed to it: the store fills a local one, and a number found
// there is refused with *size 4 (what the caller needs), as the memory values do.
int StoredKeyValues::QueryStore(const char* name, int* type, void* data, unsigned* size) {
  if (size != nullptr && !IsUsableSize(*size)) return 0;
  if (data == nullptr || type == nullptr || size == nullptr || *size == 0 ||
      *size >= kNumberBytes) {
    return store_->QueryValue(key_path_, name, type, data, size);
  }
  const unsigned capacity = *size;
  unsigned char local[kNumberBytes] = {};
  const int result = store_->QueryValue(key_path_, name, type, local, size);
  if (result == 0) return 0;
  if (*type == kNumberType) {
    *size = kNumberBytes;
    return 0;
  }
  // Whatever the store wrote is within the capacity: a text with its terminator (which may be
  // longer than the size it was set with), a binary value zero-filled to the capacity.
  std::memcpy(data, local, capacity);
  return result;
}

int StoredKeyValues::DeleteValue(const char* name) {
  auto guard = Guard();
  if (store_ == nullptr || name == nullptr) return 0;
  return store_->DeleteValue(key_path_, name);
}

int StoredKeyValues::HasValue(const char* name) {
  auto guard = Guard();
  if (store_ == nullptr || name == nullptr) return 0;
  return store_->HasValue(key_path_, name);
}

int StoredKeyValues::DeleteKey() {
  auto guard = Guard();
  if (store_ == nullptr) return 0;
  return store_->DeleteKey(key_path_);
}

int StoredKeyValues::Flush() {
  auto guard = Guard();
  if (store_ == nullptr) return 0;
  return store_->Save();
}

void StoredKeyValues::AttachStore(IRegisterStore* store) {
  auto guard = Guard();
  store_ = store;
  if (store_ != nullptr && key_path_[0] != '\0') store_->CreateKeyPath(key_path_);
}

void StoredKeyValues::DetachStore() {
  auto guard = Guard();
  store_ = nullptr;
}

}  // namespace pelok

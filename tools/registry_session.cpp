#include "tools/registry_session.h"

#include <vector>

#include "pelok/component.h"
#include "pelok/store_format.h"

namespace pelok {
namespace tool {

namespace {

// The most a value may take; the store keeps values as text in one document.
constexpr int kMaxValueSize = 1 << 28;

}  // namespace

bool RegistrySession::Begin(const std::string& store_name, const std::string& root_directory) {
  if (!front_->SetStoreFile(store_name.c_str())) return false;
  int disposition = 0;
  if (!front_->CreateKey(root::kUser, kRootDirectoryKey, kind::kMemory, 0, &root_path_key_,
                         &disposition)) {
    return false;
  }
  return front_->SetValue(root_path_key_, kRootDirectoryValue, value_type::kText, root_directory.c_str(),
                          static_cast<int>(root_directory.size() + 1)) != 0;
}

uint32_t RegistrySession::OpenKey(const KeyName& key) {
  uint32_t handle = 0;
  int disposition = 0;
  if (!front_->CreateKey(RootOfKind(key.root, kind_), key.sub_key.c_str(), kind_, 0, &handle,
                         &disposition)) {
    return 0;
  }
  return handle;
}

bool RegistrySession::ReadValue(uint32_t key, const std::string& name, size_t capacity,
                                ValueData* value, int* stored_size) {
  // Room is taken for what the value's text holds, never for the size the value claims: a store
  // file may claim any size, and believing it made one value cost gigabytes. A number is always
  // given as 4 bytes, whatever size it was set with.
  if (capacity == 0 || capacity > static_cast<size_t>(kMaxValueSize)) return false;
  std::vector<uint8_t> data(capacity + 4, 0);
  int type = 0;
  int size = static_cast<int>(capacity);
  if (front_->QueryValue(key, name.c_str(), &type, data.data(), &size) && size >= 0 &&
      static_cast<size_t>(size) <= capacity) {
    value->type = type;
    *stored_size = size;
    const size_t kept = type == value_type::kUint32 ? 4 : static_cast<size_t>(size);
    value->bytes.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(kept));
    return true;
  }
  // A query that found the value tells the size it claims.
  *stored_size = size;
  return false;
}

bool RegistrySession::Flush() { return front_->Flush() != 0; }

}  // namespace tool
}  // namespace pelok

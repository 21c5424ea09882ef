#include "tools/registry_session.h"

#include <vector>

#include "pelok/component.h"

namespace pelok {
namespace tool {

namespace {

constexpr const char kRootPathKey[] = "pelok_rootpath";
constexpr const char kRootPathValue[] = "pelok_rootpath_data";
// The most a value may take; the store keeps values as text in one document.
constexpr int kMaxValueSize = 1 << 28;

}  // namespace

bool RegistrySession::Begin(const std::string& store_name, const std::string& root_directory) {
  if (!front_->SetStoreFile(store_name.c_str())) return false;
  int disposition = 0;
  if (!front_->CreateKey(root::kUser, kRootPathKey, kind::kMemory, 0, &root_path_key_,
                         &disposition)) {
    return false;
  }
  return front_->SetValue(root_path_key_, kRootPathValue, value_type::kText, root_directory.c_str(),
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

bool RegistrySession::ReadValue(uint32_t key, const std::string& name, ValueData* value,
                                int* stored_size) {
  // A number is always written as 4 bytes, whatever size the value was given.
  int capacity = kPathBufferSize;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<uint8_t> data(static_cast<size_t>(capacity) + 4, 0);
    int type = 0;
    int size = capacity;
    const int found = front_->QueryValue(key, name.c_str(), &type, data.data(), &size);
    if (found && size >= 0 && size <= capacity) {
      value->type = type;
      *stored_size = size;
      const size_t kept = type == value_type::kUint32 ? 4 : static_cast<size_t>(size);
      value->bytes.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(kept));
      return true;
    }
    // A query that found the value tells the size it needs.
    if (found || size <= capacity || size > kMaxValueSize) return false;
    capacity = size;
  }
  return false;
}

bool RegistrySession::Flush() { return front_->Flush() != 0; }

}  // namespace tool
}  // namespace pelok

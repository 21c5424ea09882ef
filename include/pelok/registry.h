// A C++ layer over IRegisterFront: keys as handles that close themselves, typed values, results
// that say why, buffer sizes handled inside. Header-only; the binary interface underneath keeps
// its exact behaviour.
//
//   pelok::Framework framework;                       // pelok/loader.h
//   if (!framework.Open()) return 1;
//   pelok::Registry registry(framework);
//   registry.SetStoreFile("settings.xml");            // relative to the current directory
//   pelok::Key app = registry.Open("share/app").value();
//   app.SetText("title", "Hello");
//   app.SetNumber("port", 8080);
//   registry.Flush();
//
// Keys must not outlive their Registry. A Registry made from a Framework notices when the
// framework closes its front (Close, CloseRegistry, a new Open): from then on its keys and it
// fail every call with kFailed and close nothing. A Registry made from a bare front must not
// outlive that front. Nothing throws except std::bad_alloc from the standard containers.
#ifndef PELOK_REGISTRY_H_
#define PELOK_REGISTRY_H_

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "pelok/component.h"
#include "pelok/component_factory.h"
#include "pelok/loader.h"
#include "pelok/register_front.h"
#include "pelok/store_format.h"
#include "pelok/xml_document.h"

namespace pelok {

enum class Status {
  kOk,
  kNotFound,         // no such key or value
  kWrongType,        // the value exists with another type
  kInvalidArgument,  // a name or path the registry cannot take (empty, too long, unknown root)
  kFailed,           // the registry refused or failed (no store file, a write that failed, ...)
};

inline const char* StatusText(Status status) {
  switch (status) {
    case Status::kOk: return "ok";
    case Status::kNotFound: return "not found";
    case Status::kWrongType: return "wrong type";
    case Status::kInvalidArgument: return "invalid argument";
    case Status::kFailed: return "failed";
  }
  return "failed";
}

// A value or the reason there is none.
template <class T>
class Result {
 public:
  Result(Status status) : status_(status) {}  // NOLINT: a failure converts implicitly
  Result(T value) : status_(Status::kOk), value_(std::move(value)) {}  // NOLINT

  bool ok() const { return status_ == Status::kOk; }
  explicit operator bool() const { return ok(); }
  Status status() const { return status_; }
  // The value; a default-constructed T when !ok().
  const T& value() const& { return value_; }
  T& value() & { return value_; }
  T&& value() && { return std::move(value_); }
  T value_or(T fallback) const { return ok() ? value_ : std::move(fallback); }

 private:
  Status status_;
  T value_{};
};

// One value as enumerated: its name, type (value_type) and bytes (text without its terminator).
struct ValueEntry {
  std::string name;
  int type = 0;
  std::vector<uint8_t> data;

  std::string text() const { return std::string(data.begin(), data.end()); }
  uint32_t number() const {
    uint32_t n = 0;
    if (data.size() >= sizeof(n)) std::memcpy(&n, data.data(), sizeof(n));
    return n;
  }
};

class Registry;

class Key {
 public:
  Key() = default;
  Key(Key&& other) noexcept { *this = std::move(other); }
  Key& operator=(Key&& other) noexcept {
    if (this != &other) {
      Close();
      registry_ = std::exchange(other.registry_, nullptr);
      handle_ = std::exchange(other.handle_, 0u);
    }
    return *this;
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() { Close(); }

  bool is_open() const { return handle_ != 0; }
  uint32_t handle() const { return handle_; }
  int kind() const { return KindOf(handle_); }
  // The full path, root first, lower-cased ("share/app"); empty when closed.
  std::string path() const;

  Status SetText(std::string_view name, std::string_view text);
  Status SetNumber(std::string_view name, uint32_t number);
  Status SetBinary(std::string_view name, const void* data, size_t size);
  Status SetBinary(std::string_view name, const std::vector<uint8_t>& bytes) {
    return SetBinary(name, bytes.data(), bytes.size());
  }

  // Text is returned without its terminator, and stops at its first NUL byte.
  Result<std::string> GetText(std::string_view name) const;
  Result<uint32_t> GetNumber(std::string_view name) const;
  Result<std::vector<uint8_t>> GetBinary(std::string_view name) const;
  // The value's type (value_type), or kNotFound.
  Result<int> TypeOf(std::string_view name) const;
  bool Has(std::string_view name) const { return TypeOf(name).ok(); }
  Status Delete(std::string_view name);

  // Every value, in the registry's order, whatever the key's kind (memory keys count from 0,
  // stored keys from 1 underneath; this hides it).
  Result<std::vector<ValueEntry>> Values() const;
  // The names of the key's direct sub-keys. For stored keys (kinds 2 and 3) these are the
  // sub-keys in the store file, open in this process or not: the store is flushed, then read
  // through a document component of the framework. For memory keys, the open sub-keys.
  Result<std::vector<std::string>> SubKeys() const;

  // Writes the store file (every stored key's values, not only this key's).
  Status Flush();
  // Closes the handle (the key stays in the registry); nothing when closed.
  void Close();
  // Deletes the key with its sub-keys and values, and closes the handle.
  Status Remove();

 private:
  friend class Registry;
  Key(Registry* registry, uint32_t handle) : registry_(registry), handle_(handle) {}
  IRegisterFront* front() const;
  // Queries name into a buffer grown to the stored size; *type gets the stored type.
  Status Query(std::string_view name, int* type, std::vector<uint8_t>* data) const;

  Registry* registry_ = nullptr;
  uint32_t handle_ = 0;
};

class Registry {
 public:
  // factory and registry_file serve Key::SubKeys of stored keys (a document component to read
  // the store file with); without a factory that call fails.
  explicit Registry(IRegisterFront* front, IComponentFactory* factory = nullptr,
                    std::string registry_file = std::string())
      : front_(front), factory_(factory), registry_file_(std::move(registry_file)) {}
  explicit Registry(const Framework& framework)
      : Registry(framework.front(), framework.factory(), framework.registry_file()) {
    framework_ = &framework;
    generation_ = framework.generation();
  }
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // The front, or null once the framework it came from has closed it.
  IRegisterFront* front() const {
    if (framework_ != nullptr && framework_->generation() != generation_) return nullptr;
    return front_;
  }
  // The store file of kinds 2 and 3, before the first of those keys is opened (kFailed after:
  // the store it opened stays). A relative name is taken against the current directory (the
  // raw interface takes it against the root directory instead).
  Status SetStoreFile(const std::string& path) {
    if (front() == nullptr) return Status::kFailed;
    if (path.empty()) return Status::kInvalidArgument;
    if (stored_key_asked_) return Status::kFailed;
    std::string absolute = path;
    if (std::filesystem::path(path).is_relative()) {
      std::error_code error;
      absolute = std::filesystem::absolute(path, error).string();
      if (error) return Status::kFailed;
    }
    if (!front_->SetStoreFile(absolute.c_str())) return Status::kFailed;
    store_file_ = absolute;
    return Status::kOk;
  }
  const std::string& store_file() const { return store_file_; }

  // Opens (creating it if need be) the key at path, whose first part is a root: "root",
  // "pelok", "share", "user" or "winreg" ("share/app/window"). key_kind: kind::kMemory,
  // kind::kStored or kind::kStored3.
  Result<Key> Open(std::string_view path, int key_kind = kind::kStored) {
    if (front() == nullptr) return Status::kFailed;
    if (key_kind < kind::kMemory || key_kind > kind::kStored3) return Status::kInvalidArgument;
    const size_t slash = path.find('/');
    const uint32_t root = RootCode(path.substr(0, slash));
    const std::string sub_key(slash == std::string_view::npos ? "" : path.substr(slash + 1));
    if (root == 0 || sub_key.empty() || sub_key.size() >= static_cast<size_t>(kPathBufferSize)) {
      return Status::kInvalidArgument;
    }
    // The first stored key opens the store, with or without a store file: it stays as it is.
    if (key_kind != kind::kMemory) stored_key_asked_ = true;
    uint32_t handle = 0;
    int disposition = 0;
    if (!front_->CreateKey(RootOfKind(root, key_kind), sub_key.c_str(), key_kind, 0, &handle,
                           &disposition) ||
        handle == 0) {
      return Status::kFailed;
    }
    ++open_counts_[handle];
    return Key(this, handle);
  }

  // Writes the store file.
  Status Flush() {
    if (front() == nullptr) return Status::kFailed;
    return front_->Flush() ? Status::kOk : Status::kFailed;
  }

  // 0 for a name that is not a root.
  static uint32_t RootCode(std::string_view name) { return root::CodeOf(name); }

 private:
  friend class Key;

  // The registry hands out one handle per open key; several Key objects of one key share it,
  // and the last of them closes it.
  void Release(uint32_t handle, bool close) {
    const auto found = open_counts_.find(handle);
    if (found == open_counts_.end()) return;
    if (--found->second > 0) return;
    open_counts_.erase(found);
    if (close && front() != nullptr) front_->CloseKey(handle);
  }

  // The direct child elements without a "type" attribute (sub-keys, not values) of the key
  // element at key_path in the store file.
  Result<std::vector<std::string>> StoredSubKeys(const std::string& key_path) const {
    if (factory_ == nullptr || store_file_.empty()) return Status::kFailed;
    auto* document = static_cast<IXmlDocument*>(
        factory_->CreateInstance(component_id::kXmlDocument, registry_file_.c_str()));
    if (document == nullptr) return Status::kFailed;
    Result<std::vector<std::string>> result = Status::kNotFound;
    if (document->Load(store_file_.c_str())) {
      document->ResetPos();
      bool found = document->FindElem(store_format::kDocumentElement) && document->IntoElem();
      for (size_t at = 0; found && at <= key_path.size();) {
        size_t end = key_path.find('/', at);
        if (end == std::string::npos) end = key_path.size();
        const std::string part = key_path.substr(at, end - at);
        found = document->FindElem(part.c_str()) && document->IntoElem();
        at = end + 1;
      }
      if (found) {
        std::vector<std::string> names;
        char name[kPathBufferSize];
        char type[kPathBufferSize];
        while (document->FindElem(nullptr)) {
          std::memset(name, 0, sizeof(name));
          if (!document->GetTagName(name, sizeof(name))) continue;
          if (document->GetAttrib(store_format::kTypeAttribute, type, sizeof(type))) continue;
          names.emplace_back(name);
        }
        result = std::move(names);
      }
    } else {
      result = Status::kFailed;
    }
    document->Destroy(0);
    return result;
  }

  IRegisterFront* front_;
  const Framework* framework_ = nullptr;
  unsigned generation_ = 0;
  bool stored_key_asked_ = false;
  IComponentFactory* factory_;
  std::string registry_file_;
  std::string store_file_;
  std::map<uint32_t, int> open_counts_;
};

// ---- Key, inline ----

inline IRegisterFront* Key::front() const {
  return registry_ != nullptr && handle_ != 0 ? registry_->front() : nullptr;
}

inline std::string Key::path() const {
  IRegisterFront* f = front();
  if (f == nullptr) return "";
  char buf[kPathBufferSize] = {0};
  return f->GetKeyName(handle_, buf, sizeof(buf)) ? std::string(buf) : std::string();
}

namespace registry_detail {

// Names travel as NUL-terminated text in buffers of kPathBufferSize bytes: an empty one, one
// with a NUL inside, or one too long for those buffers (which enumeration could not give back)
// is refused.
inline bool UsableName(std::string_view name) {
  return !name.empty() && name.size() < static_cast<size_t>(kPathBufferSize) &&
         name.find('\0') == std::string_view::npos;
}

}  // namespace registry_detail

inline Status Key::SetText(std::string_view name, std::string_view text) {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  // Text is stored up to its terminator: a NUL inside would cut it.
  if (!registry_detail::UsableName(name) || text.size() >= 0x7fffffffu ||
      text.find('\0') != std::string_view::npos) {
    return Status::kInvalidArgument;
  }
  const std::string n(name);
  const std::string t(text);
  return f->SetValue(handle_, n.c_str(), value_type::kText, t.c_str(),
                     static_cast<int>(t.size() + 1))
             ? Status::kOk
             : Status::kFailed;
}

inline Status Key::SetNumber(std::string_view name, uint32_t number) {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  if (!registry_detail::UsableName(name)) return Status::kInvalidArgument;
  const std::string n(name);
  return f->SetValue(handle_, n.c_str(), value_type::kUint32, &number, sizeof(number))
             ? Status::kOk
             : Status::kFailed;
}

inline Status Key::SetBinary(std::string_view name, const void* data, size_t size) {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  // The registry takes no empty value.
  if (!registry_detail::UsableName(name) || size == 0 || size >= 0x7fffffffu || data == nullptr) {
    return Status::kInvalidArgument;
  }
  const std::string n(name);
  return f->SetValue(handle_, n.c_str(), value_type::kBinary, data, static_cast<int>(size))
             ? Status::kOk
             : Status::kFailed;
}

inline Status Key::Query(std::string_view name, int* type, std::vector<uint8_t>* data) const {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  if (!registry_detail::UsableName(name)) return Status::kInvalidArgument;
  const std::string n(name);
  data->assign(64, 0);
  // A buffer too small makes the query fail with the stored size written back: grow to it and
  // ask again. The loop is bounded: a size that does not grow ends it.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int capacity = static_cast<int>(data->size());
    int size = capacity;
    *type = -1;
    if (f->QueryValue(handle_, n.c_str(), type, data->data(), &size)) {
      if (size < 0) size = 0;
      data->resize(static_cast<size_t>(size) < data->size() ? static_cast<size_t>(size)
                                                            : data->size());
      return Status::kOk;
    }
    // Not found leaves both outputs alone; a memory key that finds the value too large for
    // the buffer writes only the size.
    if (*type == -1 && size == capacity) return Status::kNotFound;
    if (size <= capacity || size >= 0x7fffffff) return Status::kFailed;
    data->assign(static_cast<size_t>(size) + 1, 0);
  }
  return Status::kFailed;
}

inline Result<std::string> Key::GetText(std::string_view name) const {
  int type = 0;
  std::vector<uint8_t> data;
  const Status status = Query(name, &type, &data);
  if (status != Status::kOk) return status;
  if (type != value_type::kText) return Status::kWrongType;
  size_t length = 0;
  while (length < data.size() && data[length] != 0) ++length;
  return std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
}

inline Result<uint32_t> Key::GetNumber(std::string_view name) const {
  int type = 0;
  std::vector<uint8_t> data;
  const Status status = Query(name, &type, &data);
  if (status != Status::kOk) return status;
  if (type != value_type::kUint32 || data.size() < sizeof(uint32_t)) return Status::kWrongType;
  uint32_t number = 0;
  std::memcpy(&number, data.data(), sizeof(number));
  return number;
}

inline Result<std::vector<uint8_t>> Key::GetBinary(std::string_view name) const {
  int type = 0;
  std::vector<uint8_t> data;
  const Status status = Query(name, &type, &data);
  if (status != Status::kOk) return status;
  if (type != value_type::kBinary) return Status::kWrongType;
  return data;
}

inline Result<int> Key::TypeOf(std::string_view name) const {
  int type = 0;
  std::vector<uint8_t> data;
  // Not HasValue: on a memory key it empties the value it finds.
  const Status status = Query(name, &type, &data);
  if (status != Status::kOk) return status;
  return type;
}

inline Status Key::Delete(std::string_view name) {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  if (!registry_detail::UsableName(name)) return Status::kInvalidArgument;
  if (!Has(name)) return Status::kNotFound;
  const std::string n(name);
  return f->DeleteValue(handle_, n.c_str()) ? Status::kOk : Status::kFailed;
}

inline Result<std::vector<ValueEntry>> Key::Values() const {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  std::vector<ValueEntry> values;
  // Memory keys count from 0, stored keys from 1.
  const int first = kind() == kind::kMemory ? 0 : 1;
  std::vector<char> name(4096);
  std::vector<uint8_t> data(256);
  for (int index = first; index < 0x7fffffff;) {
    std::fill(name.begin(), name.end(), '\0');
    const int capacity = static_cast<int>(data.size());
    int size = capacity;
    int type = -1;
    if (f->EnumValue(handle_, index, name.data(), static_cast<int>(name.size()), &type,
                     data.data(), &size)) {
      ValueEntry entry;
      entry.name = name.data();
      entry.type = type;
      const size_t length = size < 0 ? 0 : static_cast<size_t>(size) < data.size()
                                               ? static_cast<size_t>(size)
                                               : data.size();
      entry.data.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
      // Text is stored with its terminator.
      if (type == value_type::kText) {
        size_t text_length = 0;
        while (text_length < entry.data.size() && entry.data[text_length] != 0) ++text_length;
        entry.data.resize(text_length);
      }
      values.push_back(std::move(entry));
      ++index;
      continue;
    }
    if (size > capacity && size < 0x7fffffff) {
      data.assign(static_cast<size_t>(size) + 1, 0);  // too small: the same index again
      continue;
    }
    // No name and nothing read: the end. A name without a value is an element that is no
    // value (a foreign document may count sub-keys too): step over it.
    if (name[0] == '\0') break;
    ++index;
  }
  return values;
}

inline Result<std::vector<std::string>> Key::SubKeys() const {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  const std::string key_path = path();
  if (key_path.empty()) return Status::kFailed;
  if (kind() != kind::kMemory) {
    // The store file holds every stored sub-key once the process's changes are written.
    if (!f->Flush()) return Status::kFailed;
    return registry_->StoredSubKeys(key_path);
  }
  std::vector<std::string> names;
  char buf[kPathBufferSize];
  for (int index = 0; index < 0x7fffffff; ++index) {
    std::memset(buf, 0, sizeof(buf));
    if (!f->EnumKey(handle_, index, buf, sizeof(buf))) break;
    const std::string below = buf;
    if (below.size() <= key_path.size() + 1 || below.compare(0, key_path.size(), key_path) != 0 ||
        below[key_path.size()] != '/') {
      continue;
    }
    const std::string child = below.substr(key_path.size() + 1, below.find('/', key_path.size() + 1) -
                                                                    key_path.size() - 1);
    bool known = false;
    for (const std::string& name : names) known = known || name == child;
    if (!known) names.push_back(child);
  }
  return names;
}

inline Status Key::Flush() {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  return f->Flush() ? Status::kOk : Status::kFailed;
}

inline void Key::Close() {
  if (registry_ != nullptr && handle_ != 0) registry_->Release(handle_, true);
  registry_ = nullptr;
  handle_ = 0;
}

inline Status Key::Remove() {
  IRegisterFront* f = front();
  if (f == nullptr) return Status::kFailed;
  const bool deleted = f->DeleteKey(handle_) != 0;
  // Deleted or not, the handle is no longer this object's: a deleted key's handle is gone.
  registry_->Release(handle_, !deleted);
  registry_ = nullptr;
  handle_ = 0;
  return deleted ? Status::kOk : Status::kFailed;
}

}  // namespace pelok

#endif  // PELOK_REGISTRY_H_

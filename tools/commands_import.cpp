// import: a store file merged into the store through the register front, so that every key and
// value goes the way the registry's own writes go. The file is checked whole before the store
// is touched.
#include <map>
#include <utility>

#include "tools/commands.h"
#include "tools/exit_status.h"
#include "tools/value_text.h"
#include "tools/work_directory.h"

namespace pelok {
namespace tool {

namespace {

struct ImportKey {
  KeyName key;
  std::vector<std::pair<std::string, ValueData>> values;
};

class ImportPlan {
 public:
  // The keys and values of the file's top entries, in document order.
  bool Build(const std::vector<StoreEntry>& top, std::string* error);
  // Where the store already holds a value where the file has a key, or the other way round.
  bool FitsStore(const std::vector<StoreEntry>& store, std::string* error) const;
  const std::vector<ImportKey>& keys() const { return keys_; }

 private:
  bool AddKey(const std::vector<std::string>& parts, const StoreEntry& entry, std::string* error);
  bool Claim(const std::string& path, bool is_value, std::string* error);

  std::vector<ImportKey> keys_;
  std::map<std::string, bool> kinds_;  // path -> it names a value
};

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool ImportPlan::Build(const std::vector<StoreEntry>& top, std::string* error) {
  for (const StoreEntry& entry : top) {
    if (entry.is_value) {
      *error = "the value " + Quoted(entry.name) + " stands outside any key";
      return false;
    }
    if (RootCode(entry.name) == 0) {
      *error = Quoted(entry.name) + " is not a root (root, pelok, share, user, winreg)";
      return false;
    }
    if (!AddKey({LowerAscii(entry.name)}, entry, error)) return false;
  }
  return true;
}

bool ImportPlan::AddKey(const std::vector<std::string>& parts, const StoreEntry& entry,
                        std::string* error) {
  ImportKey item;
  item.key = KeyFromParts(parts, parts.size());
  if (item.key.path.size() >= kPathBufferSize) {
    *error = "the key " + Quoted(item.key.path) + " is longer than 259 characters";
    return false;
  }
  if (!Claim(item.key.path, false, error)) return false;
  for (const StoreEntry& child : entry.children) {
    if (!child.is_value) continue;
    const std::string path = item.key.path + "/" + child.name;
    ValueData value;
    std::string why;
    if (!child.children.empty()) why = "it has elements inside it";
    if (why.empty() && CheckValueName(child.name, &why) &&
        ParseValueText(child.type, child.text, &value, &why)) {
      if (!Claim(path, true, error)) return false;
      item.values.emplace_back(child.name, std::move(value));
      continue;
    }
    *error = "the value " + Quoted(path) + ": " + why;
    return false;
  }
  keys_.push_back(std::move(item));
  for (const StoreEntry& child : entry.children) {
    if (child.is_value) continue;
    if (child.name.find_first_of("/\\") != std::string::npos) {
      *error = "the key name " + Quoted(child.name) + " holds a separator";
      return false;
    }
    std::vector<std::string> child_parts = parts;
    child_parts.push_back(LowerAscii(child.name));
    if (!AddKey(child_parts, child, error)) return false;
  }
  return true;
}

bool ImportPlan::Claim(const std::string& path, bool is_value, std::string* error) {
  const auto inserted = kinds_.emplace(path, is_value);
  if (inserted.second || inserted.first->second == is_value) return true;
  *error = "it has both a key and a value " + Quoted(path);
  return false;
}

bool ImportPlan::FitsStore(const std::vector<StoreEntry>& store, std::string* error) const {
  for (const ImportKey& item : keys_) {
    size_t value_in_path = 0;
    const StoreEntry* key_entry = FindKeyEntry(store, item.key.parts, &value_in_path);
    if (value_in_path != 0) {
      *error = Quoted(KeyFromParts(item.key.parts, value_in_path).path) +
               " is a value in the store, not a key";
      return false;
    }
    for (size_t i = 0; key_entry != nullptr && i < item.values.size(); ++i) {
      const StoreEntry* existing = FindChild(key_entry->children, item.values[i].first);
      if (existing != nullptr && !existing->is_value) {
        *error = Quoted(item.key.path + "/" + item.values[i].first) +
                 " is a key in the store, not a value";
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int RunImport(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 1, 1, {"FILE"}, &error)) return Fail(kExitUsage, error);
  const std::string file = AbsoluteName(line.args[0]);
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> imported;
  if (!context.ReadStoreFile(file, "import file", &imported)) return kExitFailure;
  ImportPlan plan;
  if (!plan.Build(imported, &error)) {
    return Fail(kExitFailure, "cannot import " + Quoted(file) + ": " + error);
  }
  std::vector<StoreEntry> store;
  bool exists = false;
  if (!context.ReadStore(&store, &exists)) return kExitFailure;
  if (!plan.FitsStore(store, &error)) {
    return Fail(kExitNotFound, "cannot import " + Quoted(file) + ": " + error);
  }
  if (plan.keys().empty()) return kExitOk;
  RegistrySession* session = context.Session();
  if (session == nullptr) return kExitFailure;
  for (const ImportKey& item : plan.keys()) {
    const uint32_t handle = session->OpenKey(item.key);
    if (handle == 0) {
      return Fail(kExitFailure, "cannot open the key " + Quoted(item.key.path) +
                                    " in the store file " + Quoted(context.store_path()));
    }
    for (const auto& named : item.values) {
      const ValueData& value = named.second;
      if (!session->front()->SetValue(handle, named.first.c_str(), value.type, value.bytes.data(),
                                      static_cast<int>(value.bytes.size()))) {
        return Fail(kExitFailure, "cannot set the value " + Quoted(named.first) + " of the key " +
                                      Quoted(item.key.path));
      }
    }
  }
  if (!session->Flush()) {
    return Fail(kExitFailure, "cannot write the store file " + Quoted(context.store_path()));
  }
  return kExitOk;
}

}  // namespace tool
}  // namespace pelok

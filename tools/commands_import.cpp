// import: a store file merged into the store through the register front, so that every key and
// value goes the way the registry's own writes go. The file is checked whole before the store
// is touched, and the merge is all or nothing: the registry works on a copy of the store beside
// it, which replaces the store in one step only once it holds everything imported. A failure
// on the way (a full disk, a refused write) leaves the store as it was.
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "pelok/store_format.h"
#include "tools/commands.h"
#include "tools/exit_status.h"
#include "tools/failure_reason.h"
#include "tools/file_bytes.h"
#include "tools/key_name.h"
#include "tools/system_files.h"
#include "tools/temp_file.h"
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
    if (!AddKey({LowerKeyText(entry.name)}, entry, error)) return false;
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
    child_parts.push_back(LowerKeyText(child.name));
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

// What the store starts as when there is no store file yet (store_format::kEmptyStore): the
// registry writes the rest.

// The copy holds every key and value of the plan, with the values the plan gives them.
bool HoldsPlan(const ImportPlan& plan, const std::vector<StoreEntry>& copy) {
  for (const ImportKey& item : plan.keys()) {
    size_t value_in_path = 0;
    const StoreEntry* key_entry = FindKeyEntry(copy, item.key.parts, &value_in_path);
    if (key_entry == nullptr) return false;
    for (const auto& named : item.values) {
      const StoreEntry* value = FindChild(key_entry->children, named.first);
      ValueData stored;
      std::string error;
      if (value == nullptr || !value->is_value || value->type != named.second.type ||
          !ParseValueText(value->type, value->text, &stored, &error) ||
          FormatValue(stored.type, stored.bytes.data(), stored.bytes.size()) !=
              FormatValue(named.second.type, named.second.bytes.data(),
                          named.second.bytes.size())) {
        return false;
      }
    }
  }
  return true;
}

// Read through a document of its own, released before the copy is moved: Windows renames no
// file that is still open.
bool CopyHoldsPlan(CommandContext& context, const std::string& copy, const ImportPlan& plan) {
  StoreDocument document(context.host().CreateDocument());
  std::vector<StoreEntry> merged;
  std::string error;
  return document.valid() && document.Read(copy, &merged, &error) && HoldsPlan(plan, merged);
}

// Makes the working copy of the store: its bytes, or an empty store.
int MakeCopy(const CommandContext& context, bool exists, std::string* copy) {
  const std::string& store = context.store_path();
  std::string error;
  if (!CreateTempBeside(store, copy, &error)) {
    return Fail(kExitFailure, "cannot write the store file " + Quoted(store) +
                                  Because("cannot create a file beside it: " + error));
  }
  std::string bytes = store_format::kEmptyStore;
  if (exists && !ReadFileBytes(store, &bytes, &error)) {
    RemoveFile(*copy);
    return Fail(kExitFailure, "cannot read the store file " + Quoted(store) + Because(error));
  }
  if (!WriteFileBytes(*copy, bytes, &error)) {
    RemoveFile(*copy);
    return Fail(kExitFailure, "cannot write the store file " + Quoted(store) + Because(error));
  }
  // The store keeps its permissions when the copy takes its place, writable as the registry
  // leaves a store file it writes.
  std::error_code ignored;
  if (exists) {
    std::filesystem::permissions(
        *copy,
        std::filesystem::status(store, ignored).permissions() | std::filesystem::perms::owner_write,
        ignored);
  }
  return kExitOk;
}

// Every key and value of the plan, through the register front, into the working copy.
int Merge(CommandContext& context, const ImportPlan& plan, size_t grows) {
  RegistrySession* session = context.Session();
  if (session == nullptr) return kExitFailure;
  for (const ImportKey& item : plan.keys()) {
    const uint32_t handle = session->OpenKey(item.key);
    if (handle == 0) return CannotOpenKey(context, item.key);
    for (const auto& named : item.values) {
      const ValueData& value = named.second;
      if (!session->front()->SetValue(handle, named.first.c_str(), value.type, value.bytes.data(),
                                      static_cast<int>(value.bytes.size()))) {
        return CannotWriteStore(context, grows);
      }
    }
  }
  return session->Flush() ? kExitOk : CannotWriteStore(context, grows);
}

size_t PlanBytes(const ImportPlan& plan) {
  size_t bytes = 0;
  for (const ImportKey& item : plan.keys()) {
    bytes += 2 * item.key.path.size() + 32;
    for (const auto& named : item.values) {
      bytes += 2 * named.first.size() + 2 * named.second.bytes.size() + 48;
    }
  }
  return bytes;
}

}  // namespace

int RunImport(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 1, 1, {"FILE"}, &error)) return Fail(kExitUsage, error);
  const bool from_input = line.args[0] == "-";
  std::string file = from_input ? "standard input" : AbsoluteName(line.args[0]);
  // Standard input, and a FIFO named as the file ("import <(...)"), are read whole (up to the
  // limit of ReadFileBytes) into a file of their own first: the document reads files only.
  const bool from_stream = from_input || IsSpecialFile(file);
  const std::string shown = from_input ? "standard input" : Quoted(file);
  TempFileGuard input_file;
  if (from_stream) {
    std::string bytes;
    if (!ReadFileBytes(from_input ? "-" : file, &bytes, &error)) {
      return Fail(kExitFailure, "cannot read " + shown + Because(error));
    }
    if (!CreateTempFile(&file, &error)) {
      return Fail(kExitFailure, "cannot create a temporary file" + Because(error));
    }
    input_file.Reset(file);
    if (!WriteFileBytes(file, bytes, &error)) {
      return Fail(kExitFailure, "cannot write the temporary file " + Quoted(file) + Because(error));
    }
  }
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> imported;
  if (!context.ReadStoreFile(file, "import file", &imported,
                             from_input    ? "on standard input"
                             : from_stream ? shown
                                           : "")) {
    return kExitFailure;
  }
  ImportPlan plan;
  if (!plan.Build(imported, &error)) {
    return Fail(kExitFailure, "cannot import " + shown + ": " + error);
  }
  std::vector<StoreEntry> store;
  bool exists = false;
  if (!context.ReadStore(&store, &exists)) return kExitFailure;
  if (!plan.FitsStore(store, &error)) {
    return Fail(kExitNotFound, "cannot import " + shown + ": " + error);
  }
  if (plan.keys().empty()) return kExitOk;
  std::string copy;
  if (int status = MakeCopy(context, exists, &copy)) return status;
  TempFileGuard remove_copy(copy);
  context.UseStoreFile(copy);
  const size_t grows = PlanBytes(plan);
  // Closing writes the copy a last time, and lets go of it before a failed one is removed; only
  // a copy read back whole takes the store's place.
  const int merged = Merge(context, plan, grows);
  context.CloseRegistry();
  if (merged != kExitOk) return merged;
  if (!CopyHoldsPlan(context, copy, plan)) return CannotWriteStore(context, grows);
  // The registry takes a read-only mark off the store file it writes; so does the import, which
  // Windows would otherwise refuse to replace it for.
  if (IsReadOnly(context.store_path())) ClearReadOnly(context.store_path());
  if (!MoveOver(copy, context.store_path(), &error)) {
    return Fail(kExitFailure,
                "cannot write the store file " + Quoted(context.store_path()) + Because(error));
  }
  remove_copy.Keep();
  return kExitOk;
}

}  // namespace tool
}  // namespace pelok

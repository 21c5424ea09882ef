#include "tools/command_context.h"

#include <filesystem>
#include <system_error>

#include "pelok/component.h"
#include "tools/exit_status.h"
#include "tools/failure_reason.h"
#include "tools/system_files.h"
#include "tools/work_directory.h"

namespace pelok {
namespace tool {

CommandContext::CommandContext(const CommandLine& line)
    : line_(line), store_path_(AbsoluteName(line.store)) {}

bool CommandContext::OpenFramework() {
  if (host_.is_open()) return true;
  std::string error;
  if (!host_.Open(line_.registry, &error)) {
    Fail(kExitFailure, error);
    return false;
  }
  return true;
}

bool CommandContext::ReadStore(std::vector<StoreEntry>* entries, bool* exists) {
  entries->clear();
  *exists = IsFile(store_path_);
  if (!*exists && IsDirectory(store_path_)) {
    Fail(kExitFailure, "the store file " + Quoted(store_path_) + " is a directory");
    return false;
  }
  // Refused before the registry is asked: a FIFO would block the reader, a device never end.
  if (!*exists && IsSpecialFile(store_path_)) {
    Fail(kExitFailure,
         "the store file " + Quoted(store_path_) + " is no file (a FIFO, a device or a socket)");
    return false;
  }
  return !*exists || ReadStoreFile(store_path_, "store file", entries);
}

bool CommandContext::ReadStoreFile(const std::string& path, const char* what,
                                   std::vector<StoreEntry>* entries, const std::string& shown) {
  const std::string named =
      std::string("the ") + what + " " + (shown.empty() ? Quoted(path) : shown);
  if (!IsFile(path)) {
    Fail(kExitFailure, "cannot read " + named + ": " +
                           (IsDirectory(path)     ? "it is a directory"
                            : IsSpecialFile(path) ? "it is no file (a FIFO, a device or a socket)"
                                                  : "no such file"));
    return false;
  }
  StoreDocument document(host_.CreateDocument());
  if (!document.valid()) {
    Fail(kExitFailure, "cannot read " + named + ": " + NoDocumentComponent());
    return false;
  }
  std::string error;
  if (!document.Read(path, entries, &error)) {
    Fail(kExitFailure, "cannot read " + named + ": " + error);
    return false;
  }
  return true;
}

RegistrySession* CommandContext::Session() {
  if (session_) return session_.get();
  const std::string directory = CurrentDirectory();
  if (directory.empty()) {
    Fail(kExitFailure, "cannot read the current directory");
    return nullptr;
  }
  // Without a document component every stored key fails; say so rather than name the key.
  {
    StoreDocument probe(host_.CreateDocument());
    if (!probe.valid()) {
      Fail(kExitFailure,
           "cannot use the store file " + Quoted(store_path_) + ": " + NoDocumentComponent());
      return nullptr;
    }
  }
  auto session = std::make_unique<RegistrySession>(host_.front(), line_.kind);
  const std::string& store = session_store_.empty() ? line_.store : session_store_;
  if (!session->Begin(store, directory)) {
    Fail(kExitFailure, "the registry refused the store file " + Quoted(store_path_));
    return nullptr;
  }
  session_ = std::move(session);
  return session_.get();
}

std::string CommandContext::NoDocumentComponent() const {
  return "the factory gave no document component (1); check that " + Quoted(host_.registry_file()) +
         " names PelXml.dll under [Modules]";
}

void CommandContext::CloseRegistry() {
  session_.reset();
  host_.CloseRegistry();
}

namespace {

size_t StoreFileSize(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<size_t>(size);
}

}  // namespace

bool ParseKeyAndName(const CommandLine& line, KeyName* key, std::string* name) {
  std::string error;
  if (!ParseKeyName(line.args[0], key, &error) ||
      (name != nullptr && !CheckValueName(line.args[1], &error))) {
    Fail(kExitUsage, line.typed_command + ": " + error);
    return false;
  }
  if (name != nullptr) *name = line.args[1];
  return true;
}

namespace {

// The bytes the data of a value takes, as its text in the file holds it: text with its
// terminator, two digits a byte of binary data, 4 bytes of a number.
size_t ContentBytes(const StoreEntry& entry) {
  switch (entry.type) {
    case value_type::kUint32:
      return 4;
    case value_type::kBinary:
      return entry.text.size() / 2;
    default:
      return entry.text.size() + 1;
  }
}

}  // namespace

ValueRead ReadKeyValue(CommandContext& context, uint32_t handle, const KeyName& key,
                       const StoreEntry& entry, ValueData* value, int* stored_size) {
  const size_t content = ContentBytes(entry);
  const size_t room = static_cast<size_t>(kPathBufferSize);
  const size_t capacity = content < room ? room : content + 1;
  const std::string odd = "the value " + Quoted(entry.name) + " of the key " + Quoted(key.path) +
                          " claims " + std::to_string(entry.size) +
                          " bytes, which its text does not hold";
  const std::string mend = "; shown as the file holds it (set or delete it to mend it)";
  int claimed = static_cast<int>(capacity);
  if (context.Session()->ReadValue(handle, entry.name, capacity, value, &claimed)) {
    // Where the file's size is no size its text can have, the registry answers by the text.
    *stored_size = claimed;
    if (claimed != entry.size) Warn(odd + mend);
    return ValueRead::kRead;
  }
  // Refused with room for the whole text. A size left as the room was given is a value not
  // found, and the size of its text a failure of the registry; a larger one is a size the text
  // does not hold, which is never given room.
  const bool claims_more =
      claimed != static_cast<int>(capacity) && claimed != static_cast<int>(content);
  std::string error;
  if (!ParseValueText(entry.type, entry.text, value, &error)) {
    Warn((claims_more || entry.size != static_cast<int>(content)
              ? odd + ", and its text"
              : "the value " + Quoted(entry.name) + " of the key " + Quoted(key.path) +
                    " holds a text that") +
         " is no " + TypeName(entry.type) + " data (" + error + "); set or delete it to mend it");
    return ValueRead::kOdd;
  }
  if (!claims_more) {
    Fail(kExitFailure,
         "cannot read the value " + Quoted(entry.name) + " of the key " + Quoted(key.path));
    return ValueRead::kFailed;
  }
  *stored_size = static_cast<int>(value->bytes.size());
  Warn(odd + mend);
  return ValueRead::kRead;
}

namespace {

// Why the store could not be written, found by trying; a store that could be written as far as
// trying tells was busy: a save waits a few seconds at most for the lock that another process
// holds while it writes, or the file no longer is a store file that a save could merge with.
std::string WhyStoreNotWritable(const std::string& path, size_t extra) {
  const std::string reason = WhyNotWritable(path, StoreFileSize(path) + extra);
  if (!reason.empty()) return Because(reason);
  return ": the store was busy (another process held its lock), or it is no store file a save "
         "can merge with; try again";
}

}  // namespace

int CannotWriteStore(const CommandContext& context, size_t extra) {
  const std::string& path = context.store_path();
  return Fail(kExitFailure,
              "cannot write the store file " + Quoted(path) + WhyStoreNotWritable(path, extra));
}

int CannotOpenKey(const CommandContext& context, const KeyName& key) {
  const std::string& path = context.store_path();
  return Fail(kExitFailure, "cannot open the key " + Quoted(key.path) + " in the store file " +
                                Quoted(path) + WhyStoreNotWritable(path, 256));
}

int LookUpKey(const CommandContext& context, const std::vector<StoreEntry>& entries, bool exists,
              const KeyName& key, const StoreEntry** found) {
  if (!exists) {
    return Fail(kExitNotFound, "key " + Quoted(key.path) + " not found (no store file " +
                                   Quoted(context.store_path()) + ")");
  }
  size_t value_in_path = 0;
  *found = FindKeyEntry(entries, key.parts, &value_in_path);
  if (value_in_path != 0) {
    return Fail(kExitNotFound,
                Quoted(KeyFromParts(key.parts, value_in_path).path) + " is a value, not a key");
  }
  if (*found == nullptr) return Fail(kExitNotFound, "key " + Quoted(key.path) + " not found");
  return kExitOk;
}

int LookUpValue(const StoreEntry& key_entry, const KeyName& key, const std::string& name,
                const StoreEntry** found) {
  *found = FindChild(key_entry.children, name);
  if (*found == nullptr) {
    return Fail(kExitNotFound, "value " + Quoted(name) + " not found in key " + Quoted(key.path));
  }
  if (!(*found)->is_value) {
    return Fail(kExitNotFound, Quoted(key.path + "/" + name) + " is a key, not a value");
  }
  return kExitOk;
}

int ReadStoreAndKey(CommandContext& context, const KeyName& key, std::vector<StoreEntry>* entries,
                    const StoreEntry** found) {
  if (!context.OpenFramework()) return kExitFailure;
  bool exists = false;
  if (!context.ReadStore(entries, &exists)) return kExitFailure;
  return LookUpKey(context, *entries, exists, key, found);
}

}  // namespace tool
}  // namespace pelok

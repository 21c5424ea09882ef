#include "tools/command_context.h"

#include "tools/exit_status.h"
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
  return !*exists || ReadStoreFile(store_path_, "store file", entries);
}

bool CommandContext::ReadStoreFile(const std::string& path, const char* what,
                                   std::vector<StoreEntry>* entries) {
  const std::string named = std::string("the ") + what + " " + Quoted(path);
  if (!IsFile(path)) {
    Fail(kExitFailure, "cannot read " + named + ": no such file");
    return false;
  }
  StoreDocument document(host_.CreateDocument());
  if (!document.valid()) {
    Fail(kExitFailure, "cannot read " + named + ": the factory gave no document component (1)");
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
  auto session = std::make_unique<RegistrySession>(host_.front(), line_.kind);
  if (!session->Begin(line_.store, directory)) {
    Fail(kExitFailure, "the registry refused the store file " + Quoted(store_path_));
    return nullptr;
  }
  session_ = std::move(session);
  return session_.get();
}

void CommandContext::CloseRegistry() {
  session_.reset();
  host_.CloseRegistry();
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

}  // namespace tool
}  // namespace pelok

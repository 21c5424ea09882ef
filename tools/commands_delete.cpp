// delete: a value, every value of a key, or a key with everything below it.
#include <cstdio>
#include <iostream>

#include "tools/commands.h"
#include "tools/console.h"
#include "tools/exit_status.h"
#include "tools/failure_reason.h"

namespace pelok {
namespace tool {

namespace {

size_t CountKeysBelow(const StoreEntry& entry) {
  size_t count = 0;
  for (const StoreEntry& child : entry.children) {
    if (!child.is_value) count += 1 + CountKeysBelow(child);
  }
  return count;
}

// A key with keys below it goes only with --force, or when the user says so on a terminal:
// one mistyped path would otherwise take a whole tree (or a whole root) with it.
int ConfirmTree(const CommandLine& line, const KeyName& key, const StoreEntry& entry) {
  const size_t below = CountKeysBelow(entry);
  if (below == 0 || line.force) return kExitOk;
  const std::string what = Quoted(key.path) + " has " + std::to_string(below) +
                           (below == 1 ? " key" : " keys") + " below it";
  if (!CanAsk()) {
    return Fail(kExitUsage, line.typed_command + ": " + what +
                                "; give --force (/f) to delete it with everything below it");
  }
  std::fprintf(stderr, "pelreg: %s. Delete it with everything below it? [y/N] ", what.c_str());
  std::fflush(stderr);
  std::string answer;
  std::getline(std::cin, answer);
  if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes") return kExitOk;
  return Fail(kExitUsage, line.typed_command + ": " + Quoted(key.path) + " kept");
}

int DeleteValues(CommandContext& context, uint32_t handle, const KeyName& key,
                 const std::vector<std::string>& names) {
  RegistrySession* session = context.Session();
  for (const std::string& name : names) {
    if (!session->front()->DeleteValue(handle, name.c_str())) {
      return Fail(kExitFailure, "cannot delete the value " + Quoted(name) + " of the key " +
                                    Quoted(key.path) +
                                    Because(WhyNotWritable(context.store_path(), 0)));
    }
  }
  return session->Flush() ? kExitOk : CannotWriteStore(context, 0);
}

}  // namespace

int RunDelete(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 1, line.all_values ? 1 : 2, {"KEY", "NAME"}, &error)) {
    return Fail(kExitUsage, error);
  }
  const bool whole_key = line.args.size() == 1 && !line.all_values;
  KeyName key;
  std::string name;
  if (!ParseKeyAndName(line, &key, line.args.size() == 1 ? nullptr : &name)) return kExitUsage;
  std::vector<StoreEntry> entries;
  const StoreEntry* key_entry = nullptr;
  const StoreEntry* value_entry = nullptr;
  if (int status = ReadStoreAndKey(context, key, &entries, &key_entry)) return status;
  std::vector<std::string> names;
  if (line.all_values) {
    for (const StoreEntry& child : key_entry->children) {
      if (child.is_value) names.push_back(child.name);
    }
  } else if (!whole_key) {
    if (int status = LookUpValue(*key_entry, key, name, &value_entry)) return status;
    names.push_back(name);
  } else if (int status = ConfirmTree(line, key, *key_entry)) {
    return status;
  }
  RegistrySession* session = context.Session();
  if (session == nullptr) return kExitFailure;
  // The store file is written through an open key: the parent stays open while its child
  // goes. A key right under the root has none, and is checked in the file instead.
  const bool has_parent = key.parts.size() > 1;
  if (whole_key && has_parent &&
      session->OpenKey(KeyFromParts(key.parts, key.parts.size() - 1)) == 0) {
    return CannotOpenKey(context, KeyFromParts(key.parts, key.parts.size() - 1));
  }
  const uint32_t handle = session->OpenKey(key);
  if (handle == 0) return CannotOpenKey(context, key);
  if (!whole_key) return DeleteValues(context, handle, key, names);
  if (!session->front()->DeleteKey(handle)) {
    return Fail(kExitFailure, "cannot delete the key " + Quoted(key.path) +
                                  Because(WhyNotWritable(context.store_path(), 0)));
  }
  if (has_parent) return session->Flush() ? kExitOk : CannotWriteStore(context, 0);
  context.CloseRegistry();
  bool exists = false;
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  size_t value_in_path = 0;
  return FindKeyEntry(entries, key.parts, &value_in_path) == nullptr ? kExitOk
                                                                     : CannotWriteStore(context, 0);
}

}  // namespace tool
}  // namespace pelok

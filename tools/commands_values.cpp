// get, set, delete and list: one key's values, through the register front.
#include <cstdio>

#include "pelok/component.h"
#include "tools/commands.h"
#include "tools/exit_status.h"

namespace pelok {
namespace tool {

namespace {

// The key and value name arguments; false with the usage line printed.
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

int CannotOpen(const CommandContext& context, const KeyName& key) {
  return Fail(kExitFailure, "cannot open the key " + Quoted(key.path) + " in the store file " +
                                Quoted(context.store_path()));
}

int CannotWrite(const CommandContext& context) {
  return Fail(kExitFailure, "cannot write the store file " + Quoted(context.store_path()));
}

// The value's data line of get, or "name<TAB>type<TAB>size<TAB>data" for list.
bool PrintValue(CommandContext& context, uint32_t handle, const KeyName& key,
                const std::string& name, bool as_list) {
  ValueData value;
  int size = 0;
  if (!context.Session()->ReadValue(handle, name, &value, &size)) {
    Fail(kExitFailure, "cannot read the value " + Quoted(name) + " of the key " + Quoted(key.path));
    return false;
  }
  const std::string data = FormatValue(value.type, value.bytes.data(), value.bytes.size());
  if (as_list) {
    std::printf("%s\t%s\t%d\t%s\n", name.c_str(), TypeName(value.type).c_str(), size,
                OneLine(data).c_str());
  } else {
    std::fwrite(data.data(), 1, data.size(), stdout);
    std::fputc('\n', stdout);
  }
  return true;
}

}  // namespace

int RunGet(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 2, 2, {"KEY", "NAME"}, &error)) return Fail(kExitUsage, error);
  KeyName key;
  std::string name;
  if (!ParseKeyAndName(line, &key, &name)) return kExitUsage;
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> entries;
  bool exists = false;
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  const StoreEntry* key_entry = nullptr;
  const StoreEntry* value_entry = nullptr;
  if (int status = LookUpKey(context, entries, exists, key, &key_entry)) return status;
  if (int status = LookUpValue(*key_entry, key, name, &value_entry)) return status;
  if (context.Session() == nullptr) return kExitFailure;
  const uint32_t handle = context.Session()->OpenKey(key);
  if (handle == 0) return CannotOpen(context, key);
  return PrintValue(context, handle, key, name, false) ? kExitOk : kExitFailure;
}

int RunSet(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 3, 3, {"KEY", "NAME", "VALUE"}, &error)) {
    return Fail(kExitUsage, error);
  }
  KeyName key;
  std::string name;
  if (!ParseKeyAndName(line, &key, &name)) return kExitUsage;
  const int type = line.type.empty() ? value_type::kText : ParseTypeName(line.type);
  if (type == 0) {
    return Fail(kExitUsage, line.typed_command + ": unknown --type " + Quoted(line.type) +
                                " (text, int or binary)");
  }
  ValueData value;
  if (!ParseValueText(type, line.args[2], &value, &error)) {
    return Fail(kExitUsage, line.typed_command + ": " + error);
  }
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> entries;
  bool exists = false;
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  // The store finds keys and values by name alike: a value must not stand where the key path
  // goes on, nor a key where the value goes.
  size_t value_in_path = 0;
  const StoreEntry* key_entry = FindKeyEntry(entries, key.parts, &value_in_path);
  if (value_in_path != 0) {
    return Fail(kExitNotFound,
                Quoted(KeyFromParts(key.parts, value_in_path).path) + " is a value, not a key");
  }
  const StoreEntry* existing = key_entry ? FindChild(key_entry->children, name) : nullptr;
  if (existing != nullptr && !existing->is_value) {
    return Fail(kExitNotFound, Quoted(key.path + "/" + name) + " is a key, not a value");
  }
  if (context.Session() == nullptr) return kExitFailure;
  const uint32_t handle = context.Session()->OpenKey(key);
  if (handle == 0) return CannotOpen(context, key);
  if (!context.Session()->front()->SetValue(handle, name.c_str(), value.type, value.bytes.data(),
                                            static_cast<int>(value.bytes.size()))) {
    return Fail(kExitFailure,
                "cannot set the value " + Quoted(name) + " of the key " + Quoted(key.path));
  }
  return context.Session()->Flush() ? kExitOk : CannotWrite(context);
}

int RunDelete(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 1, 2, {"KEY", "NAME"}, &error)) return Fail(kExitUsage, error);
  const bool whole_key = line.args.size() == 1;
  KeyName key;
  std::string name;
  if (!ParseKeyAndName(line, &key, whole_key ? nullptr : &name)) return kExitUsage;
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> entries;
  bool exists = false;
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  const StoreEntry* key_entry = nullptr;
  const StoreEntry* value_entry = nullptr;
  if (int status = LookUpKey(context, entries, exists, key, &key_entry)) return status;
  if (!whole_key) {
    if (int status = LookUpValue(*key_entry, key, name, &value_entry)) return status;
  }
  RegistrySession* session = context.Session();
  if (session == nullptr) return kExitFailure;
  // The store file is written through an open key: the parent stays open while its child
  // goes. A key right under the root has none, and is checked in the file instead.
  const bool has_parent = key.parts.size() > 1;
  if (whole_key && has_parent &&
      session->OpenKey(KeyFromParts(key.parts, key.parts.size() - 1)) == 0) {
    return CannotOpen(context, KeyFromParts(key.parts, key.parts.size() - 1));
  }
  const uint32_t handle = session->OpenKey(key);
  if (handle == 0) return CannotOpen(context, key);
  if (!whole_key) {
    if (!session->front()->DeleteValue(handle, name.c_str())) {
      return Fail(kExitFailure,
                  "cannot delete the value " + Quoted(name) + " of the key " + Quoted(key.path));
    }
    return session->Flush() ? kExitOk : CannotWrite(context);
  }
  if (!session->front()->DeleteKey(handle)) {
    return Fail(kExitFailure, "cannot delete the key " + Quoted(key.path));
  }
  if (has_parent) return session->Flush() ? kExitOk : CannotWrite(context);
  context.CloseRegistry();
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  size_t value_in_path = 0;
  return FindKeyEntry(entries, key.parts, &value_in_path) == nullptr ? kExitOk
                                                                     : CannotWrite(context);
}

int RunList(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 1, 1, {"KEY"}, &error)) return Fail(kExitUsage, error);
  KeyName key;
  if (!ParseKeyAndName(line, &key, nullptr)) return kExitUsage;
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> entries;
  bool exists = false;
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  const StoreEntry* key_entry = nullptr;
  if (int status = LookUpKey(context, entries, exists, key, &key_entry)) return status;
  if (context.Session() == nullptr) return kExitFailure;
  const uint32_t handle = context.Session()->OpenKey(key);
  if (handle == 0) return CannotOpen(context, key);
  for (const StoreEntry& child : key_entry->children) {
    if (child.is_value && !PrintValue(context, handle, key, child.name, true)) {
      return kExitFailure;
    }
  }
  return kExitOk;
}

}  // namespace tool
}  // namespace pelok

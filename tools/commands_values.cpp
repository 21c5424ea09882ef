// get and set: one value, through the register front.
#include <cstdio>

#include "pelok/component.h"
#include "tools/commands.h"
#include "tools/exit_status.h"
#include "tools/failure_reason.h"
#include "tools/file_bytes.h"
#include "tools/json_text.h"

namespace pelok {
namespace tool {

namespace {

// The data of set: the VALUE argument, or the bytes of --from-file. Text from a file is taken
// as it is; a number from a file may end with blanks or a line end; binary data from a file is
// its bytes themselves (not hexadecimal digits).
int ValueOfSet(const CommandLine& line, int type, ValueData* value) {
  std::string error;
  if (!line.has_from_file) {
    if (!ParseValueText(type, line.args[2], value, &error)) {
      return Fail(kExitUsage, line.typed_command + ": " + error);
    }
    return kExitOk;
  }
  std::string bytes;
  const std::string shown = line.from_file == "-" ? "standard input" : Quoted(line.from_file);
  if (!ReadFileBytes(line.from_file, &bytes, &error)) {
    return Fail(kExitFailure, "cannot read " + shown + Because(error));
  }
  if (type == value_type::kBinary) {
    if (bytes.empty()) {
      return Fail(kExitUsage, line.typed_command + ": " + shown + " is empty (binary data " +
                                  "takes at least one byte)");
    }
    value->type = type;
    value->bytes.assign(bytes.begin(), bytes.end());
    return kExitOk;
  }
  if (bytes.find('\0') != std::string::npos) {
    return Fail(kExitUsage, line.typed_command + ": " + shown +
                                " holds a zero byte, which would end the text there");
  }
  if (type == value_type::kUint32) {
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r' || bytes.back() == ' ' ||
                              bytes.back() == '\t')) {
      bytes.pop_back();
    }
  }
  if (!ParseValueText(type, bytes, value, &error)) {
    return Fail(kExitUsage, line.typed_command + ": " + error);
  }
  return kExitOk;
}

// add KEY without /v: reg.exe's way of creating a key without values.
int CreateKeyOnly(CommandContext& context) {
  const CommandLine& line = context.line();
  KeyName key;
  if (!ParseKeyAndName(line, &key, nullptr)) return kExitUsage;
  if (!line.type.empty()) return Fail(kExitUsage, line.typed_command + ": /t needs /v NAME");
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> entries;
  bool exists = false;
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  size_t value_in_path = 0;
  FindKeyEntry(entries, key.parts, &value_in_path);
  if (value_in_path != 0) {
    return Fail(kExitNotFound,
                Quoted(KeyFromParts(key.parts, value_in_path).path) + " is a value, not a key");
  }
  if (context.Session() == nullptr) return kExitFailure;
  if (context.Session()->OpenKey(key) == 0) return CannotOpenKey(context, key);
  return context.Session()->Flush() ? kExitOk : CannotWriteStore(context, 0);
}

}  // namespace

int RunGet(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 2, 2, {"KEY", "NAME"}, &error)) return Fail(kExitUsage, error);
  KeyName key;
  std::string name;
  if (!ParseKeyAndName(line, &key, &name)) return kExitUsage;
  std::vector<StoreEntry> entries;
  const StoreEntry* key_entry = nullptr;
  const StoreEntry* value_entry = nullptr;
  if (int status = ReadStoreAndKey(context, key, &entries, &key_entry)) return status;
  if (int status = LookUpValue(*key_entry, key, name, &value_entry)) return status;
  if (context.Session() == nullptr) return kExitFailure;
  const uint32_t handle = context.Session()->OpenKey(key);
  if (handle == 0) return CannotOpenKey(context, key);
  ValueData value;
  int size = 0;
  // An odd value that cannot be shown is the one thing asked for: the command fails.
  if (ReadKeyValue(context, handle, key, *value_entry, &value, &size) != ValueRead::kRead) {
    return kExitFailure;
  }
  if (line.json) {
    const std::string json =
        "{\"key\":" + JsonString(key.path) + "," + JsonValueMembers(name, value, size) + "}\n";
    std::fwrite(json.data(), 1, json.size(), stdout);
  } else {
    const std::string data = FormatValue(value.type, value.bytes.data(), value.bytes.size());
    std::fwrite(data.data(), 1, data.size(), stdout);
    std::fputc('\n', stdout);
  }
  return kExitOk;
}

int RunSet(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  const bool from_file = line.has_from_file;
  if (line.typed_command == "add" && line.args.size() == 1 && !from_file) {
    return CreateKeyOnly(context);
  }
  const std::vector<std::string> names = {"KEY", "NAME", "VALUE"};
  if (!CheckArgumentCount(line, from_file ? 2 : 3, from_file ? 2 : 3, names, &error)) {
    return Fail(kExitUsage, error);
  }
  KeyName key;
  std::string name;
  if (!ParseKeyAndName(line, &key, &name)) return kExitUsage;
  const int type = line.type.empty() ? value_type::kText : ParseTypeName(line.type);
  if (type == 0) {
    return Fail(kExitUsage, line.typed_command + ": unknown --type " + Quoted(line.type) +
                                " (text, int or binary; 1, 2 or 3; REG_SZ, REG_DWORD or " +
                                "REG_BINARY)");
  }
  ValueData value;
  if (int status = ValueOfSet(line, type, &value)) return status;
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
  if (handle == 0) return CannotOpenKey(context, key);
  // Binary data takes two digits a byte in the file.
  const size_t grows = 2 * value.bytes.size() + name.size() + 64;
  if (!context.Session()->front()->SetValue(handle, name.c_str(), value.type, value.bytes.data(),
                                            static_cast<int>(value.bytes.size()))) {
    return Fail(kExitFailure, "cannot set the value " + Quoted(name) + " of the key " +
                                  Quoted(key.path) +
                                  Because(WhyNotWritable(context.store_path(), grows)));
  }
  return context.Session()->Flush() ? kExitOk : CannotWriteStore(context, grows);
}

}  // namespace tool
}  // namespace pelok

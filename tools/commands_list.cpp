// list: a key's values and the keys right below it (or, with -r, everything below it). The
// names come from the store file, which knows the sub-keys; the values are read through the
// register front, as get reads them.
//
// Lines (the default): a value is "NAME<TAB>TYPE<TAB>SIZE<TAB>DATA", a key "NAME/"; with -r,
// NAME is the path below the listed key ("net/port", "net/"). The key's values come first, in
// the order of the file, then each key below it, followed with -r by what it holds. DATA is
// escaped (OneLine): a backslash is "\\", control characters "\n", "\t", "\r", "\xNN".
// -z: the same records, each ended by a zero byte instead of a line end, DATA unescaped.
// --json: one key object (tools/json_text.h).
#include <cstdio>

#include "tools/commands.h"
#include "tools/console.h"
#include "tools/exit_status.h"
#include "tools/json_text.h"

namespace pelok {
namespace tool {

namespace {

class Listing {
 public:
  explicit Listing(CommandContext& context) : context_(context), line_(context.line()) {}

  // Prints the records of key (whose entry is entry), names after prefix.
  int Records(const KeyName& key, const StoreEntry& entry, const std::string& prefix);
  // Appends the key object of key to *json.
  int Json(const KeyName& key, const StoreEntry& entry, std::string* json);

 private:
  void Record(const std::string& text);
  // Opens key and calls each(child, value, size) for each of its values that reads as a value;
  // a failure status when the key cannot be opened or a value cannot be read.
  template <typename Each>
  int ForEachValue(const KeyName& key, const StoreEntry& entry, Each each);

  CommandContext& context_;
  const CommandLine& line_;
};

KeyName ChildKey(const KeyName& key, const StoreEntry& child) {
  std::vector<std::string> parts = key.parts;
  // Lower-cased as the registry lower-cases key paths (a double-byte character stays whole).
  parts.push_back(LowerKeyText(child.name));
  return KeyFromParts(parts, parts.size());
}

void Listing::Record(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc(line_.nul ? '\0' : '\n', stdout);
}

template <typename Each>
int Listing::ForEachValue(const KeyName& key, const StoreEntry& entry, Each each) {
  const uint32_t handle = context_.Session()->OpenKey(key);
  if (handle == 0) return CannotOpenKey(context_, key);
  for (const StoreEntry& child : entry.children) {
    if (!child.is_value) continue;
    ValueData value;
    int size = 0;
    const ValueRead read = ReadKeyValue(context_, handle, key, child, &value, &size);
    if (read == ValueRead::kFailed) return kExitFailure;
    if (read == ValueRead::kRead) each(child, value, size);
  }
  return kExitOk;
}

int Listing::Records(const KeyName& key, const StoreEntry& entry, const std::string& prefix) {
  const int values = ForEachValue(
      key, entry, [&](const StoreEntry& child, const ValueData& value, int size) {
        const std::string data = FormatValue(value.type, value.bytes.data(), value.bytes.size());
        Record(prefix + child.name + "\t" + TypeName(value.type) + "\t" + std::to_string(size) +
               "\t" + (line_.nul ? data : OneLine(data)));
      });
  if (values != kExitOk) return values;
  for (const StoreEntry& child : entry.children) {
    if (child.is_value) continue;
    Record(prefix + child.name + "/");
    if (!line_.recursive) continue;
    if (int status = Records(ChildKey(key, child), child, prefix + child.name + "/")) {
      return status;
    }
  }
  return kExitOk;
}

int Listing::Json(const KeyName& key, const StoreEntry& entry, std::string* json) {
  *json += "{\"name\":" + JsonString(key.parts.back()) + ",\"path\":" + JsonString(key.path) +
           ",\"values\":[";
  bool first = true;
  const int values = ForEachValue(
      key, entry, [&](const StoreEntry& child, const ValueData& value, int size) {
        *json += (first ? "{" : ",{") + JsonValueMembers(child.name, value, size) + "}";
        first = false;
      });
  if (values != kExitOk) return values;
  *json += "],\"keys\":[";
  first = true;
  for (const StoreEntry& child : entry.children) {
    if (child.is_value) continue;
    if (!first) *json += ",";
    first = false;
    const KeyName below = ChildKey(key, child);
    if (!line_.recursive) {
      *json += "{\"name\":" + JsonString(child.name) + ",\"path\":" + JsonString(below.path) + "}";
    } else if (int status = Json(below, child, json)) {
      return status;
    }
  }
  *json += "]}";
  return kExitOk;
}

}  // namespace

int RunList(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 1, 1, {"KEY"}, &error)) return Fail(kExitUsage, error);
  KeyName key;
  if (!ParseKeyAndName(line, &key, nullptr)) return kExitUsage;
  std::vector<StoreEntry> entries;
  const StoreEntry* key_entry = nullptr;
  if (int status = ReadStoreAndKey(context, key, &entries, &key_entry)) return status;
  if (context.Session() == nullptr) return kExitFailure;
  Listing listing(context);
  // Records that end with a zero byte keep their data exactly, line ends included.
  if (line.nul) {
    std::fflush(stdout);
    UseBinary(stdout);
  }
  if (!line.json) return listing.Records(key, *key_entry, "");
  std::string json;
  if (int status = listing.Json(key, *key_entry, &json)) return status;
  json += "\n";
  std::fwrite(json.data(), 1, json.size(), stdout);
  return kExitOk;
}

}  // namespace tool
}  // namespace pelok

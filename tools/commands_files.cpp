// tree and export: the store file's hierarchy, read whole through a document component.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "pelok/component.h"
#include "tools/commands.h"
#include "tools/exit_status.h"
#include "tools/failure_reason.h"
#include "tools/file_bytes.h"
#include "tools/json_text.h"
#include "tools/system_files.h"
#include "tools/temp_file.h"
#include "tools/value_text.h"
#include "tools/work_directory.h"

namespace pelok {
namespace tool {

namespace {

void PrintEntries(const std::vector<StoreEntry>& entries, int depth) {
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  for (const StoreEntry& entry : entries) {
    if (entry.is_value) {
      std::printf("%s%s (%s) = %s\n", indent.c_str(), entry.name.c_str(),
                  TypeName(entry.type).c_str(), OneLine(entry.text).c_str());
    } else {
      std::printf("%s%s\n", indent.c_str(), entry.name.c_str());
    }
    PrintEntries(entry.children, depth + 1);
  }
}

// A value object from the file's text, which keeps a number in decimal and binary data in
// hexadecimal: the same data the register front gives.
std::string JsonOfStoredValue(const StoreEntry& entry) {
  ValueData value;
  std::string error;
  if (ParseValueText(entry.type, entry.text, &value, &error)) {
    return "{" + JsonValueMembers(entry.name, value, entry.size) + "}";
  }
  return "{\"name\":" + JsonString(entry.name) + ",\"type\":" + JsonString(TypeName(entry.type)) +
         ",\"size\":" + std::to_string(entry.size) + ",\"data\":" + JsonString(entry.text) + "}";
}

std::string JsonOfKey(const std::string& name, const std::string& path,
                      const std::vector<StoreEntry>& children) {
  std::string json =
      "{\"name\":" + JsonString(name) + ",\"path\":" + JsonString(path) + ",\"values\":[";
  bool first = true;
  for (const StoreEntry& child : children) {
    if (!child.is_value) continue;
    json += (first ? "" : ",") + JsonOfStoredValue(child);
    first = false;
  }
  json += "],\"keys\":[";
  first = true;
  for (const StoreEntry& child : children) {
    if (child.is_value) continue;
    json += first ? "" : ",";
    json +=
        JsonOfKey(child.name, path.empty() ? child.name : path + "/" + child.name, child.children);
    first = false;
  }
  return json + "]}";
}

// About how many bytes the entries take in a file.
size_t FileBytesOf(const std::vector<StoreEntry>& entries) {
  size_t bytes = 0;
  for (const StoreEntry& entry : entries) {
    bytes += 2 * entry.name.size() + entry.text.size() + 48 + FileBytesOf(entry.children);
  }
  return bytes;
}

// Whether file is the store under any spelling: the same file where both exist ("./x.xml",
// "sub/../x.xml", a link), else the same path once "." and ".." are gone (case and the kind
// of separator aside on Windows).
bool NamesTheStore(const std::string& file, const std::string& store) {
  std::error_code error;
  if (std::filesystem::equivalent(file, store, error) && !error) return true;
  const auto normal = [](const std::string& path) {
    std::string text = std::filesystem::path(path).lexically_normal().string();
    for (char& c : text) {
      if (c == '\\') c = '/';
      if (kFileNamesIgnoreCase) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return std::filesystem::path(text).lexically_normal().string();
  };
  return normal(file) == normal(store);
}

}  // namespace

int RunTree(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 0, 1, {"KEY"}, &error)) return Fail(kExitUsage, error);
  KeyName key;
  if (!line.args.empty() && !ParseKeyName(line.args[0], &key, &error)) {
    return Fail(kExitUsage, line.typed_command + ": " + error);
  }
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> entries;
  bool exists = false;
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  const StoreEntry* key_entry = nullptr;
  if (!line.args.empty()) {
    if (int status = LookUpKey(context, entries, exists, key, &key_entry)) return status;
  }
  if (line.json) {
    const std::string json =
        (key_entry == nullptr ? JsonOfKey("", "", entries)
                              : JsonOfKey(key.parts.back(), key.path, key_entry->children)) +
        "\n";
    std::fwrite(json.data(), 1, json.size(), stdout);
    return kExitOk;
  }
  if (key_entry == nullptr) {
    PrintEntries(entries, 0);
    return kExitOk;
  }
  std::printf("%s\n", key.path.c_str());
  PrintEntries(key_entry->children, 1);
  return kExitOk;
}

int RunExport(CommandContext& context) {
  const CommandLine& line = context.line();
  std::string error;
  if (!CheckArgumentCount(line, 2, 2, {"KEY", "FILE"}, &error)) return Fail(kExitUsage, error);
  KeyName key;
  if (!ParseKeyName(line.args[0], &key, &error)) {
    return Fail(kExitUsage, line.typed_command + ": " + error);
  }
  const bool to_output = line.args[1] == "-";
  std::string file = AbsoluteName(line.args[1]);
  if (!to_output && NamesTheStore(file, context.store_path())) {
    return Fail(kExitUsage,
                line.typed_command + ": " + Quoted(line.args[1]) + " is the store file itself");
  }
  std::vector<StoreEntry> entries;
  const StoreEntry* key_entry = nullptr;
  if (int status = ReadStoreAndKey(context, key, &entries, &key_entry)) return status;
  // Standard output gets the bytes of a file written as any export file is.
  TempFileGuard output_file;
  if (to_output) {
    if (!CreateTempFile(&file, &error)) {
      return Fail(kExitFailure, "cannot create a temporary file" + Because(error));
    }
    output_file.Reset(file);
  }
  // The key keeps its full path: the parents come along, without their other children.
  const std::vector<std::string> parents(key.parts.begin(), key.parts.end() - 1);
  StoreDocument document(context.host().CreateDocument());
  if (!document.Write(file, parents, {*key_entry}, &error)) {
    if (error.empty()) error = WhyNotWritable(file, FileBytesOf({*key_entry}));
    return Fail(kExitFailure, "cannot write the export file " + Quoted(file) + Because(error));
  }
  if (!to_output) return kExitOk;
  std::string bytes;
  if (!ReadFileBytes(file, &bytes, &error)) {
    return Fail(kExitFailure, "cannot read the temporary file " + Quoted(file) + Because(error));
  }
  if (!WriteStandardOutput(bytes, &error)) {
    return Fail(kExitFailure, "cannot write to standard output" + Because(error));
  }
  return kExitOk;
}

}  // namespace tool
}  // namespace pelok

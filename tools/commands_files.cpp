// tree and export: the store file's hierarchy, read whole through a document component.
#include <cctype>
#include <cstdio>

#include "tools/commands.h"
#include "tools/exit_status.h"
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

// The file names the same file as the store, as far as the user's spelling tells.
bool SameFileName(const std::string& a, const std::string& b) {
#if defined(_WIN32)
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(a[i])));
    char y = b[i] == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(b[i])));
    if (x != y) return false;
  }
  return true;
#else
  return a == b;
#endif
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
  if (line.args.empty()) {
    PrintEntries(entries, 0);
    return kExitOk;
  }
  const StoreEntry* key_entry = nullptr;
  if (int status = LookUpKey(context, entries, exists, key, &key_entry)) return status;
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
  const std::string file = AbsoluteName(line.args[1]);
  if (SameFileName(file, context.store_path())) {
    return Fail(kExitUsage,
                line.typed_command + ": " + Quoted(line.args[1]) + " is the store file itself");
  }
  if (!context.OpenFramework()) return kExitFailure;
  std::vector<StoreEntry> entries;
  bool exists = false;
  if (!context.ReadStore(&entries, &exists)) return kExitFailure;
  const StoreEntry* key_entry = nullptr;
  if (int status = LookUpKey(context, entries, exists, key, &key_entry)) return status;
  // The key keeps its full path: the parents come along, without their other children.
  const std::vector<std::string> parents(key.parts.begin(), key.parts.end() - 1);
  StoreDocument document(context.host().CreateDocument());
  if (!document.Write(file, parents, {*key_entry})) {
    return Fail(kExitFailure, "cannot write the export file " + Quoted(file));
  }
  return kExitOk;
}

}  // namespace tool
}  // namespace pelok

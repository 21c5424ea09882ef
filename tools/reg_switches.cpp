#include "tools/reg_switches.h"

#include "pelok/component.h"
#include "tools/exit_status.h"
#include "tools/value_text.h"

namespace pelok {
namespace tool {

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// "/" and one or two letters: what reg.exe's switches look like. An absolute path ("/tmp/x")
// is longer or has a separator, so it stays an argument.
bool LooksLikeSwitch(const std::string& word) {
  if (word.size() < 2 || word.size() > 3 || word[0] != '/') return false;
  for (size_t i = 1; i < word.size(); ++i) {
    const char c = word[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return true;
}

struct Switch {
  const char* name;
  const char* verbs;  // " query add " and so on
  bool takes_value;
};

constexpr Switch kSwitches[] = {
    {"/v", " query add delete ", true}, {"/t", " add ", true},    {"/d", " add ", true},
    {"/f", " add delete ", false},      {"/s", " query ", false}, {"/va", " delete ", false},
    {"/y", " export ", false}};

}  // namespace

bool IsRegVerb(const std::string& typed_command) {
  return typed_command == "query" || typed_command == "add" || typed_command == "delete" ||
         typed_command == "export" || typed_command == "import";
}

bool ApplyRegSwitches(const std::vector<CommandWord>& words, CommandLine* line,
                      std::string* error) {
  const std::string& verb = line->typed_command;
  bool has_name = false;
  bool has_data = false;
  std::string name;
  std::string data;
  for (size_t i = 0; i < words.size(); ++i) {
    const CommandWord& word = words[i];
    if (word.literal || !LooksLikeSwitch(word.text)) {
      line->args.push_back(word.text);
      continue;
    }
    const std::string lower = LowerAscii(word.text);
    const Switch* found = nullptr;
    for (const Switch& candidate : kSwitches) {
      if (lower == candidate.name) found = &candidate;
    }
    if (found == nullptr || std::string(found->verbs).find(" " + verb + " ") == std::string::npos) {
      *error = verb + ": unknown switch " + Quoted(word.text) + " (see pelreg " + verb + " /?)";
      return false;
    }
    std::string value;
    if (found->takes_value) {
      if (i + 1 >= words.size()) {
        *error = verb + ": " + word.text + " needs a value";
        return false;
      }
      value = words[++i].text;
    }
    if (lower == "/v") {
      if (has_name) {
        *error = verb + ": /v given twice";
        return false;
      }
      has_name = true;
      name = value;
    } else if (lower == "/t") {
      line->type = value;
    } else if (lower == "/d") {
      has_data = true;
      data = value;
    } else if (lower == "/f") {
      line->force = true;
    } else if (lower == "/s") {
      line->recursive = true;
    } else if (lower == "/va") {
      line->all_values = true;
    }
    // "/y" (export: replace the file without asking) is what export always does.
  }
  if (has_name && line->all_values) {
    *error = verb + ": /v and /va do not go together";
    return false;
  }
  if (has_name) line->args.push_back(name);
  if (verb == "add" && has_name && !has_data && !line->has_from_file) {
    // reg.exe's default: empty text, or the number 0.
    has_data = true;
    if (ParseTypeName(line->type) == value_type::kUint32) data = "0";
  }
  if (has_data) {
    if (!has_name) {
      *error = verb + ": /d needs /v NAME";
      return false;
    }
    line->args.push_back(data);
  }
  return true;
}

}  // namespace tool
}  // namespace pelok

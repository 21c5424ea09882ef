#include "tools/command_line.h"

#include "tools/exit_status.h"
#include "tools/reg_switches.h"

namespace pelok {
namespace tool {

namespace {

struct Verb {
  const char* word;
  const char* command;
};

constexpr Verb kVerbs[] = {{"get", "get"},       {"set", "set"},   {"delete", "delete"},
                           {"list", "list"},     {"tree", "tree"}, {"export", "export"},
                           {"import", "import"}, {"help", "help"}, {"add", "set"},
                           {"query", "query"}};

// An option that is no more than a word of its own.
struct Flag {
  const char* long_name;
  const char* short_name;
  bool CommandLine::*field;
};

constexpr Flag kFlags[] = {{"--help", "-h", &CommandLine::help},
                           {"--version", nullptr, &CommandLine::version},
                           {"--recursive", "-r", &CommandLine::recursive},
                           {"--json", nullptr, &CommandLine::json},
                           {"--null", "-z", &CommandLine::nul},
                           {"--force", "-f", &CommandLine::force}};

bool TakesValue(const std::string& option) {
  return option == "--store" || option == "--registry" || option == "--kind" ||
         option == "--type" || option == "--from-file";
}

const Flag* FindFlag(const std::string& arg) {
  for (const Flag& flag : kFlags) {
    if (arg == flag.long_name || (flag.short_name != nullptr && arg == flag.short_name)) {
      return &flag;
    }
  }
  return nullptr;
}

bool SetOption(const std::string& option, const std::string& value, CommandLine* line,
               std::string* error) {
  if (value.empty()) {
    *error = option + " needs a value";
    return false;
  }
  if (option == "--store") {
    line->store = value;
  } else if (option == "--registry") {
    line->registry = value;
  } else if (option == "--type") {
    line->type = value;
  } else if (option == "--from-file") {
    line->from_file = value;
    line->has_from_file = true;
  } else if (value == "2" || value == "3") {
    line->kind = value[0] - '0';
  } else {
    *error = "--kind must be 2 or 3, not " + Quoted(value);
    return false;
  }
  return true;
}

// An option given to a command it does not belong to is a usage error, not a thing ignored.
bool CheckOptionsBelong(const CommandLine& line, std::string* error) {
  const struct {
    bool given;
    const char* option;
    const char* commands;
    const char* says;
  } uses[] = {
      {!line.type.empty(), "--type", " set ", "set"},
      {line.has_from_file, "--from-file", " set ", "set"},
      {line.recursive, "--recursive", " list ", "list"},
      {line.json, "--json", " get list tree ", "get, list and tree"},
      {line.nul, "-z", " list ", "list"},
      {line.force, "--force", " delete set ", "delete and set"},
      {line.all_values, "/va", " delete ", "delete"},
  };
  for (const auto& use : uses) {
    if (use.given &&
        std::string(use.commands).find(" " + line.command + " ") == std::string::npos) {
      *error =
          std::string(use.option) + " belongs to " + use.says + ", not to " + line.typed_command;
      return false;
    }
  }
  if (line.json && line.nul) {
    *error = "--json and -z do not go together";
    return false;
  }
  return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* line, std::string* error) {
  std::vector<CommandWord> words;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options_done) {
      words.push_back({arg, true});
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg == "/?") {
      line->help = true;
      continue;
    }
    if (const Flag* flag = FindFlag(arg)) {
      line->*(flag->field) = true;
      continue;
    }
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      // "-" alone names standard input or output, and "-1" is a number.
      words.push_back({arg, false});
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string option = arg.substr(0, equals);
    if (!TakesValue(option)) {
      *error = "unknown option " + Quoted(arg);
      return false;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    }
    if (!SetOption(option, value, line, error)) return false;
  }
  if (words.empty()) return true;
  line->typed_command = words[0].text;
  for (const Verb& verb : kVerbs) {
    if (line->typed_command == verb.word) line->command = verb.command;
  }
  if (line->command.empty()) {
    *error = "unknown command " + Quoted(line->typed_command) + " (see pelreg --help)";
    return false;
  }
  words.erase(words.begin());
  if (IsRegVerb(line->typed_command)) {
    if (!ApplyRegSwitches(words, line, error)) return false;
  } else {
    for (const CommandWord& word : words) line->args.push_back(word.text);
  }
  if (line->command == "query") line->command = line->args.size() >= 2 ? "get" : "list";
  return line->help || CheckOptionsBelong(*line, error);
}

bool CheckArgumentCount(const CommandLine& line, size_t min, size_t max,
                        const std::vector<std::string>& names, std::string* error) {
  if (line.args.size() < min) {
    *error = line.typed_command + ": missing " + names[line.args.size()] + " (see pelreg " +
             line.typed_command + " --help)";
    return false;
  }
  if (line.args.size() > max) {
    *error = line.typed_command + ": unexpected argument " + Quoted(line.args[max]);
    return false;
  }
  return true;
}

}  // namespace tool
}  // namespace pelok

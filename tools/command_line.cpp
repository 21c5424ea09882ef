#include "tools/command_line.h"

#include "tools/exit_status.h"

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

bool TakesValue(const std::string& option) {
  return option == "--store" || option == "--registry" || option == "--kind" || option == "--type";
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
  } else if (value == "2" || value == "3") {
    line->kind = value[0] - '0';
  } else {
    *error = "--kind must be 2 or 3, not " + Quoted(value);
    return false;
  }
  return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* line, std::string* error) {
  std::vector<std::string> words;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options_done || arg.size() < 2 || arg[0] != '-' || (arg[1] != '-' && arg != "-h")) {
      words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
    } else if (arg == "--help" || arg == "-h") {
      line->help = true;
    } else {
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
  }
  if (words.empty()) return true;
  line->typed_command = words[0];
  line->args.assign(words.begin() + 1, words.end());
  for (const Verb& verb : kVerbs) {
    if (line->typed_command == verb.word) line->command = verb.command;
  }
  if (line->command.empty()) {
    *error = "unknown command " + Quoted(line->typed_command) + " (see pelreg --help)";
    return false;
  }
  if (line->command == "query") line->command = line->args.size() >= 2 ? "get" : "list";
  if (!line->type.empty() && line->command != "set") {
    *error = "--type belongs to set, not to " + line->typed_command;
    return false;
  }
  return true;
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

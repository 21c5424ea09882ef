// pelreg's command line: the options, the command and its arguments.
#ifndef PELOK_TOOLS_COMMAND_LINE_H_
#define PELOK_TOOLS_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace pelok {
namespace tool {

struct CommandLine {
  std::string command;            // get, set, delete, list, tree, export, import, help; or ""
  std::string typed_command;      // as the user typed it (an alias stays "query", "add")
  std::vector<std::string> args;  // the command's own arguments, options taken out
  std::string store = "registry.xml";
  std::string registry;  // the DLL registry file; empty: Pelok.ini beside the executable
  int kind = 2;
  std::string type;  // the --type word, empty when not given
  bool help = false;
  bool version = false;
  bool recursive = false;   // list -r, query /s
  bool json = false;        // --json
  bool nul = false;         // list -z: records end with a zero byte, data unescaped
  bool force = false;       // --force, /f
  bool all_values = false;  // delete /va: every value of the key, the key kept
  bool has_from_file = false;
  std::string from_file;  // set --from-file: the value's data from a file, "-" standard input
};

// Options may stand anywhere ("--store FILE" or "--store=FILE"); "--" ends them, so that an
// argument may begin with "-" or "/". The reg verbs are aliases: add is set, and query is get
// with two arguments and list with one; after a reg verb its switches (/v NAME, /t TYPE,
// /d DATA, /f, /s, /va, /y) stand for the arguments and options they name, and "/?" asks for
// help after any command. On failure *error is the line for a usage error.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine* line, std::string* error);

// Checks that the command has between min and max arguments; *error names the first missing
// one (from names) or the first unexpected one.
bool CheckArgumentCount(const CommandLine& line, size_t min, size_t max,
                        const std::vector<std::string>& names, std::string* error);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_COMMAND_LINE_H_

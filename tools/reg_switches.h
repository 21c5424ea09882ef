// reg.exe's switches after the reg verbs: query KEY [/v NAME] [/s], add KEY /v NAME [/t TYPE]
// [/d DATA] [/f], delete KEY [/v NAME | /va] [/f], export KEY FILE [/y], import FILE.
#ifndef PELOK_TOOLS_REG_SWITCHES_H_
#define PELOK_TOOLS_REG_SWITCHES_H_

#include <string>
#include <vector>

#include "tools/command_line.h"

namespace pelok {
namespace tool {

// A word of the command line; a literal one stood after "--" and is never a switch.
struct CommandWord {
  std::string text;
  bool literal = false;
};

// query, add, delete, export and import: the verbs reg.exe has.
bool IsRegVerb(const std::string& typed_command);

// Takes the switches out of words (the words after the verb) and gives line the arguments and
// options they stand for: the value name after KEY, the data after the name (add without /d
// sets empty text, as reg.exe does), --type, --force, --recursive, delete's every-value form.
// Every other word stays an argument, in its place. A word of the form of a switch ("/" and
// one or two letters) that the verb does not know is a usage error, so that a mistyped switch
// is never taken for a name.
bool ApplyRegSwitches(const std::vector<CommandWord>& words, CommandLine* line, std::string* error);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_REG_SWITCHES_H_

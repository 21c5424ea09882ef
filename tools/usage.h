// pelreg's help texts.
#ifndef PELOK_TOOLS_USAGE_H_
#define PELOK_TOOLS_USAGE_H_

#include <string>

namespace pelok {
namespace tool {

// Prints the help of one command (a command or alias word) or, for "", of the tool to standard
// output. Returns false, printing nothing, for a word that is no command.
bool PrintHelp(const std::string& command);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_USAGE_H_

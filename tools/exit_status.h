// What pelreg's exit status means, and the one line it prints when it fails.
#ifndef PELOK_TOOLS_EXIT_STATUS_H_
#define PELOK_TOOLS_EXIT_STATUS_H_

#include <string>

namespace pelok {
namespace tool {

enum ExitStatus {
  kExitOk = 0,
  kExitNotFound = 1,  // the key or value named is not there (or is the other kind of entry)
  kExitUsage = 2,     // the command line is wrong
  kExitFailure = 3,   // the framework, the registry, the store file or another file failed
};

// Prints "pelreg: <message>" as one line on standard error (control characters as \xNN)
// and returns status.
int Fail(int status, const std::string& message);

// Prints "pelreg: <message>" the same way, for something odd that does not fail the command.
void Warn(const std::string& message);

// Prints the line of a process that ran out of memory, taking no memory itself, and returns
// kExitFailure.
int FailForWantOfMemory();

// "'text'": how names and paths appear inside messages, control characters as \xNN.
std::string Quoted(const std::string& text);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_EXIT_STATUS_H_

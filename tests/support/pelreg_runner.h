// Running pelreg (or another program of the build) as a user does: a child process in a
// directory of the test's choosing, its output and exit status captured.
#ifndef PELOK_TESTS_PELREG_RUNNER_H_
#define PELOK_TESTS_PELREG_RUNNER_H_

#include <string>
#include <vector>

namespace pelok {
namespace test {

struct ProgramRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;  // standard output, with "\r\n" read as "\n"
  std::string err;  // standard error, the same
};

// Runs program (a path) with args, with directory as its current directory.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& directory);
// The build's program of that name in the bin directory ("name.exe" on Windows).
std::string ProgramPath(const std::string& name);
// RunProgram of pelreg.
ProgramRun RunPelreg(const std::vector<std::string>& args, const std::string& directory);

// A word quoted for the system's shell (sh, or cmd.exe and the C runtime on Windows).
std::string ShellQuote(const std::string& word);
// pelreg's path and args, quoted, for a shell command line of the test's own.
std::string PelregCommand(const std::vector<std::string>& args);
// Runs a shell command line (pipes and redirections allowed) in directory; the output and error
// of its last command are captured.
ProgramRun RunShell(const std::string& command, const std::string& directory);

// The lines of a text, each without its "\n".
std::vector<std::string> Lines(const std::string& text);

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_PELREG_RUNNER_H_

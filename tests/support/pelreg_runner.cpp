#include "tests/support/pelreg_runner.h"

#include <cstdlib>
#include <filesystem>

#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace pelok {
namespace test {

namespace {

#if defined(_WIN32)
// Quoted for the C runtime's argument parser; cmd.exe leaves text in quotes alone.
std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

int ExitStatus(int result) { return result; }

// cmd.exe /c drops the first and the last quote of a line that begins with one.
std::string ShellLine(const std::string& command) { return "\"" + command + "\""; }
#else
std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int ExitStatus(int result) { return result != -1 && WIFEXITED(result) ? WEXITSTATUS(result) : -1; }

std::string ShellLine(const std::string& command) { return command; }
#endif

std::string ReadText(const std::string& path) {
  std::string bytes;
  ReadFileBytes(path, &bytes);
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  return text;
}

}  // namespace

ProgramRun RunShell(const std::string& command_line, const std::string& directory) {
  // The captured output lives apart from the directory the program works in.
  static TempDir capture;
  const std::string out_file = capture.Join("out.txt");
  const std::string err_file = capture.Join("err.txt");
  const std::string command = command_line + " >" + Quote(out_file) + " 2>" + Quote(err_file);

  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(directory);
  ProgramRun run;
  run.status = ExitStatus(std::system(ShellLine(command).c_str()));
  std::filesystem::current_path(previous);
  run.out = ReadText(out_file);
  run.err = ReadText(err_file);
  return run;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& directory) {
  std::string command = Quote(program);
  for (const std::string& arg : args) command += " " + Quote(arg);
  return RunShell(command, directory);
}

std::string ShellQuote(const std::string& word) { return Quote(word); }

std::string PelregCommand(const std::vector<std::string>& args) {
  std::string command = Quote(ProgramPath("pelreg"));
  for (const std::string& arg : args) command += " " + Quote(arg);
  return command;
}

std::string ProgramPath(const std::string& name) {
#if defined(_WIN32)
  return BinPath(name + ".exe");
#else
  return BinPath(name);
#endif
}

ProgramRun RunPelreg(const std::vector<std::string>& args, const std::string& directory) {
  return RunProgram(ProgramPath("pelreg"), args, directory);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace test
}  // namespace pelok

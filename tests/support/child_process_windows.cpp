#include <windows.h>

#include "tests/support/child_process.h"

namespace pelok {
namespace test {

namespace {

// Quoted for the C runtime's argument parser.
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

}  // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : handle_(other.handle_), running_(other.running_) {
  other.running_ = false;
}

ChildProcess::~ChildProcess() {
  if (running_) Kill();
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
  std::string command = Quote(program);
  for (const std::string& arg : args) command += " " + Quote(arg);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  handle_ = process.hProcess;
  running_ = true;
  return true;
}

int ChildProcess::Wait() {
  if (!running_) return -1;
  running_ = false;
  WaitForSingleObject(handle_, INFINITE);
  DWORD code = 0;
  const BOOL got = GetExitCodeProcess(handle_, &code);
  CloseHandle(handle_);
  return got ? static_cast<int>(code) : -1;
}

bool ChildProcess::Kill() {
  if (!running_) return false;
  const bool was_running = WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
  TerminateProcess(handle_, 9);
  WaitForSingleObject(handle_, INFINITE);
  CloseHandle(handle_);
  running_ = false;
  return was_running;
}

std::string SelfPath() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  return std::string(self, length);
}

}  // namespace test
}  // namespace pelok

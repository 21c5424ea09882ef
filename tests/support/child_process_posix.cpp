#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>

#include "tests/support/child_process.h"

namespace pelok {
namespace test {

namespace {

pid_t PidOf(void* handle) { return static_cast<pid_t>(reinterpret_cast<intptr_t>(handle)); }

}  // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : handle_(other.handle_), running_(other.running_) {
  other.running_ = false;
}

ChildProcess::~ChildProcess() {
  if (running_) Kill();
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pid < 0) return false;
  handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(pid));
  running_ = true;
  return true;
}

int ChildProcess::Wait() {
  if (!running_) return -1;
  int status = 0;
  running_ = false;
  if (waitpid(PidOf(handle_), &status, 0) != PidOf(handle_)) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ChildProcess::Kill() {
  if (!running_) return false;
  int status = 0;
  const bool was_running = waitpid(PidOf(handle_), &status, WNOHANG) == 0;
  if (was_running) {
    kill(PidOf(handle_), SIGKILL);
    waitpid(PidOf(handle_), &status, 0);
  }
  running_ = false;
  return was_running;
}

std::string SelfPath() {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0) return "";
  return std::string(self, static_cast<size_t>(length));
}

}  // namespace test
}  // namespace pelok

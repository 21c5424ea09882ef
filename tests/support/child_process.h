// Programs of the build run as child processes, several at once: started, waited for, killed.
#ifndef PELOK_TESTS_SUPPORT_CHILD_PROCESS_H_
#define PELOK_TESTS_SUPPORT_CHILD_PROCESS_H_

#include <string>
#include <vector>

namespace pelok {
namespace test {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept;
  // Kills the process if it still runs.
  ~ChildProcess();

  // Starts program (a path) with args; its standard streams are the test's.
  bool Start(const std::string& program, const std::vector<std::string>& args);
  // Waits for the end; the exit status, -1 when it did not exit normally.
  int Wait();
  // Kills it (SIGKILL, TerminateProcess) and waits for it; false when it had already ended.
  bool Kill();

 private:
  void* handle_ = nullptr;  // the process handle (Windows) or the pid (POSIX)
  bool running_ = false;
};

// The path of the running test program.
std::string SelfPath();

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_CHILD_PROCESS_H_

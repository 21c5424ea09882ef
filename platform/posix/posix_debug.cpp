// The debugger output is standard error, written with write(2) so that it never waits in a
// buffer and keeps its place among other writers of the same descriptor.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/posix_win32.h"

namespace {

// True when /proc/self/status names a tracer. Read with the system's own calls: fault injection
// into the file calls must not change what the debugger hooks do.
bool DebuggerAttached() {
  const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char status[4096];
  size_t used = 0;
  for (;;) {
    const ssize_t n = read(fd, status + used, sizeof(status) - 1 - used);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    used += static_cast<size_t>(n);
    if (used == sizeof(status) - 1) break;
  }
  close(fd);
  status[used] = '\0';
  const char* field = std::strstr(status, "TracerPid:");
  return field != nullptr && std::strtol(field + std::strlen("TracerPid:"), nullptr, 10) != 0;
}

}  // namespace

void OutputDebugStringA(const char* text) {
  if (text == nullptr) return;
  const size_t length = std::strlen(text);
  size_t done = 0;
  while (done < length) {
    const ssize_t n = write(STDERR_FILENO, text + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nowhere to write: the message is lost, as without a debugger
    done += static_cast<size_t>(n);
  }
}

void DebugBreak() {
  if (DebuggerAttached()) raise(SIGTRAP);
}

BOOL IsDebuggerPresent() { return DebuggerAttached() ? TRUE : FALSE; }

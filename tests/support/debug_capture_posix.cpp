#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/debug_capture.h"

namespace pelok {
namespace test {

// Standard error goes to a temporary file while the capture lives.
struct DebugCapture::State {
  int saved_fd = -1;
  int file_fd = -1;
};

DebugCapture::DebugCapture() : state_(new State) {
  fflush(stderr);
  char name[] = "/tmp/pelok_debug_XXXXXX";
  state_->file_fd = mkstemp(name);
  if (state_->file_fd >= 0) {
    unlink(name);
    state_->saved_fd = dup(2);
    dup2(state_->file_fd, 2);
  }
}

DebugCapture::~DebugCapture() {
  fflush(stderr);
  if (state_->saved_fd >= 0) {
    dup2(state_->saved_fd, 2);
    close(state_->saved_fd);
  }
  if (state_->file_fd >= 0) close(state_->file_fd);
  delete state_;
}

std::string DebugCapture::Text() {
  fflush(stderr);
  std::string text;
  if (state_->file_fd < 0) return text;
  char buf[4096];
  off_t offset = 0;
  for (;;) {
    const ssize_t n = pread(state_->file_fd, buf, sizeof(buf), offset);
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
    offset += n;
  }
  return text;
}

}  // namespace test
}  // namespace pelok

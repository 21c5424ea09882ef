#include <signal.h>
#include <unistd.h>

#include "tools/console.h"

namespace pelok {
namespace tool {

void PrepareStreams() { signal(SIGPIPE, SIG_IGN); }

bool CanAsk() { return isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1; }

void UseBinary(std::FILE*) {}

}  // namespace tool
}  // namespace pelok

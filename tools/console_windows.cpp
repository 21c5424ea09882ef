#include <fcntl.h>
#include <io.h>

#include "tools/console.h"

namespace pelok {
namespace tool {

// Windows has no SIGPIPE: a write to a closed pipe fails by itself.
void PrepareStreams() {}

bool CanAsk() { return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stderr)) != 0; }

void UseBinary(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

}  // namespace tool
}  // namespace pelok

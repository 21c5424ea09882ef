#include <cstdio>

#include "util/format_at_most.h"

namespace pelok {

// msvcrt's own _vsnprintf already has exactly this contract (and its format dialect, which the
// callers' format attributes are checked against).
int FormatAtMost(char* buf, int count, const char* format, va_list args) {
  return _vsnprintf(buf, static_cast<size_t>(count), format, args);
}

}  // namespace pelok

#include <cstdio>

#include "util/format_at_most.h"

namespace pelok {

// vsnprintf reports the full length instead of -1, and needs room for its terminator: the
// caller guarantees buf[count] and rewrites it anyway.
int FormatAtMost(char* buf, int count, const char* format, va_list args) {
  const int length = vsnprintf(buf, static_cast<size_t>(count) + 1, format, args);
  return (length < 0 || length > count) ? -1 : length;
}

}  // namespace pelok

#include <cstdarg>

#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

// Its own file, so that code using only the bounded helpers does not pull in the debugger
// output.
void DebugPrintV(int max_chars, const char* format, va_list args) {
  char buf[1024] = {0};
  if (max_chars > 1023) max_chars = 1023;
  FormatBoundedV(buf, sizeof(buf), max_chars, format, args);
  OutputDebugStringA(buf);
}

void DebugPrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  DebugPrintV(1023, format, args);
  va_end(args);
}

void ErrorPrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  // Room for 1022 characters: the last byte of the buffer is never touched.
  DebugPrintV(1022, format, args);
  va_end(args);
}

}  // namespace pelok

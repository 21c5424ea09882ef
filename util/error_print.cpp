#include <cstdarg>

#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

// Its own file, so that code using only the bounded helpers does not pull in the debugger
// output.
void ErrorPrint(const char* format, ...) {
  char buf[1024] = {0};
  va_list args;
  va_start(args, format);
  // Room for 1022 characters: the last byte of the buffer is never touched.
  Primitives().format(buf, 1023, 1023, format, args);
  va_end(args);
  OutputDebugStringA(buf);
}

}  // namespace pelok

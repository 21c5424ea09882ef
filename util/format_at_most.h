// The system's formatter with the classic Windows `_vsnprintf` contract, the one thing about
// bounded formatting that differs between the systems.
#ifndef PELOK_UTIL_FORMAT_AT_MOST_H_
#define PELOK_UTIL_FORMAT_AT_MOST_H_

#include <cstdarg>

namespace pelok {

// Writes at most count characters of the formatted text into buf and returns their number, or
// -1 when the text was longer than count (or could not be formatted). The text is not
// necessarily terminated: the caller owns buf[count] (buf holds at least count + 1 bytes) and
// terminates there.
int FormatAtMost(char* buf, int count, const char* format, va_list args);

}  // namespace pelok

#endif  // PELOK_UTIL_FORMAT_AT_MOST_H_

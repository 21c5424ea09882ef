// Bounded text handling on fixed-size buffers. A buffer size counts the terminating zero.
//
// The four primitives return 0 (success), 22 (invalid argument) or 34 (does not fit) and are
// reached through one module-wide table. The wrappers are all-or-nothing: a wrapper that
// returns 0 has not changed its destination.
#ifndef PELOK_UTIL_BOUNDED_STRING_H_
#define PELOK_UTIL_BOUNDED_STRING_H_

#include <cstdarg>

namespace pelok {

constexpr int kBoundedOk = 0;
constexpr int kBoundedInvalid = 22;
constexpr int kBoundedTooLong = 34;

struct BoundedPrimitives {
  int (*format)(char* buf, int buf_size, int count, const char* format, va_list args);
  int (*append)(char* dst, int dst_size, const char* src);
  int (*copy_n)(char* dst, int dst_size, const char* src, int src_len);
  int (*copy)(char* dst, int dst_size, const char* src);
};

// The module-wide table, in the order format, append, copy_n, copy.
const BoundedPrimitives& Primitives();

// Formats at most count characters (count -1: as many as fit) and always terminates. Returns
// the number of characters, or -1 when the output was cut (or an argument was invalid).
int BoundedFormat(char* buf, int buf_size, int count, const char* format, va_list args);
int BoundedAppend(char* dst, int dst_size, const char* src);
// Copies src_len characters (strncpy-like, zero-padded), then terminates. 22 when src_len does
// not fit; dst is then emptied.
int BoundedCopyN(char* dst, int dst_size, const char* src, int src_len);
int BoundedCopy(char* dst, int dst_size, const char* src);

// 1 when s is non-null and strlen(s) < size.
int FitsIn(const char* s, unsigned size);
int CopyText(char* dst, int dst_size, const char* src);
// Copies the first n characters of src and terminates; 0 when n <= 0 or n >= dst_size.
int CopyPrefix(char* dst, int dst_size, const char* src, int n);
int AppendText(char* dst, int dst_size, const char* src);
// Formats into at most min(size - 1, n) characters and terminates; -1 when cut.
int FormatBounded(char* buf, int size, int n, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    ;
int FormatBoundedV(char* buf, int size, int n, const char* format, va_list args);

// 1 for null, "" and text of only spaces and tabs.
int IsBlank(const char* s);
// out becomes src without leading and trailing spaces and tabs; empty when it does not fit.
void TrimBlanks(const char* src, char* out, int out_size);

// ASCII A-Z to a-z in place; other bytes stay. On Windows a byte that follows a lead byte of the
// ANSI code page is the second half of a double-byte character (GBK's B0 41 is one character,
// B0 61 another) and stays as it is.
void LowerCaseAscii(char* text);

// The debugger output of every module: a message formatted to at most max_chars characters.
void DebugPrintV(int max_chars, const char* format, va_list args);
// A message of at most 1023 characters.
void DebugPrint(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// A "[Pelok_Error]" message, of at most 1022 characters.
void ErrorPrint(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace pelok

#endif  // PELOK_UTIL_BOUNDED_STRING_H_

#include "util/bounded_string.h"

#include <cstddef>
#include <cstring>

#include "platform/win32_api.h"
#include "util/format_at_most.h"

namespace pelok {

namespace {

// The length of s, but never reading past limit bytes: a destination that is not terminated
// inside its buffer counts as full instead of being read beyond its end.
size_t LengthWithin(const char* s, size_t limit) {
  size_t length = 0;
  while (length < limit && s[length] != '\0') ++length;
  return length;
}

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

const BoundedPrimitives kPrimitives = {BoundedFormat, BoundedAppend, BoundedCopyN, BoundedCopy};

}  // namespace

const BoundedPrimitives& Primitives() { return kPrimitives; }

int BoundedFormat(char* buf, int buf_size, int count, const char* format, va_list args) {
  if (buf == nullptr || buf_size <= 0 || (count < 1 && count != -1) || format == nullptr) {
    return -1;
  }
  const int limit = buf_size - 1;
  if (count == -1 || count > limit) count = limit;
  const int result = FormatAtMost(buf, count, format, args);
  buf[count] = '\0';
  return result;
}

int BoundedAppend(char* dst, int dst_size, const char* src) {
  if (dst == nullptr || dst_size <= 0 || src == nullptr) {
    return dst_size != 0 ? kBoundedInvalid : kBoundedTooLong;
  }
  const size_t size = static_cast<size_t>(dst_size);
  const size_t dst_length = LengthWithin(dst, size);
  const size_t src_length = strlen(src);
  if (size < dst_length + src_length + 1) return kBoundedTooLong;
  memmove(dst + dst_length, src, src_length + 1);
  return kBoundedOk;
}

int BoundedCopyN(char* dst, int dst_size, const char* src, int src_len) {
  if (dst == nullptr || dst_size <= 0 || src == nullptr || src_len <= 0) return kBoundedInvalid;
  if (src_len > dst_size - 1) {
    dst[0] = '\0';
    return kBoundedInvalid;
  }
  // strncpy's contract: stop at the end of src and zero-pad up to src_len.
  int i = 0;
  for (; i < src_len && src[i] != '\0'; ++i) dst[i] = src[i];
  for (; i <= src_len; ++i) dst[i] = '\0';
  return kBoundedOk;
}

int BoundedCopy(char* dst, int dst_size, const char* src) {
  if (dst == nullptr || dst_size <= 0 || src == nullptr) {
    return dst_size != 0 ? kBoundedInvalid : kBoundedTooLong;
  }
  const size_t length = strlen(src);
  if (length > static_cast<size_t>(dst_size) - 1) return kBoundedTooLong;
  memmove(dst, src, length + 1);
  return kBoundedOk;
}

int FitsIn(const char* s, unsigned size) {
  return s != nullptr && LengthWithin(s, size) < size ? 1 : 0;
}

int CopyText(char* dst, int dst_size, const char* src) {
  if (dst == nullptr || dst_size <= 0 || !FitsIn(src, static_cast<unsigned>(dst_size))) return 0;
  Primitives().copy(dst, dst_size, src);
  return 1;
}

int CopyPrefix(char* dst, int dst_size, const char* src, int n) {
  if (dst == nullptr || n <= 0 || src == nullptr || n >= dst_size) return 0;
  Primitives().copy_n(dst, dst_size, src, n);
  dst[n] = '\0';
  return 1;
}

int AppendText(char* dst, int dst_size, const char* src) {
  if (dst == nullptr || dst_size <= 0 || src == nullptr) return 0;
  const size_t size = static_cast<size_t>(dst_size);
  if (LengthWithin(dst, size) + strlen(src) >= size) return 0;
  Primitives().append(dst, dst_size, src);
  return 1;
}

int FormatBounded(char* buf, int size, int n, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = FormatBoundedV(buf, size, n, format, args);
  va_end(args);
  return result;
}

int FormatBoundedV(char* buf, int size, int n, const char* format, va_list args) {
  if (buf == nullptr || size <= 0 || n <= 0 || format == nullptr) return -1;
  // Not through BoundedFormat: a one-byte buffer (count 0) still gets its terminator here.
  const int count = n < size - 1 ? n : size - 1;
  const int result = FormatAtMost(buf, count, format, args);
  buf[count] = '\0';
  return result;
}

int IsBlank(const char* s) {
  if (s == nullptr) return 1;
  while (IsBlankChar(*s)) ++s;
  return *s == '\0' ? 1 : 0;
}

void TrimBlanks(const char* src, char* out, int out_size) {
  if (out == nullptr || out_size <= 0) return;
  out[0] = '\0';
  if (IsBlank(src)) return;
  while (IsBlankChar(*src)) ++src;
  size_t length = strlen(src);
  while (IsBlankChar(src[length - 1])) --length;
  // A text that does not fit leaves out empty.
  if (length < static_cast<size_t>(out_size))
    CopyPrefix(out, out_size, src, static_cast<int>(length));
}

void LowerCaseAscii(char* text) {
  if (text == nullptr) return;
  for (; *text != '\0'; ++text) {
    if (IsDBCSLeadByte(static_cast<BYTE>(*text))) {
      if (text[1] == '\0') return;
      ++text;
    } else if (*text >= 'A' && *text <= 'Z') {
      *text = static_cast<char>(*text - 'A' + 'a');
    }
  }
}

}  // namespace pelok

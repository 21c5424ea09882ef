#include "util/value_encoding.h"

#include <cstddef>
#include <cstring>

namespace pelok {

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";
constexpr int kParseBufferSize = 128;

// The value of a hexadecimal digit of either case, or -1.
int HexDigitValue(char c) {
  for (int i = 0; i < 16; ++i) {
    if (kUpperDigits[i] == c) return i;
  }
  for (int i = 0; i < 16; ++i) {
    if (kLowerDigits[i] == c) return i;
  }
  return -1;
}

bool IsLeadingSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

int FormatUnsigned(uint32_t value, char* out, int out_size) {
  if (out == nullptr || out_size <= 0) return 0;
  char reversed[10];
  int length = 0;
  do {
    reversed[length++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  if (length + 1 > out_size) return 0;
  for (int i = 0; i < length; ++i) out[i] = reversed[length - 1 - i];
  out[length] = '\0';
  return 1;
}

int TrimSpaces(const char* text, char* out, int out_size) {
  if (text == nullptr || out == nullptr || out_size <= 0) return 0;
  const char* start = text;
  while (*start == ' ') ++start;
  size_t length = strlen(start);
  while (length > 0 && start[length - 1] == ' ') --length;
  if (length == 0 || length >= static_cast<size_t>(out_size)) {
    out[0] = '\0';
    return 0;
  }
  // out may be text itself, or overlap it.
  memmove(out, start, length);
  out[length] = '\0';
  return static_cast<int>(length);
}

int32_t ParseInt(const char* text) {
  char trimmed[kParseBufferSize];
  if (TrimSpaces(text, trimmed, kParseBufferSize) == 0) return 0;
  const char* p = trimmed;
  while (IsLeadingSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // Unsigned arithmetic wraps modulo 2^32, so every "%u" text reads back as its own pattern.
  uint32_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

int HexEncode(const uint8_t* data, int count, char* out, int out_size) {
  if (data == nullptr || out == nullptr || count < 0) return 0;
  if (static_cast<int64_t>(out_size) < 2 * static_cast<int64_t>(count) + 1) return 0;
  memset(out, 0, static_cast<size_t>(out_size));
  for (int i = 0; i < count; ++i) {
    out[2 * i] = kUpperDigits[data[i] >> 4];
    out[2 * i + 1] = kUpperDigits[data[i] & 0x0F];
  }
  return 1;
}

int HexDecode(const char* text, uint8_t* out, unsigned out_size) {
  if (text == nullptr || out == nullptr) return 0;
  // The whole text counts, a marker included, so the digits always fit.
  if (2 * static_cast<uint64_t>(out_size) < strlen(text)) return 0;
  const char* digits = strstr(text, "0x");
  if (digits == nullptr) digits = strstr(text, "0X");
  digits = digits != nullptr ? digits + 2 : text;
  memset(out, 0, out_size);
  for (size_t position = 0; digits[position] != '\0'; ++position) {
    const int value = HexDigitValue(digits[position]);
    if (value < 0) return 0;
    if (position % 2 == 0) {
      out[position / 2] = static_cast<uint8_t>(value << 4);
    } else {
      out[position / 2] = static_cast<uint8_t>(out[position / 2] | value);
    }
  }
  return 1;
}

}  // namespace pelok

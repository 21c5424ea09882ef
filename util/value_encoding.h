// The text forms of stored values: 32-bit numbers as unsigned decimal, binary as upper-case
// hexadecimal. Stateless; every failure is a 0 result.
#ifndef PELOK_UTIL_VALUE_ENCODING_H_
#define PELOK_UTIL_VALUE_ENCODING_H_

#include <cstdint>

namespace pelok {

// "%u" of value with its terminator; 0 (out untouched) when it does not fit.
int FormatUnsigned(uint32_t value, char* out, int out_size);
// text without leading and trailing blanks (0x20 only); returns the copied length. out may
// overlap text.
int TrimSpaces(const char* text, char* out, int out_size);
// Decimal text (after TrimSpaces into 128 bytes) to a 32-bit pattern, accumulated modulo 2^32.
int32_t ParseInt(const char* text);
// Two upper-case digits per byte, first byte first; out is zero-filled over out_size bytes.
int HexEncode(const uint8_t* data, int count, char* out, int out_size);
// Digits after an optional "0x"/"0X" marker into out (zero-filled over out_size bytes).
int HexDecode(const char* text, uint8_t* out, unsigned out_size);

}  // namespace pelok

#endif  // PELOK_UTIL_VALUE_ENCODING_H_

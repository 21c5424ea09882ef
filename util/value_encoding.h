// The text forms of stored values: 32-bit numbers as unsigned decimal, binary as upper-case
// hexadecimal. Stateless; every failure is a 0 result.
#ifndef PELOK_UTIL_VALUE_ENCODING_H_
#define PELOK_UTIL_VALUE_ENCODING_H_

#include <cstdint>

namespace pelok {

// "%u" of value with its terminator; 0 (out untouched) when it does not fit.
int FormatUnsigned(uint32_t value, char* out, int out_size);
// text without leading and trailing blanks (0x20 only); returns the copied length. 0 with out
// empty when nothing is left or it does not fit; 0 with out untouched for a null text or out or
// out_size <= 0. out may overlap text.
int TrimSpaces(const char* text, char* out, int out_size);
// Decimal text (after TrimSpaces into 128 bytes) to a 32-bit pattern, accumulated modulo 2^32.
int32_t ParseInt(const char* text);
// Two upper-case digits per byte, first byte first; out is zero-filled over out_size bytes.
// 0 (out untouched) when data or out is null, count < 0 or out_size < 2 * count + 1.
int HexEncode(const uint8_t* data, int count, char* out, int out_size);
// Digits after the first "0x" (else the first "0X", else from the start) into out, zero-filled
// over out_size bytes. 0 (out untouched) when text is longer than 2 * out_size; 0 at the first
// non-digit, with the bytes before it kept; else 1.
int HexDecode(const char* text, uint8_t* out, unsigned out_size);

}  // namespace pelok

#endif  // PELOK_UTIL_VALUE_ENCODING_H_

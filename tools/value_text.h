// Values as the user reads and writes them: text as it is, a 32-bit number in decimal, binary
// data as hexadecimal digits. The registry's value types are pelok::value_type.
#ifndef PELOK_TOOLS_VALUE_TEXT_H_
#define PELOK_TOOLS_VALUE_TEXT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace pelok {
namespace tool {

// What SetValue is given: the type, and the bytes whose count is the size.
struct ValueData {
  int type = 0;
  std::vector<uint8_t> bytes;
};

// "text", "int" or "binary"; "type<N>" for a type the registry does not know.
std::string TypeName(int type);
// The value type of a --type word (case-insensitive): text, int, binary; 1, 2, 3; REG_SZ,
// REG_DWORD, REG_BINARY. 0 for any other word.
int ParseTypeName(const std::string& word);

// Text: the text and its terminator. Int: decimal (a leading "-" wraps modulo 2^32) or "0x"
// followed by hexadecimal, within 32 bits. Binary: an even number (at least two) of hexadecimal
// digits, optionally after "0x". On failure *error says what is wrong with the text.
bool ParseValueText(int type, const std::string& text, ValueData* value, std::string* error);

// The value as the user reads it. Text ends at its first zero byte; a number is decimal
// (unsigned, as the store writes it); binary is upper-case hexadecimal.
std::string FormatValue(int type, const uint8_t* data, size_t size);

// Text shown on one line, unambiguously: a backslash becomes "\\", control characters "\n",
// "\t", "\r" or "\xNN".
std::string OneLine(const std::string& text);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_VALUE_TEXT_H_

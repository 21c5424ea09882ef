#include "tools/value_text.h"

#include <cstdio>
#include <cstring>

#include "pelok/component.h"
#include "tools/exit_status.h"

namespace pelok {
namespace tool {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool HasHexPrefix(const std::string& text) {
  return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

bool ParseNumber(const std::string& text, uint32_t* number) {
  uint64_t value = 0;
  if (HasHexPrefix(text)) {
    const std::string digits = text.substr(2);
    if (digits.empty() || digits.size() > 8) return false;
    for (char c : digits) {
      const int digit = HexDigit(c);
      if (digit < 0) return false;
      value = value * 16 + static_cast<uint64_t>(digit);
    }
    *number = static_cast<uint32_t>(value);
    return true;
  }
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  if (digits.empty()) return false;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0xffffffffull) return false;
  }
  // A negative number is kept as its 32-bit two's complement, down to -2^31.
  if (negative && value > 0x80000000ull) return false;
  *number = static_cast<uint32_t>(negative ? (0x100000000ull - value) & 0xffffffffull : value);
  return true;
}

bool ParseHex(const std::string& text, std::vector<uint8_t>* bytes) {
  const std::string digits = HasHexPrefix(text) ? text.substr(2) : text;
  if (digits.empty() || digits.size() % 2 != 0) return false;
  bytes->clear();
  for (size_t i = 0; i < digits.size(); i += 2) {
    const int high = HexDigit(digits[i]);
    const int low = HexDigit(digits[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

}  // namespace

std::string TypeName(int type) {
  switch (type) {
    case value_type::kText:
      return "text";
    case value_type::kUint32:
      return "int";
    case value_type::kBinary:
      return "binary";
    default:
      return "type" + std::to_string(type);
  }
}

int ParseTypeName(const std::string& word) {
  std::string lower = word;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  // The registry's own numbers and reg.exe's names stand for the same three types.
  if (lower == "text" || lower == "1" || lower == "reg_sz") return value_type::kText;
  if (lower == "int" || lower == "2" || lower == "reg_dword") return value_type::kUint32;
  if (lower == "binary" || lower == "3" || lower == "reg_binary") return value_type::kBinary;
  return 0;
}

bool ParseValueText(int type, const std::string& text, ValueData* value, std::string* error) {
  value->type = type;
  switch (type) {
    case value_type::kText:
      // A zero byte inside would end the text early: the store keeps text up to it.
      value->bytes.assign(text.begin(), text.end());
      value->bytes.push_back(0);
      return true;
    case value_type::kUint32: {
      uint32_t number = 0;
      if (!ParseNumber(text, &number)) {
        *error = Quoted(text) + " is not a 32-bit number";
        return false;
      }
      value->bytes.resize(4);
      std::memcpy(value->bytes.data(), &number, 4);
      return true;
    }
    case value_type::kBinary:
      if (!ParseHex(text, &value->bytes)) {
        *error = Quoted(text) + " is not binary data (an even number of hexadecimal digits)";
        return false;
      }
      return true;
    default:
      *error = "the registry has no value type " + std::to_string(type);
      return false;
  }
}

std::string FormatValue(int type, const uint8_t* data, size_t size) {
  switch (type) {
    case value_type::kText: {
      const void* end = std::memchr(data, 0, size);
      const size_t length = end ? static_cast<const uint8_t*>(end) - data : size;
      return std::string(reinterpret_cast<const char*>(data), length);
    }
    case value_type::kUint32: {
      uint32_t number = 0;
      std::memcpy(&number, data, size < 4 ? size : 4);
      return std::to_string(number);
    }
    default: {
      static const char kDigits[] = "0123456789ABCDEF";
      std::string hex;
      for (size_t i = 0; i < size; ++i) {
        hex += kDigits[data[i] >> 4];
        hex += kDigits[data[i] & 15];
      }
      return hex;
    }
  }
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      line += "\\\\";
    } else if (c == '\n') {
      line += "\\n";
    } else if (c == '\t') {
      line += "\\t";
    } else if (c == '\r') {
      line += "\\r";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\x%02X", byte);
      line += escape;
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace tool
}  // namespace pelok

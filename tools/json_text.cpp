#include "tools/json_text.h"

#include <cstdio>

#include "pelok/component.h"

namespace pelok {
namespace tool {

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0.
size_t Utf8Length(const std::string& text, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  unsigned int low = 0x80;
  unsigned int high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;   // no overlong forms
    if (lead == 0xed) high = 0x9f;  // no surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xbf)) return 0;
  }
  return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (c == '\n') {
      json += "\\n";
    } else if (c == '\t') {
      json += "\\t";
    } else if (c == '\r') {
      json += "\\r";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04X", byte);
      json += escape;
    } else if (byte < 0x80) {
      json += c;
    } else if (const size_t length = Utf8Length(text, i)) {
      json.append(text, i, length);
      i += length - 1;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u00%02X", byte);
      json += escape;
    }
  }
  return json + "\"";
}

std::string JsonValueMembers(const std::string& name, const ValueData& value, int size) {
  const std::string data = FormatValue(value.type, value.bytes.data(), value.bytes.size());
  std::string json = "\"name\":" + JsonString(name) +
                     ",\"type\":" + JsonString(TypeName(value.type)) +
                     ",\"size\":" + std::to_string(size) + ",\"data\":";
  json += value.type == value_type::kUint32 ? data : JsonString(data);
  return json;
}

}  // namespace tool
}  // namespace pelok

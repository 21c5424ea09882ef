#include "xmldoc/xml_escape.h"

#include <cstdint>
#include <cstring>

#include "xmldoc/xml_name.h"

namespace pelok {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr uint32_t kFirstByteEscape = 0xDC80;
constexpr uint32_t kLastByteEscape = 0xDCFF;

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `digits` upper-case hexadecimal digits at s; false when one is missing.
bool ReadHex(const unsigned char* s, int digits, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = HexValue(s[i]);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  *value = v;
  return true;
}

// Whether an "_" at s would begin an escape (an "_" followed by "x" and four digits), so that
// a literal "_" there has to be escaped itself.
bool StartsLikeEscape(const unsigned char* s) {
  uint32_t ignored;
  return s[0] == '_' && s[1] == 'x' && ReadHex(s + 2, 4, &ignored);
}

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendEscape(uint32_t value, std::string* out) {
  const int digits = value > 0xFFFF ? 8 : 4;
  out->append("_x");
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
    out->push_back(kHexDigits[(value >> shift) & 0xF]);
  }
  out->push_back('_');
}

// If an escape begins at s, appends the bytes it stands for and returns its length; else 0.
size_t ReadEscape(const unsigned char* s, std::string* out) {
  if (s[0] != '_' || s[1] != 'x') return 0;
  uint32_t value;
  if (ReadHex(s + 2, 4, &value) && s[6] == '_') {
    if (value >= kFirstByteEscape && value <= kLastByteEscape) {
      out->push_back(static_cast<char>(value - kFirstByteEscape + 0x80));
      return 7;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    AppendUtf8(value, out);
    return 7;
  }
  if (ReadHex(s + 2, 8, &value) && s[10] == '_' && value >= 0x10000 && value <= 0x10FFFF) {
    AppendUtf8(value, out);
    return 11;
  }
  return 0;
}

// Appends s with every character that keep() refuses escaped; keep(c, first) is asked for each
// character with whether it stands first.
void AppendEscaped(const char* s, bool (*keep)(uint32_t, bool), std::string* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  bool first = true;
  while (*p != 0) {
    const unsigned char* start = p;
    uint32_t c = 0;
    if (!DecodeUtf8Char(&p, &c)) {
      AppendEscape(kFirstByteEscape + (*p - 0x80u), out);
      ++p;
    } else if (!keep(c, first) || StartsLikeEscape(start)) {
      AppendEscape(c, out);
    } else {
      out->append(reinterpret_cast<const char*>(start), static_cast<size_t>(p - start));
    }
    first = false;
  }
}

bool KeepInName(uint32_t c, bool first) {
  return c != ':' && (first ? IsXmlNameStartChar(c) : IsXmlNameChar(c));
}

bool KeepInText(uint32_t c, bool /*first*/) { return IsXmlChar(c); }

// The common names: ASCII letters, digits, "-", "." and a "_" that begins no escape.
bool IsPlainAsciiName(const unsigned char* s) {
  for (const unsigned char* p = s; *p != 0; ++p) {
    const unsigned char c = *p;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    const bool later = (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (!(letter || (later && p != s)) || StartsLikeEscape(p)) return false;
  }
  return true;
}

}  // namespace

void AppendEncodedName(const char* name, std::string* out) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(name);
  if (IsPlainAsciiName(s)) {
    out->append(name);
    return;
  }
  AppendEscaped(name, KeepInName, out);
}

bool TextNeedsEscapes(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    if (*p >= 0x20 && *p < 0x80) {
      ++p;
      continue;
    }
    uint32_t c = 0;
    if (!DecodeUtf8Char(&p, &c) || !IsXmlChar(c)) return true;
  }
  return false;
}

void AppendEscapedText(const char* text, std::string* out) { AppendEscaped(text, KeepInText, out); }

bool HoldsEscape(const char* encoded) {
  for (const char* p = std::strstr(encoded, "_x"); p != nullptr; p = std::strstr(p + 1, "_x")) {
    std::string ignored;
    if (ReadEscape(reinterpret_cast<const unsigned char*>(p), &ignored) != 0) return true;
  }
  return false;
}

std::string Unescape(const char* encoded) {
  std::string out;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(encoded);
  while (*p != 0) {
    const size_t length = ReadEscape(p, &out);
    if (length != 0) {
      p += length;
    } else {
      out.push_back(static_cast<char>(*p++));
    }
  }
  return out;
}

}  // namespace pelok

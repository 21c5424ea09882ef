#include "xmldoc/xml_name.h"

#include <cstdint>

namespace pelok {

namespace {

struct CodeRange {
  uint32_t first;
  uint32_t last;
};

// NameStartChar beyond ASCII.
constexpr CodeRange kNameStartRanges[] = {{0xC0, 0xD6},     {0xD8, 0xF6},     {0xF8, 0x2FF},
                                          {0x370, 0x37D},   {0x37F, 0x1FFF},  {0x200C, 0x200D},
                                          {0x2070, 0x218F}, {0x2C00, 0x2FEF}, {0x3001, 0xD7FF},
                                          {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF}};

// The further NameChar ranges beyond ASCII.
constexpr CodeRange kNameRanges[] = {{0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040}};

bool InRanges(uint32_t c, const CodeRange* ranges, int count) {
  for (int i = 0; i < count; ++i) {
    if (c >= ranges[i].first && c <= ranges[i].last) return true;
  }
  return false;
}

}  // namespace

bool IsXmlNameStartChar(uint32_t c) {
  if (c < 0x80) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
  }
  return InRanges(c, kNameStartRanges, sizeof(kNameStartRanges) / sizeof(kNameStartRanges[0]));
}

bool IsXmlNameChar(uint32_t c) {
  if (IsXmlNameStartChar(c)) return true;
  if (c < 0x80) return (c >= '0' && c <= '9') || c == '-' || c == '.';
  return InRanges(c, kNameRanges, sizeof(kNameRanges) / sizeof(kNameRanges[0]));
}

bool IsXmlChar(uint32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return c <= 0xD7FF || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool DecodeUtf8Char(const unsigned char** s, uint32_t* code) {
  const unsigned char* p = *s;
  int extra;
  uint32_t c = p[0];
  uint32_t minimum;
  if (c < 0x80) {
    extra = 0;
    minimum = 0;
  } else if ((c & 0xE0) == 0xC0) {
    extra = 1;
    c &= 0x1F;
    minimum = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    c &= 0x0F;
    minimum = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    c &= 0x07;
    minimum = 0x10000;
  } else {
    return false;
  }
  for (int i = 1; i <= extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return false;  // also stops at the terminating zero
    c = (c << 6) | (p[i] & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  if (c == 0) return false;
  *s = p + 1 + extra;
  *code = c;
  return true;
}

int IsXmlName(const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(name);
  bool first = true;
  while (*s != '\0') {
    uint32_t c = 0;
    if (!DecodeUtf8Char(&s, &c)) return 0;
    if (first ? !IsXmlNameStartChar(c) : !IsXmlNameChar(c)) return 0;
    first = false;
  }
  return 1;
}

}  // namespace pelok

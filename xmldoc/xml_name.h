// Names that an XML 1.0 parser accepts for elements and attributes.
#ifndef PELOK_XMLDOC_XML_NAME_H_
#define PELOK_XMLDOC_XML_NAME_H_

#include <cstdint>

namespace pelok {

// The character classes of XML 1.0 (fifth edition), by code point.
bool IsXmlNameStartChar(uint32_t c);
bool IsXmlNameChar(uint32_t c);
// Char: what a document may hold at all (tab, LF, CR, and no other control character).
bool IsXmlChar(uint32_t c);

// Decodes one UTF-8 character at *s and advances *s past it; false (and *s unchanged) for a byte
// sequence that is not the shortest form of a code point: overlong forms, surrogates, values past
// 0x10FFFF, a cut sequence and the terminating zero's byte are all refused.
bool DecodeUtf8Char(const unsigned char** s, uint32_t* code);

// 1 when name is a Name of XML 1.0 (fifth edition) in UTF-8: a name-start character, then name
// characters. Null, "", invalid UTF-8 (such as GBK bytes) and names with blanks, "/", "<" or
// control characters are 0: a document never holds a name that would not load back.
int IsXmlName(const char* name);

}  // namespace pelok

#endif  // PELOK_XMLDOC_XML_NAME_H_

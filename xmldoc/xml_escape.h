// How names and texts that XML 1.0 cannot hold are written into a file and read back.
//
// A document holds names and texts of any bytes; the file must stay a well-formed XML 1.0
// document in UTF-8 that strict, namespace-aware readers accept. What the file cannot carry
// is written with one escape, "_x" + four upper-case hexadecimal digits + "_" (the convention of
// ISO/IEC 9075-14, also used by .NET's XmlConvert.EncodeName):
//  - "_xHHHH_" is the character U+HHHH, "_xHHHHHHHH_" a character above U+FFFF;
//  - "_xDC80_" to "_xDCFF_" are the bytes 0x80 to 0xFF where they are not part of a UTF-8
//    character (GBK text, say): the surrogates U+DC80-U+DCFF are no characters, so they never
//    stand for one, as in Python's "surrogateescape";
//  - an "_" that is followed by "x" and four hexadecimal digits is itself written "_x005F_", so
//    that every name and text reads back byte for byte.
// Element names: a character that may not stand at its place of an XML name is escaped, and so
// is ":" (a reader that knows namespaces would take "a:b" for the prefix "a"). A name that is an
// XML name without ":" and holds no "_x" and four hexadecimal digits is written as it is.
// Element text: written as it is unless it holds a byte that is not part of an XML character
// (a control character other than tab, LF and CR, or a byte that is not UTF-8); then the whole
// text is escaped and its element carries the attribute kEscapedTextAttribute, which tells a
// reader (and this module's loader) that the text is to be decoded. Every other text reads the
// same in every XML reader.
#ifndef PELOK_XMLDOC_XML_ESCAPE_H_
#define PELOK_XMLDOC_XML_ESCAPE_H_

#include <string>

namespace pelok {

constexpr char kEscapedTextAttribute[] = "pelxml-text";
constexpr char kEscapedTextValue[] = "escaped";

// Appends to *out the element name that stands for name (not empty) in a file.
void AppendEncodedName(const char* name, std::string* out);

// Whether text holds bytes that a file can only carry escaped.
bool TextNeedsEscapes(const char* text);
// Appends text to *out with what the file cannot carry escaped (markup characters are left to
// the writer).
void AppendEscapedText(const char* text, std::string* out);

// Whether encoded holds an escape at all (most names and texts do not).
bool HoldsEscape(const char* encoded);
// The bytes that encoded stands for; text that is no escape is kept as it is.
std::string Unescape(const char* encoded);

}  // namespace pelok

#endif  // PELOK_XMLDOC_XML_ESCAPE_H_

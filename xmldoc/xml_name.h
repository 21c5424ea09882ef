// Names that an XML 1.0 parser accepts for elements and attributes.
#ifndef PELOK_XMLDOC_XML_NAME_H_
#define PELOK_XMLDOC_XML_NAME_H_

namespace pelok {

// 1 when name is a Name of XML 1.0 (fifth edition) in UTF-8: a name-start character, then name
// characters. Null, "", invalid UTF-8 (such as GBK bytes) and names with blanks, "/", "<" or
// control characters are 0: a document never holds a name that would not load back.
int IsXmlName(const char* name);

}  // namespace pelok

#endif  // PELOK_XMLDOC_XML_NAME_H_

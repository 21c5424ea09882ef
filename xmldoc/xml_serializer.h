// The text of a document as this module writes it to a file.
#ifndef PELOK_XMLDOC_XML_SERIALIZER_H_
#define PELOK_XMLDOC_XML_SERIALIZER_H_

#include <cstddef>
#include <pugixml.hpp>
#include <string>

namespace pelok {

// The parse options the loader uses; SerializeDocument writes what they read back exactly.
//  - parse_eol and parse_wconv_attribute: a literal CR or line break in the file is read as a
//    strict parser reads it (CR LF and CR become LF; in attributes they become spaces), so every
//    CR, and every line break or tab inside an attribute, is written as a character reference.
//  - parse_ws_pcdata_single: the whitespace-only text of an element that has nothing else is
//    kept, while indentation between elements is dropped; the writer still writes
//    whitespace-only text as character references, so that it survives beside child elements.
//  - parse_declaration, parse_pi, parse_comments, parse_doctype, parse_cdata: a file written by
//    hand keeps its other nodes when it is saved again.
constexpr unsigned kXmlParseOptions =
    pugi::parse_escapes | pugi::parse_eol | pugi::parse_wconv_attribute |
    pugi::parse_ws_pcdata_single | pugi::parse_declaration | pugi::parse_pi | pugi::parse_comments |
    pugi::parse_doctype | pugi::parse_cdata;

// Where SerializeDocument puts the text: in pieces of some tens of kilobytes, in order.
class TextSink {
 public:
  virtual void Write(const char* text, size_t length) = 0;

 protected:
  ~TextSink() = default;
};

// Writes the document into *out (replacing its content), or piece by piece into sink: one node per
// line with tab indentation (one tab a level, at most 32, so that the size stays linear in the
// depth) where an element holds only elements, and no added whitespace inside an element that has
// text. Element names, and the text of an element that holds what XML cannot,
// are written with the escapes of xml_escape.h. Text is otherwise written byte for byte apart from
// these: "&", "<" and ">" as entities, CR as a character reference, and a text of only whitespace
// entirely as character references. An empty document gives "".
void SerializeDocument(const pugi::xml_document& document, std::string* out);
void SerializeDocument(const pugi::xml_document& document, TextSink* sink);

// Reads the text of a file that SerializeDocument (or any XML writer) made into *document, with
// the escapes of element names and of marked texts decoded. The text is taken as UTF-8 without
// any conversion. status_out_of_memory when memory ran out; any other failure is the text's own.
pugi::xml_parse_status ParseDocument(const std::string& text, pugi::xml_document* document);

}  // namespace pelok

#endif  // PELOK_XMLDOC_XML_SERIALIZER_H_

// The escapes of names and texts: any bytes written into a document, saved and parsed again come
// back unchanged, every written name is an XML name without ":", and the file's text is UTF-8
// that holds only characters XML allows.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "xmldoc/xml_escape.h"
#include "xmldoc/xml_name.h"
#include "xmldoc/xml_serializer.h"

namespace {

bool HoldsOnlyXmlCharacters(const std::string& text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.c_str());
  while (*p != 0) {
    uint32_t c = 0;
    if (!pelok::DecodeUtf8Char(&p, &c) || !pelok::IsXmlChar(c)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelok;
  // The bytes up to the first zero are a name, the rest (zeros dropped) a text.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const size_t cut = bytes.find('\0');
  const std::string name = bytes.substr(0, cut);
  std::string text = cut == std::string::npos ? "" : bytes.substr(cut + 1);
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  if (name.empty()) return 0;

  std::string encoded;
  AppendEncodedName(name.c_str(), &encoded);
  if (!IsXmlName(encoded.c_str()) || encoded.find(':') != std::string::npos) __builtin_trap();
  if (Unescape(encoded.c_str()) != name) __builtin_trap();
  std::string escaped_text;
  AppendEscapedText(text.c_str(), &escaped_text);
  if (!HoldsOnlyXmlCharacters(escaped_text) || Unescape(escaped_text.c_str()) != text) {
    __builtin_trap();
  }

  pugi::xml_document document;
  pugi::xml_node element = document.append_child("r").append_child(pugi::node_element);
  element.set_name(name.c_str());
  element.append_child(pugi::node_pcdata).set_value(text.c_str());
  std::string file;
  SerializeDocument(document, &file);
  if (!HoldsOnlyXmlCharacters(file)) __builtin_trap();
  pugi::xml_document read;
  if (ParseDocument(file, &read) != pugi::status_ok) __builtin_trap();
  const pugi::xml_node back = read.document_element().first_child();
  if (name != back.name()) __builtin_trap();
  if (text != back.text().get()) __builtin_trap();
  return 0;
}

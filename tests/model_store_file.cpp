// Reading a store file back into the model's tree, and describing where two trees differ.
#include <algorithm>
#include <cstdio>
#include <pugixml.hpp>

#include "tests/model_store.h"
#include "tests/support/store_text.h"
#include "xmldoc/xml_serializer.h"

namespace pelok {
namespace model {

namespace {

constexpr char kRegisterElement[] = "processregister";

void ReadElement(pugi::xml_node node, Element* out) {
  out->name = node.name();
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    out->attributes[a.name()] = a.value();
  }
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      out->text += child.value();
    } else if (child.type() == pugi::node_element) {
      out->children.emplace_back();
      ReadElement(child, &out->children.back());
    }
  }
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text.substr(0, 80)) {
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\x%02X", c);
      out += hex;
    }
  }
  if (text.size() > 80) out += "...";
  return out + "\"";
}

std::string Difference(const Element& expected, const Element& actual, const std::string& at) {
  const std::string here = at + "/" + expected.name;
  if (expected.name != actual.name) {
    return at + ": element " + Quote(expected.name) + " expected, " + Quote(actual.name) + " found";
  }
  if (expected.attributes != actual.attributes) {
    std::string text = here + ": attributes differ (expected";
    for (const auto& a : expected.attributes) text += " " + a.first + "=" + Quote(a.second);
    text += "; found";
    for (const auto& a : actual.attributes) text += " " + a.first + "=" + Quote(a.second);
    return text + ")";
  }
  if (expected.text != actual.text) {
    return here + ": text " + Quote(expected.text) + " expected, " + Quote(actual.text) + " found";
  }
  const size_t common = std::min(expected.children.size(), actual.children.size());
  for (size_t i = 0; i < common; ++i) {
    const std::string inner = Difference(expected.children[i], actual.children[i], here);
    if (!inner.empty()) return inner;
  }
  if (expected.children.size() != actual.children.size()) {
    return here + ": " + std::to_string(expected.children.size()) + " children expected, " +
           std::to_string(actual.children.size()) + " found";
  }
  return "";
}

}  // namespace

bool ReadStoreFile(const std::string& path, Element* document, std::string* error) {
  // The store as the document module reads it: the file and its journal.
  std::string text;
  if (!test::ReadStoreText(path, &text)) {
    *error = "the store file does not load";
    return false;
  }
  pugi::xml_document parsed;
  const pugi::xml_parse_result result =
      parsed.load_buffer(text.data(), text.size(), kXmlParseOptions, pugi::encoding_utf8);
  if (!result) {
    *error = std::string("the store file does not parse: ") + result.description();
    return false;
  }
  pugi::xml_node root = parsed.child(kRegisterElement);
  if (!root) {
    *error = "the store file has no processregister element";
    return false;
  }
  *document = Element();
  ReadElement(root, document);
  return true;
}

std::string DescribeDifference(const Element& expected, const Element& actual) {
  return Difference(expected, actual, "");
}

}  // namespace model
}  // namespace pelok

// Reading a store file back into the model's tree, and describing where two trees differ.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <pugixml.hpp>
#include <string>

#include "tests/support/model_store.h"
#include "tests/support/store_text.h"
#include "xmldoc/xml_serializer.h"

namespace pelok {
namespace model {

namespace {

constexpr char kRegisterElement[] = "processregister";
// The element of a text that the file holds escaped carries this attribute.
constexpr char kEscapedMark[] = "pelxml-text";

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// digits upper-case hexadecimal digits at text[at], then "_".
bool EscapeDigits(const std::string& text, size_t at, size_t digits, uint32_t* value) {
  if (at + digits >= text.size() || text[at + digits] != '_') return false;
  *value = 0;
  for (size_t i = 0; i < digits; ++i) {
    const char c = text[at + i];
    const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    if (!digit) return false;
    *value = *value * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
  }
  return true;
}

// "_xHHHH_" is U+HHHH, or the byte 0xHH for U+DCHH from DC80 on; "_xHHHHHHHH_" a character
// beyond U+FFFF; anything else is kept.
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t v = 0;
    if (text.compare(i, 2, "_x") == 0) {
      if (EscapeDigits(text, i + 2, 4, &v) && v >= 0xDC80 && v <= 0xDCFF) {
        out += static_cast<char>(v - 0xDC00);
        i += 7;
        continue;
      }
      if (EscapeDigits(text, i + 2, 4, &v) && v != 0 && (v < 0xD800 || v > 0xDFFF)) {
        AppendUtf8(v, &out);
        i += 7;
        continue;
      }
      if (EscapeDigits(text, i + 2, 8, &v) && v >= 0x10000 && v <= 0x10FFFF) {
        AppendUtf8(v, &out);
        i += 11;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

void ReadElement(pugi::xml_node node, Element* out) {
  out->name = Unescape(node.name());
  const bool escaped_text = std::string(node.attribute(kEscapedMark).value()) == "escaped";
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    if (escaped_text && std::string(a.name()) == kEscapedMark) continue;
    out->attributes[a.name()] = a.value();
  }
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      out->text += escaped_text ? Unescape(child.value()) : std::string(child.value());
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

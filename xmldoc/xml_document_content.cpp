// XmlDocument: reading and changing the current element, adding and removing nodes.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "util/bounded_string.h"
#include "xmldoc/xml_document.h"
#include "xmldoc/xml_name.h"
#include "xmldoc/xml_serializer.h"

namespace pelok {

namespace {

bool IsText(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

pugi::xml_node PreviousElement(pugi::xml_node node) {
  do {
    node = node.previous_sibling();
  } while (node && node.type() != pugi::node_element);
  return node;
}

// value as "%d" writes it; the store sets two attributes on every value it writes, and the
// general formatter costs more than the rest of the call.
void FormatDecimal(int value, char (&text)[16]) {
  // The magnitude as unsigned, so that INT_MIN has one too.
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  char reversed[10];
  int length = 0;
  do {
    reversed[length++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int at = 0;
  if (value < 0) text[at++] = '-';
  while (length > 0) text[at++] = reversed[--length];
  text[at] = '\0';
}

bool IsXmlTarget(const char* name) {
  return (name[0] | 0x20) == 'x' && (name[1] | 0x20) == 'm' && (name[2] | 0x20) == 'l' &&
         name[3] == '\0';
}

// The XML declaration as strict readers take it: a version first, then at most an encoding and
// a standalone, in that order.
bool IsWellFormedDeclaration(pugi::xml_node declaration) {
  if (std::strcmp(declaration.name(), "xml") != 0) return false;
  pugi::xml_attribute attribute = declaration.first_attribute();
  if (!attribute || std::strcmp(attribute.name(), "version") != 0) return false;
  attribute = attribute.next_attribute();
  if (attribute && std::strcmp(attribute.name(), "encoding") == 0) {
    attribute = attribute.next_attribute();
  }
  if (attribute && std::strcmp(attribute.name(), "standalone") == 0) {
    attribute = attribute.next_attribute();
  }
  return !attribute;
}

// A processing instruction or XML declaration written "target content", as one node of a
// parsed document; a null node when the text is not one such node that strict readers take (an
// invalid or reserved target, "?>" inside, a declaration that does not parse).
pugi::xml_node ParseInstruction(const char* text, pugi::xml_document* holder) {
  // "?>" would end the instruction early and leave the rest outside it.
  if (std::strstr(text, "?>") != nullptr) return pugi::xml_node();
  std::string markup = "<?";
  markup += text;
  markup += "?><a/>";
  const unsigned options = pugi::parse_pi | pugi::parse_declaration;
  if (holder->load_buffer(markup.data(), markup.size(), options, pugi::encoding_utf8).status !=
      pugi::status_ok) {
    return pugi::xml_node();
  }
  pugi::xml_node node = holder->first_child();
  if (node.next_sibling() != holder->document_element()) return pugi::xml_node();
  if (node.type() == pugi::node_declaration) {
    return IsWellFormedDeclaration(node) ? node : pugi::xml_node();
  }
  // Other targets spelt "xml" in any case are reserved.
  return node.type() == pugi::node_pi && !IsXmlTarget(node.name()) ? node : pugi::xml_node();
}

}  // namespace

int XmlDocument::GetTagName(char* buf, int len) {
  pugi::xml_node element = CurrentElement();
  if (!element || buf == nullptr || len <= 0) return 0;
  return CopyText(buf, len, element.name());
}

int XmlDocument::GetData(char* buf, int len) {
  pugi::xml_node element = CurrentElement();
  if (!element || buf == nullptr || len <= 0) return 0;
  // The text of an element is all its text nodes; a file written here has at most one.
  pugi::xml_node first;
  int pieces = 0;
  for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
    if (!IsText(child)) continue;
    if (pieces++ == 0) first = child;
  }
  if (pieces == 0) return CopyText(buf, len, "");
  if (pieces == 1) return CopyText(buf, len, first.value());
  try {
    std::string text;
    for (pugi::xml_node child = first; child; child = child.next_sibling()) {
      if (IsText(child)) text += child.value();
    }
    return CopyText(buf, len, text.c_str());
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int XmlDocument::GetAttrib(const char* name, char* buf, int len) {
  pugi::xml_node element = CurrentElement();
  if (!element || name == nullptr || buf == nullptr || len <= 0) return 0;
  pugi::xml_attribute attribute = element.attribute(name);
  if (!attribute) return 0;
  return CopyText(buf, len, attribute.value());
}

int XmlDocument::SetAttrib(const char* name, int value) {
  changed_ = true;
  pugi::xml_node element = CurrentElement();
  if (!element || !IsXmlName(name)) return 0;
  char text[16];
  FormatDecimal(value, text);
  pugi::xml_attribute attribute = element.attribute(name);
  const bool added = !attribute;
  if (added) attribute = element.append_attribute(name);
  if (!attribute) return 0;
  if (!attribute.set_value(text)) {
    if (added) element.remove_attribute(attribute);
    return 0;
  }
  Edited();
  log_.AttributeSet(element, name, text);
  return 1;
}

int XmlDocument::SetData(const char* text) {
  changed_ = true;
  pugi::xml_node element = CurrentElement();
  if (!element || text == nullptr) return 0;
  // The new text goes in before the old goes out, so that a failure leaves the old text.
  pugi::xml_node data;
  if (text[0] != '\0') {
    data = element.prepend_child(pugi::node_pcdata);
    if (!data) return 0;
    if (!data.set_value(text)) {
      element.remove_child(data);
      return 0;
    }
  }
  for (pugi::xml_node child = element.first_child(); child;) {
    pugi::xml_node next = child.next_sibling();
    if (IsText(child) && child != data) element.remove_child(child);
    child = next;
  }
  log_.TextSet(element, text);
  return 1;
}

int XmlDocument::AddElem(const char* name, const char* data, int /*flags*/) {
  changed_ = true;
  // Any name of one byte or more: the file holds what XML cannot with escapes (xml_escape.h).
  if (name == nullptr || name[0] == '\0') return 0;
  // A document has one document element.
  if (level_ == document_ && document_.document_element()) return 0;
  pugi::xml_node element = child_ ? level_.insert_child_after(pugi::node_element, child_)
                                  : level_.append_child(pugi::node_element);
  if (!element) return 0;
  if (!element.set_name(name)) {
    level_.remove_child(element);
    return 0;
  }
  index_.Added(element);
  log_.Added(element, child_);
  child_ = element;
  Edited();
  if (data != nullptr && data[0] != '\0') return SetData(data);
  return 1;
}

int XmlDocument::AddNode(int node_kind, const char* text) {
  changed_ = true;
  // Instructions are rare (the declaration of a new file): the next save writes the whole file.
  log_.Lose();
  if (node_kind != kXmlNodeProcessingInstruction || text == nullptr) return 0;
  pugi::xml_document parsed;
  pugi::xml_node instruction;
  try {
    instruction = ParseInstruction(text, &parsed);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (!instruction) return 0;
  if (instruction.type() == pugi::node_declaration) {
    // The XML declaration stands first in the file, once.
    if (level_ != document_) return 0;
    pugi::xml_node old = document_.first_child();
    if (old.type() == pugi::node_declaration) {
      return document_.insert_copy_after(instruction, old) && document_.remove_child(old) ? 1 : 0;
    }
    return document_.prepend_copy(instruction) ? 1 : 0;
  }
  pugi::xml_node added =
      child_ ? level_.insert_copy_after(instruction, child_) : level_.append_copy(instruction);
  return added ? 1 : 0;
}

int XmlDocument::RemoveElem() {
  changed_ = true;
  pugi::xml_node element = CurrentElement();
  // The document element stays: a document without one would not load back.
  if (!element || element.parent() == document_) return 0;
  pugi::xml_node parent = element.parent();
  pugi::xml_node previous = PreviousElement(element);
  log_.Removing(element);
  index_.Removing(element);
  if (!parent.remove_child(element)) {
    log_.Lose();
    return 0;
  }
  // The position moves to the element before the removed one, so that the next FindElem goes on
  // with the element after it.
  level_ = parent;
  child_ = previous;
  Edited();
  return 1;
}

}  // namespace pelok

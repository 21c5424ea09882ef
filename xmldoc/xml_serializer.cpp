#include "xmldoc/xml_serializer.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "xmldoc/xml_escape.h"

namespace pelok {

namespace {

// The text as it is made, handed to the sink in pieces of about kPiece bytes, so that a large
// document is never held twice in memory.
class Output {
 public:
  explicit Output(TextSink* sink) : sink_(sink) { buffer_.reserve(kPiece + kPiece / 4); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void append(const char* text) { Add(text, std::strlen(text)); }
  void append(const char* text, size_t length) { Add(text, length); }
  void append(size_t count, char c) {
    buffer_.append(count, c);
    Spill();
  }
  void push_back(char c) {
    buffer_.push_back(c);
    Spill();
  }
  // An element name as the file holds it.
  void AppendName(const char* name) {
    scratch_.clear();
    AppendEncodedName(name, &scratch_);
    Add(scratch_.data(), scratch_.size());
  }
  // Whether any text has been made.
  bool empty() const { return written_ == 0 && buffer_.empty(); }
  void Finish() {
    if (!buffer_.empty()) sink_->Write(buffer_.data(), buffer_.size());
    written_ += buffer_.size();
    buffer_.clear();
  }

 private:
  static constexpr size_t kPiece = 64 * 1024;

  void Add(const char* text, size_t length) {
    buffer_.append(text, length);
    Spill();
  }
  void Spill() {
    if (buffer_.size() >= kPiece) Finish();
  }

  TextSink* sink_;
  std::string buffer_;
  std::string scratch_;
  size_t written_ = 0;
};

// Collects the whole text in a string.
class StringSink : public TextSink {
 public:
  explicit StringSink(std::string* out) : out_(out) {}
  void Write(const char* text, size_t length) override { out_->append(text, length); }

 private:
  std::string* out_;
};

bool IsXmlSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A byte of text written as it is (the terminating zero is not).
bool IsPlainText(unsigned char c) {
  return c >= 0x20 ? c != '&' && c != '<' && c != '>' : c == '\t' || c == '\n';
}

// A byte of an attribute value written as it is (the terminating zero is not).
bool IsPlainAttributeText(unsigned char c) {
  return c >= 0x20 && c != '&' && c != '<' && c != '>' && c != '"';
}

void AppendCharacterReference(unsigned char c, Output* out) {
  char reference[8];
  std::snprintf(reference, sizeof(reference), "&#%u;", static_cast<unsigned>(c));
  out->append(reference);
}

// Ordinary bytes (those plain() accepts) go out a run at a time; markup characters as entities
// and every other byte as a character reference (a CR, say, which a reader would turn into LF).
void AppendEscaped(const unsigned char* s, bool (*plain)(unsigned char), Output* out) {
  for (;;) {
    const unsigned char* run = s;
    while (plain(*s)) ++s;
    if (s != run) out->append(reinterpret_cast<const char*>(run), static_cast<size_t>(s - run));
    const unsigned char c = *s;
    if (c == 0) return;
    if (c == '&') {
      out->append("&amp;");
    } else if (c == '<') {
      out->append("&lt;");
    } else if (c == '>') {
      out->append("&gt;");
    } else if (c == '"') {
      out->append("&quot;");
    } else {
      AppendCharacterReference(c, out);
    }
    ++s;
  }
}

// A text of only whitespace would be dropped (beside other nodes) or taken as indentation by a
// reader, so it goes out as references, which no reader treats as whitespace to skip. The text
// of an element that carries the escaped-text mark goes out escaped first.
void AppendText(const char* text, bool escaped, Output* out) {
  std::string escaped_text;
  if (escaped) {
    AppendEscapedText(text, &escaped_text);
    text = escaped_text.c_str();
  }
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  bool only_space = *s != 0;
  for (const unsigned char* p = s; *p != 0 && only_space; ++p) only_space = IsXmlSpace(*p);
  if (only_space) {
    for (; *s != 0; ++s) AppendCharacterReference(*s, out);
    return;
  }
  AppendEscaped(s, IsPlainText, out);
}

// Attribute values are normalised by readers: every whitespace character but the space, and
// every control character, goes out as a reference.
void AppendAttributeValue(const char* value, Output* out) {
  AppendEscaped(reinterpret_cast<const unsigned char*>(value), IsPlainAttributeText, out);
}

// The mark is the writer's alone: one set through the interface is not written twice.
void AppendAttributes(pugi::xml_node node, bool escaped_text, Output* out) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    if (node.type() == pugi::node_element && std::strcmp(a.name(), kEscapedTextAttribute) == 0) {
      continue;
    }
    out->push_back(' ');
    out->append(a.name());
    out->append("=\"");
    AppendAttributeValue(a.value(), out);
    out->push_back('"');
  }
  if (escaped_text) {
    out->push_back(' ');
    out->append(kEscapedTextAttribute);
    out->append("=\"");
    out->append(kEscapedTextValue);
    out->push_back('"');
  }
}

bool IsText(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// How an element's children are written: indentation inside an element with text would become
// part of that text; the text of an element is escaped as a whole when any piece of it needs it.
struct ChildLayout {
  bool indented = true;
  bool escaped_text = false;
};

ChildLayout LayoutOf(pugi::xml_node element) {
  ChildLayout layout;
  for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
    if (!IsText(child)) continue;
    layout.indented = false;
    if (TextNeedsEscapes(child.value())) layout.escaped_text = true;
  }
  return layout;
}

// Everything of a node but an element's children and end tag; layout is that of the element's
// children, or of the node's siblings for a text.
void AppendNodeStart(pugi::xml_node node, const ChildLayout& layout, Output* out) {
  switch (node.type()) {
    case pugi::node_element:
      out->push_back('<');
      out->AppendName(node.name());
      AppendAttributes(node, layout.escaped_text, out);
      out->append(node.first_child() ? ">" : "/>");
      break;
    case pugi::node_pcdata:
    case pugi::node_cdata:
      // CDATA cannot carry a CR through a strict reader; as escaped text it reads back the same.
      AppendText(node.value(), layout.escaped_text, out);
      break;
    case pugi::node_comment:
      out->append("<!--");
      out->append(node.value());
      out->append("-->");
      break;
    case pugi::node_pi:
      out->append("<?");
      out->append(node.name());
      if (node.value()[0] != '\0') {
        out->push_back(' ');
        out->append(node.value());
      }
      out->append("?>");
      break;
    case pugi::node_declaration:
      out->append("<?");
      out->append(node.name());
      AppendAttributes(node, false, out);
      out->append("?>");
      break;
    case pugi::node_doctype:
      out->append("<!DOCTYPE ");
      out->append(node.value());
      out->push_back('>');
      break;
    default:
      break;
  }
}

// Lines are indented one tab a level up to kMaxIndent tabs, and no further: a store nested
// 10,000 levels deep would otherwise take one tab per level on every line, and its file would
// grow with the square of its depth. Readers drop indentation between elements whatever its
// length, so a deep element's lines merely stop moving to the right.
constexpr size_t kMaxIndent = 32;

void AppendLineStart(size_t depth, Output* out) {
  out->push_back('\n');
  out->append(depth < kMaxIndent ? depth : kMaxIndent, '\t');
}

}  // namespace

void SerializeDocument(const pugi::xml_document& document, std::string* out) {
  out->clear();
  StringSink sink(out);
  SerializeDocument(document, &sink);
}

void SerializeDocument(const pugi::xml_document& document, TextSink* sink) {
  Output output(sink);
  Output* const out = &output;
  // layouts[d]: how the nodes at depth d are written (the top level goes on lines of its own).
  // Iterative, so that a deeply nested file read from elsewhere cannot exhaust the stack.
  std::vector<ChildLayout> layouts{ChildLayout()};
  pugi::xml_node node = document.first_child();
  while (node) {
    const size_t depth = layouts.size() - 1;
    if (layouts.back().indented && !(depth == 0 && node == document.first_child())) {
      AppendLineStart(depth, out);
    }
    const bool has_children = node.type() == pugi::node_element && node.first_child();
    const ChildLayout children = has_children ? LayoutOf(node) : ChildLayout();
    AppendNodeStart(node, node.type() == pugi::node_element ? children : layouts.back(), out);
    if (has_children) {
      layouts.push_back(children);
      node = node.first_child();
      continue;
    }
    // Close every element whose last child this was, then go on with the next sibling.
    while (!node.next_sibling() && layouts.size() > 1) {
      const bool indented = layouts.back().indented;
      layouts.pop_back();
      node = node.parent();
      if (indented) AppendLineStart(layouts.size() - 1, out);
      out->append("</");
      out->AppendName(node.name());
      out->push_back('>');
    }
    node = node.next_sibling();
  }
  if (!out->empty()) out->push_back('\n');
  out->Finish();
}

namespace {

// The text pieces of a marked element decoded; false when memory ran out.
bool DecodeMarkedText(pugi::xml_node element) {
  pugi::xml_attribute mark = element.attribute(kEscapedTextAttribute);
  if (!mark || std::strcmp(mark.value(), kEscapedTextValue) != 0) return true;
  element.remove_attribute(mark);
  for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
    if (IsText(child) && HoldsEscape(child.value()) &&
        !child.set_value(Unescape(child.value()).c_str())) {
      return false;
    }
  }
  return true;
}

bool DecodeElement(pugi::xml_node element) {
  if (HoldsEscape(element.name()) && !element.set_name(Unescape(element.name()).c_str())) {
    return false;
  }
  return DecodeMarkedText(element);
}

}  // namespace

pugi::xml_parse_status ParseDocument(const std::string& text, pugi::xml_document* document) {
  try {
    const pugi::xml_parse_result parsed =
        document->load_buffer(text.data(), text.size(), kXmlParseOptions, pugi::encoding_utf8);
    if (parsed.status != pugi::status_ok) return parsed.status;
    // In document order, without recursion: a deep file must not exhaust the stack.
    pugi::xml_node node = document->first_child();
    while (node) {
      if (node.type() == pugi::node_element && !DecodeElement(node)) {
        return pugi::status_out_of_memory;
      }
      if (node.first_child()) {
        node = node.first_child();
        continue;
      }
      while (node && !node.next_sibling()) node = node.parent();
      if (node) node = node.next_sibling();
    }
  } catch (const std::bad_alloc&) {
    return pugi::status_out_of_memory;
  }
  return pugi::status_ok;
}

}  // namespace pelok

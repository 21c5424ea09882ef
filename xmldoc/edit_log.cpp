#include "xmldoc/edit_log.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace pelok {

namespace {

constexpr char kAdd = 'A';
constexpr char kText = 'T';
constexpr char kAttribute = 'V';
constexpr char kRemove = 'R';
constexpr char kFold = 'F';

bool IsElement(pugi::xml_node node) { return node.type() == pugi::node_element; }

bool IsText(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

void AppendNumber(std::string* out, uint64_t value) {
  while (value >= 0x80) {
    out->push_back(static_cast<char>((value & 0x7f) | 0x80));
    value >>= 7;
  }
  out->push_back(static_cast<char>(value));
}

void AppendString(std::string* out, const char* text, size_t length) {
  AppendNumber(out, length);
  out->append(text, length);
}

void AppendString(std::string* out, const char* text) {
  AppendString(out, text, std::strlen(text));
}

void AppendFixed(std::string* out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// The place of element among the elements of its name under its parent.
uint64_t PlaceOf(pugi::xml_node element, ChildNameIndex* index) {
  uint64_t place = 0;
  for (pugi::xml_node n = index->First(element.parent(), element.name()); n && n != element;
       n = index->NextOfSameName(n)) {
    ++place;
  }
  return place;
}

// Reads what EditLog wrote; every read fails once the bytes run out.
class Reader {
 public:
  Reader(const char* bytes, size_t size) : at_(bytes), end_(bytes + size) {}

  bool done() const { return at_ == end_; }
  bool Byte(char* c) {
    if (at_ == end_) return false;
    *c = *at_++;
    return true;
  }
  bool Number(uint64_t* value) {
    *value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      char c;
      if (!Byte(&c)) return false;
      *value |= static_cast<uint64_t>(static_cast<unsigned char>(c) & 0x7f) << shift;
      if ((static_cast<unsigned char>(c) & 0x80) == 0) return true;
    }
    return false;
  }
  // The string as a NUL-terminated copy (names and texts hold no NUL).
  bool String(std::string* text) {
    uint64_t length = 0;
    if (!Number(&length) || length > static_cast<uint64_t>(end_ - at_)) return false;
    text->assign(at_, static_cast<size_t>(length));
    at_ += length;
    return text->find('\0') == std::string::npos;
  }
  bool Fixed(uint64_t* value) {
    if (end_ - at_ < 8) return false;
    *value = 0;
    for (int i = 0; i < 8; ++i) {
      *value |= static_cast<uint64_t>(static_cast<unsigned char>(at_[i])) << (8 * i);
    }
    at_ += 8;
    return true;
  }

 private:
  const char* at_;
  const char* end_;
};

// The child element of parent with that name and place, or a null node.
pugi::xml_node Child(pugi::xml_node parent, const std::string& name, uint64_t place,
                     ChildNameIndex* index) {
  if (!parent || name.empty()) return pugi::xml_node();
  pugi::xml_node node = index->First(parent, name.c_str());
  for (; node && place > 0; --place) node = index->NextOfSameName(node);
  return node;
}

bool ReadPath(Reader* reader, pugi::xml_node document, ChildNameIndex* index,
              pugi::xml_node* node) {
  uint64_t levels = 0;
  if (!reader->Number(&levels)) return false;
  pugi::xml_node at = document;
  std::string name;
  for (uint64_t i = 0; i < levels; ++i) {
    uint64_t place = 0;
    if (!reader->String(&name) || !reader->Number(&place)) return false;
    at = Child(at, name, place, index);
    if (!at) return false;
  }
  *node = at;
  return true;
}

bool ReplayAdd(Reader* reader, pugi::xml_node document, ChildNameIndex* index) {
  pugi::xml_node parent;
  char has_after = 0;
  if (!ReadPath(reader, document, index, &parent) || !reader->Byte(&has_after)) return false;
  pugi::xml_node after;
  std::string name;
  if (has_after != 0) {
    uint64_t place = 0;
    if (!reader->String(&name) || !reader->Number(&place)) return false;
    after = Child(parent, name, place, index);
    if (!after) return false;
  }
  if (!reader->String(&name) || name.empty()) return false;
  pugi::xml_node element = after ? parent.insert_child_after(pugi::node_element, after)
                                 : parent.append_child(pugi::node_element);
  if (!element) throw std::bad_alloc();
  if (!element.set_name(name.c_str())) {
    parent.remove_child(element);
    throw std::bad_alloc();
  }
  index->Added(element);
  return true;
}

bool ReplayText(Reader* reader, pugi::xml_node document, ChildNameIndex* index) {
  pugi::xml_node element;
  std::string text;
  if (!ReadPath(reader, document, index, &element) || !reader->String(&text)) return false;
  if (!IsElement(element)) return false;
  pugi::xml_node data;
  if (!text.empty()) {
    data = element.prepend_child(pugi::node_pcdata);
    if (!data) throw std::bad_alloc();
    if (!data.set_value(text.c_str())) {
      element.remove_child(data);
      throw std::bad_alloc();
    }
  }
  for (pugi::xml_node child = element.first_child(); child;) {
    pugi::xml_node next = child.next_sibling();
    if (IsText(child) && child != data) element.remove_child(child);
    child = next;
  }
  return true;
}

bool ReplayAttribute(Reader* reader, pugi::xml_node document, ChildNameIndex* index) {
  pugi::xml_node element;
  std::string name;
  std::string value;
  if (!ReadPath(reader, document, index, &element) || !reader->String(&name) ||
      !reader->String(&value) || name.empty() || !IsElement(element)) {
    return false;
  }
  pugi::xml_attribute attribute = element.attribute(name.c_str());
  if (!attribute) attribute = element.append_attribute(name.c_str());
  if (!attribute || !attribute.set_value(value.c_str())) throw std::bad_alloc();
  return true;
}

bool ReplayRemove(Reader* reader, pugi::xml_node document, ChildNameIndex* index) {
  pugi::xml_node element;
  if (!ReadPath(reader, document, index, &element) || !IsElement(element)) return false;
  pugi::xml_node parent = element.parent();
  index->Removing(element);
  return parent.remove_child(element);
}

}  // namespace

void EditLog::AppendPath(std::string* out, pugi::xml_node element) {
  std::vector<pugi::xml_node> levels;
  for (pugi::xml_node node = element; node && IsElement(node); node = node.parent()) {
    levels.push_back(node);
  }
  AppendNumber(out, levels.size());
  for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
    AppendString(out, it->name());
    AppendNumber(out, PlaceOf(*it, index_));
  }
}

template <class Write>
void EditLog::Record(Write write) {
  if (lost_) return;
  const size_t before = ops_.size();
  try {
    write(&ops_);
  } catch (const std::bad_alloc&) {
    ops_.resize(before);
    Lose();
    return;
  }
  if (ops_.size() > limit_) Lose();
}

void EditLog::Added(pugi::xml_node element, pugi::xml_node after) {
  Record([&](std::string* out) {
    out->push_back(kAdd);
    AppendPath(out, element.parent());
    out->push_back(after ? 1 : 0);
    if (after) {
      AppendString(out, after.name());
      AppendNumber(out, PlaceOf(after, index_));
    }
    AppendString(out, element.name());
  });
}

void EditLog::TextSet(pugi::xml_node element, const char* text) {
  Record([&](std::string* out) {
    out->push_back(kText);
    AppendPath(out, element);
    AppendString(out, text);
  });
}

void EditLog::AttributeSet(pugi::xml_node element, const char* name, const char* value) {
  Record([&](std::string* out) {
    out->push_back(kAttribute);
    AppendPath(out, element);
    AppendString(out, name);
    AppendString(out, value);
  });
}

void EditLog::Removing(pugi::xml_node element) {
  Record([&](std::string* out) {
    out->push_back(kRemove);
    AppendPath(out, element);
  });
}

void EditLog::Lose() {
  lost_ = true;
  std::string().swap(ops_);
}

void EditLog::Clear() {
  lost_ = false;
  ops_.clear();
}

bool ReplayEdits(pugi::xml_node document, ChildNameIndex* index, const char* ops, size_t size) {
  Reader reader(ops, size);
  while (!reader.done()) {
    char kind = 0;
    reader.Byte(&kind);
    bool fits = false;
    switch (kind) {
      case kAdd:
        fits = ReplayAdd(&reader, document, index);
        break;
      case kText:
        fits = ReplayText(&reader, document, index);
        break;
      case kAttribute:
        fits = ReplayAttribute(&reader, document, index);
        break;
      case kRemove:
        fits = ReplayRemove(&reader, document, index);
        break;
      case kFold: {
        uint64_t skipped;
        fits = reader.Fixed(&skipped) && reader.Fixed(&skipped) && reader.Fixed(&skipped);
        break;
      }
      default:
        break;
    }
    if (!fits) return false;
  }
  return true;
}

void AppendFoldMark(std::string* out, uint64_t size, uint64_t first, uint64_t second) {
  out->push_back(kFold);
  AppendFixed(out, size);
  AppendFixed(out, first);
  AppendFixed(out, second);
}

bool IsFoldMark(const char* ops, size_t size, uint64_t* hash_size, uint64_t* first,
                uint64_t* second) {
  Reader reader(ops, size);
  char kind = 0;
  return reader.Byte(&kind) && kind == kFold && reader.Fixed(hash_size) && reader.Fixed(first) &&
         reader.Fixed(second) && reader.done();
}

}  // namespace pelok

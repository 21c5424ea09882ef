// XmlDocument: moving the position.
#include <cstring>

#include "pelok/store_format.h"
#include "util/bounded_string.h"
#include "xmldoc/xml_document.h"

namespace pelok {

namespace {

bool IsElement(pugi::xml_node node) { return node.type() == pugi::node_element; }

pugi::xml_node NextElement(pugi::xml_node node) {
  do {
    node = node.next_sibling();
  } while (node && !IsElement(node));
  return node;
}

pugi::xml_node FirstElement(pugi::xml_node parent) {
  pugi::xml_node node = parent.first_child();
  return !node || IsElement(node) ? node : NextElement(node);
}

// What GetChildNameByIndex counts: values, which carry a type, and not sub-keys.
bool IsValueElement(pugi::xml_node node) { return IsElement(node) && node.attribute(store_format::kTypeAttribute); }

}  // namespace

int XmlDocument::ResetPos() {
  level_ = document_;
  child_ = pugi::xml_node();
  return 1;
}

int XmlDocument::FindElem(const char* name) {
  // Looking into a document read from an empty file that it never changed: the file is one that
  // another process has just created and is about to fill.
  if (level_ == document_ && !document_.first_child()) TakeInContentOfNewFile();
  pugi::xml_node found;
  if (name == nullptr) {
    found = child_ ? NextElement(child_) : FirstElement(level_);
  } else if (name[0] == '\0') {
    // No element has the empty name; taking it for "any" would let a value named "" be set
    // over, or deleted with, whatever element comes first.
    return 0;
  } else if (!child_) {
    found = index_.First(level_, name);
  } else if (std::strcmp(child_.name(), name) == 0) {
    found = index_.NextOfSameName(child_);
  } else {
    for (found = NextElement(child_); found; found = NextElement(found)) {
      if (std::strcmp(found.name(), name) == 0) break;
    }
  }
  if (!found) return 0;
  child_ = found;
  return 1;
}

int XmlDocument::IntoElem() {
  if (child_) {
    level_ = child_;
    child_ = pugi::xml_node();
    return 1;
  }
  // Entering the current element again when it is the level already changes nothing.
  return IsElement(level_) ? 1 : 0;
}

int XmlDocument::OutOfElem() {
  if (!IsElement(level_)) return 0;
  child_ = level_;
  level_ = level_.parent();
  return 1;
}

int XmlDocument::GetChildNameByIndex(int index, char* buf, int len) {
  if (index < 1 || buf == nullptr || len <= 0) return 0;
  pugi::xml_node node;
  int at = 0;
  if (counted_level_ == level_ && counted_edits_ == edits_ && counted_index_ <= index &&
      counted_child_) {
    node = counted_child_;
    at = counted_index_;
  } else {
    for (node = FirstElement(level_); node && !IsValueElement(node); node = NextElement(node)) {
    }
    at = node ? 1 : 0;
  }
  while (node && at < index) {
    do {
      node = NextElement(node);
    } while (node && !IsValueElement(node));
    if (node) ++at;
  }
  if (!node) return 0;
  counted_level_ = level_;
  counted_edits_ = edits_;
  counted_index_ = at;
  counted_child_ = node;
  return CopyText(buf, len, node.name());
}

}  // namespace pelok

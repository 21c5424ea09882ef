#include "xmldoc/child_name_index.h"

#include <algorithm>
#include <cstring>

namespace pelok {

namespace {

bool IsElementNamed(pugi::xml_node node, const char* name) {
  return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

}  // namespace

ChildNameIndex::ByName& ChildNameIndex::Build(pugi::xml_node parent) {
  auto found = parents_.find(parent);
  if (found != parents_.end()) return found->second;
  ByName& by_name = parents_[parent];
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) by_name[child.name()].push_back(child);
  }
  return by_name;
}

pugi::xml_node ChildNameIndex::First(pugi::xml_node parent, const char* name) {
  const ByName& by_name = Build(parent);
  auto found = by_name.find(name);
  return found == by_name.end() ? pugi::xml_node() : found->second.front();
}

pugi::xml_node ChildNameIndex::NextOfSameName(pugi::xml_node element) {
  const ByName& by_name = Build(element.parent());
  auto found = by_name.find(element.name());
  if (found == by_name.end()) return pugi::xml_node();
  const std::vector<pugi::xml_node>& same = found->second;
  auto at = std::find(same.begin(), same.end(), element);
  return at == same.end() || at + 1 == same.end() ? pugi::xml_node() : *(at + 1);
}

void ChildNameIndex::Added(pugi::xml_node element) {
  auto parent = parents_.find(element.parent());
  if (parent == parents_.end()) return;
  std::vector<pugi::xml_node>& same = parent->second[element.name()];
  // Before the next sibling of the same name, if there is one; the search only runs when the
  // name already occurs.
  pugi::xml_node next;
  if (!same.empty()) {
    for (next = element.next_sibling(); next; next = next.next_sibling()) {
      if (IsElementNamed(next, element.name())) break;
    }
  }
  same.insert(next ? std::find(same.begin(), same.end(), next) : same.end(), element);
}

void ChildNameIndex::Removing(pugi::xml_node element) {
  if (parents_.empty()) return;
  auto parent = parents_.find(element.parent());
  if (parent != parents_.end()) {
    auto found = parent->second.find(element.name());
    if (found != parent->second.end()) {
      std::vector<pugi::xml_node>& same = found->second;
      same.erase(std::remove(same.begin(), same.end(), element), same.end());
      if (same.empty()) parent->second.erase(found);
    }
  }
  // The indexes of the removed elements go too: their nodes may be reused for new ones.
  parents_.erase(element);
  for (pugi::xml_node node = element.first_child(); node && !parents_.empty();) {
    if (node.type() == pugi::node_element) parents_.erase(node);
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != element && !node.next_sibling()) node = node.parent();
    if (node == element) break;
    node = node.next_sibling();
  }
}

}  // namespace pelok

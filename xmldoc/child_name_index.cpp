#include "xmldoc/child_name_index.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace pelok {

namespace {

bool IsElementNamed(pugi::xml_node node, const char* name) {
  return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// The next sibling element named name, by walking.
pugi::xml_node ScanFrom(pugi::xml_node node, const char* name) {
  for (; node; node = node.next_sibling()) {
    if (IsElementNamed(node, name)) return node;
  }
  return node;
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

// Out of memory, the index is dropped and the answer found by walking; a half-built or
// half-updated index must never be used.
pugi::xml_node ChildNameIndex::First(pugi::xml_node parent, const char* name) {
  try {
    const ByName& by_name = Build(parent);
    auto found = by_name.find(name);
    return found == by_name.end() ? pugi::xml_node() : found->second.front();
  } catch (const std::bad_alloc&) {
    Clear();
    return ScanFrom(parent.first_child(), name);
  }
}

pugi::xml_node ChildNameIndex::NextOfSameName(pugi::xml_node element) {
  try {
    const ByName& by_name = Build(element.parent());
    auto found = by_name.find(element.name());
    if (found == by_name.end()) return pugi::xml_node();
    const std::vector<pugi::xml_node>& same = found->second;
    auto at = std::find(same.begin(), same.end(), element);
    return at == same.end() || at + 1 == same.end() ? pugi::xml_node() : *(at + 1);
  } catch (const std::bad_alloc&) {
    Clear();
    return ScanFrom(element.next_sibling(), element.name());
  }
}

void ChildNameIndex::Added(pugi::xml_node element) {
  try {
    AddToParent(element);
  } catch (const std::bad_alloc&) {
    Clear();
  }
}

void ChildNameIndex::Removing(pugi::xml_node element) {
  try {
    RemoveFromParent(element);
  } catch (const std::bad_alloc&) {
    Clear();
    return;
  }
  DropSubtree(element);
}

void ChildNameIndex::AddToParent(pugi::xml_node element) {
  auto parent = parents_.find(element.parent());
  if (parent == parents_.end()) return;
  std::vector<pugi::xml_node>& same = parent->second[element.name()];
  // Before the next sibling of the same name, if there is one; the walk only runs when the
  // name already occurs.
  const pugi::xml_node next =
      same.empty() ? pugi::xml_node() : ScanFrom(element.next_sibling(), element.name());
  same.insert(next ? std::find(same.begin(), same.end(), next) : same.end(), element);
}

void ChildNameIndex::RemoveFromParent(pugi::xml_node element) {
  auto parent = parents_.find(element.parent());
  if (parent == parents_.end()) return;
  auto found = parent->second.find(element.name());
  if (found == parent->second.end()) return;
  std::vector<pugi::xml_node>& same = found->second;
  same.erase(std::remove(same.begin(), same.end(), element), same.end());
  if (same.empty()) parent->second.erase(found);
}

// The indexes of the removed elements go too: their memory may be reused for new elements.
void ChildNameIndex::DropSubtree(pugi::xml_node element) {
  if (parents_.empty()) return;
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

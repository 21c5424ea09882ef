#include "xmldoc/document_merge.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pelok {

namespace {

using ElementKey = std::pair<std::string, int>;

bool SameText(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

bool SameAttributes(pugi::xml_node a, pugi::xml_node b) {
  pugi::xml_attribute x = a.first_attribute();
  pugi::xml_attribute y = b.first_attribute();
  for (; x && y; x = x.next_attribute(), y = y.next_attribute()) {
    if (!SameText(x.name(), y.name()) || !SameText(x.value(), y.value())) return false;
  }
  return !x && !y;
}

bool SameNode(pugi::xml_node a, pugi::xml_node b) {
  return a.type() == b.type() && SameText(a.name(), b.name()) && SameText(a.value(), b.value()) &&
         SameAttributes(a, b);
}

// The nodes of an element that are not elements, in order.
std::vector<pugi::xml_node> ContentNodes(pugi::xml_node node) {
  std::vector<pugi::xml_node> nodes;
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) nodes.push_back(child);
  }
  return nodes;
}

// An element's own content, its children elements aside.
bool SameContent(pugi::xml_node a, pugi::xml_node b) {
  if (!SameAttributes(a, b)) return false;
  const std::vector<pugi::xml_node> x = ContentNodes(a);
  const std::vector<pugi::xml_node> y = ContentNodes(b);
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i) {
    if (!SameTree(x[i], y[i])) return false;
  }
  return true;
}

// The child elements of node by name and place among those of that name; null node: none.
std::map<ElementKey, pugi::xml_node> ChildElements(pugi::xml_node node) {
  std::map<ElementKey, pugi::xml_node> elements;
  if (!node) return elements;
  std::map<std::string, int> seen;
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const int place = seen[child.name()]++;
    elements.emplace(ElementKey(child.name(), place), child);
  }
  return elements;
}

pugi::xml_node Find(const std::map<ElementKey, pugi::xml_node>& elements, const ElementKey& key) {
  const auto found = elements.find(key);
  return found == elements.end() ? pugi::xml_node() : found->second;
}

// Gives target the content of source: its attributes and its nodes other than elements, which
// stand before the child elements.
void TakeContent(pugi::xml_node target, pugi::xml_node source) {
  while (target.first_attribute()) target.remove_attribute(target.first_attribute());
  for (pugi::xml_attribute a = source.first_attribute(); a; a = a.next_attribute()) {
    target.append_attribute(a.name()).set_value(a.value());
  }
  for (pugi::xml_node node : ContentNodes(target)) target.remove_child(node);
  pugi::xml_node first_element = target.first_child();
  for (pugi::xml_node node : ContentNodes(source)) {
    if (first_element) {
      target.insert_copy_before(node, first_element);
    } else {
      target.append_copy(node);
    }
  }
}

// theirs is null where the other writer deleted the element that mine changed: what mine did
// not change goes, what it changed stays.
void MergeElement(pugi::xml_node mine, pugi::xml_node base, pugi::xml_node theirs) {
  if (base && theirs && SameContent(mine, base)) TakeContent(mine, theirs);

  const std::map<ElementKey, pugi::xml_node> base_children = ChildElements(base);
  const std::map<ElementKey, pugi::xml_node> their_children = ChildElements(theirs);
  const std::map<ElementKey, pugi::xml_node> my_children = ChildElements(mine);

  for (const auto& entry : my_children) {
    const pugi::xml_node m = entry.second;
    const pugi::xml_node b = Find(base_children, entry.first);
    const pugi::xml_node t = Find(their_children, entry.first);
    if (b && SameTree(m, b)) {
      // Unchanged here: theirs, whatever it is now.
      if (!t) {
        mine.remove_child(m);
      } else if (!SameTree(m, t)) {
        mine.insert_copy_before(t, m);
        mine.remove_child(m);
      }
    } else if (t && !(b && SameTree(t, b))) {
      // Both changed it, or both added it.
      MergeElement(m, b, t);
    } else if (!t && b) {
      MergeElement(m, b, pugi::xml_node());
    }
    // Otherwise only mine changed or added it: it stays as it is.
  }
  for (const auto& entry : their_children) {
    if (my_children.count(entry.first) != 0) continue;
    // Added by them: it joins. Deleted by me (it was in the base): it stays deleted, whether or
    // not they changed it, since the deletion is the later write.
    if (base_children.count(entry.first) == 0) mine.append_copy(entry.second);
  }
}

}  // namespace

bool SameTree(pugi::xml_node a, pugi::xml_node b) {
  if (!SameNode(a, b)) return false;
  pugi::xml_node x = a.first_child();
  pugi::xml_node y = b.first_child();
  for (; x && y; x = x.next_sibling(), y = y.next_sibling()) {
    if (!SameTree(x, y)) return false;
  }
  return !x && !y;
}

void MergeInto(pugi::xml_node mine, pugi::xml_node base, pugi::xml_node theirs) {
  MergeElement(mine, base, theirs);
}

}  // namespace pelok

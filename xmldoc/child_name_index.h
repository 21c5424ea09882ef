// Child elements by name, so that finding a child by name does not walk every sibling: a key
// may hold 100,000 values, and the register store finds one by name on every operation.
#ifndef PELOK_XMLDOC_CHILD_NAME_INDEX_H_
#define PELOK_XMLDOC_CHILD_NAME_INDEX_H_

#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <vector>

namespace pelok {

// The index of the elements whose children have been looked up by name. An element's index is
// built on its first lookup; every edit of the tree must then be reported (Added, Removing) or
// the index dropped (Clear). Out of memory, the index drops itself and answers by walking.
class ChildNameIndex {
 public:
  // The first child element of parent named name (in document order), or a null node.
  pugi::xml_node First(pugi::xml_node parent, const char* name);
  // The next child element named like element after it, or a null node.
  pugi::xml_node NextOfSameName(pugi::xml_node element);

  // element has just been inserted among its siblings.
  void Added(pugi::xml_node element);
  // element is about to be removed with everything inside it.
  void Removing(pugi::xml_node element);
  void Clear() { parents_.clear(); }

 private:
  struct NodeHash {
    size_t operator()(const pugi::xml_node& node) const { return node.hash_value(); }
  };
  // Per name, the child elements of that name in document order (usually just one).
  using ByName = std::unordered_map<std::string, std::vector<pugi::xml_node>>;

  ByName& Build(pugi::xml_node parent);
  void AddToParent(pugi::xml_node element);
  void RemoveFromParent(pugi::xml_node element);
  void DropSubtree(pugi::xml_node element);

  std::unordered_map<pugi::xml_node, ByName, NodeHash> parents_;
};

}  // namespace pelok

#endif  // PELOK_XMLDOC_CHILD_NAME_INDEX_H_

// Child elements by name, so that finding a child by name does not walk every sibling: a key
// may hold 100,000 values, and the register store finds one by name on every operation.
#ifndef PELOK_XMLDOC_CHILD_NAME_INDEX_H_
#define PELOK_XMLDOC_CHILD_NAME_INDEX_H_

#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <unordered_map>
#include <vector>

namespace pelok {

// The index of the elements with many children whose children have been looked up by name.
// An element's table is built when a lookup has had to walk past many children; a parent with
// few children is always walked. Every edit of the tree must be reported (Added, Removing) or
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
  void Clear();

 private:
  // The children of one parent by name: open addressing with linear probing, one slot per
  // distinct name holding the first element of that name and how many there are.
  class Table {
   public:
    // Every child element of parent; throws std::bad_alloc.
    explicit Table(pugi::xml_node parent);

    pugi::xml_node First(const char* name, uint32_t hash) const;
    // How many children are named name.
    uint32_t Count(const char* name, uint32_t hash) const;
    // Throws std::bad_alloc.
    void Added(pugi::xml_node element, uint32_t hash);
    void Removing(pugi::xml_node element, uint32_t hash);

   private:
    struct Slot {
      pugi::xml_node_struct* first = nullptr;  // null: a free slot
      uint32_t hash = 0;
      uint32_t count = 0;
    };

    size_t Find(const char* name, uint32_t hash) const;  // the slot, or slots_.size()
    void Insert(pugi::xml_node element, uint32_t hash);
    void Erase(size_t at);
    void Grow();

    std::vector<Slot> slots_;  // a power of two, never more than half full
    size_t mask_ = 0;
    size_t used_ = 0;
  };

  // The table of parent, or null.
  Table* TableOf(pugi::xml_node parent);
  // Drops the tables of element and of everything inside it.
  void DropSubtree(pugi::xml_node element);

  std::unordered_map<pugi::xml_node_struct*, std::unique_ptr<Table>> tables_;
  // The last parent looked up, since the register store works within one key at a time.
  pugi::xml_node_struct* last_parent_ = nullptr;
  Table* last_table_ = nullptr;
};

}  // namespace pelok

#endif  // PELOK_XMLDOC_CHILD_NAME_INDEX_H_

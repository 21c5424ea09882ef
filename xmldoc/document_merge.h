// Bringing another writer's changes into a document that has changes of its own.
#ifndef PELOK_XMLDOC_DOCUMENT_MERGE_H_
#define PELOK_XMLDOC_DOCUMENT_MERGE_H_

#include <pugixml.hpp>

namespace pelok {

// Three-way merge into mine, in place: base is what mine and theirs both started from, theirs is
// what another writer made of it since. Elements are matched by their name and their place among
// the siblings of that name; an element's content is its attributes and its nodes other than
// elements (its text). Where only one side changed something, that change is taken; where both
// changed one element's content, or one deleted what the other changed, mine is taken, since mine
// is the later write. Throws std::bad_alloc; the tree may then be merged part way.
void MergeInto(pugi::xml_node mine, pugi::xml_node base, pugi::xml_node theirs);

// Whether two subtrees are equal: the same names, values, attributes and children in order.
bool SameTree(pugi::xml_node a, pugi::xml_node b);

}  // namespace pelok

#endif  // PELOK_XMLDOC_DOCUMENT_MERGE_H_

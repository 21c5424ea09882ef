// The edits made to a document, as operations that replay on any other copy of the same tree.
//
// An element is named by its path from the document: a (name, place) pair per level, place
// counting the earlier siblings of the same name. The file's own copy of the tree (parsed again
// from its bytes, holding none of the document's handles) has the same elements in the same
// order, so a replay finds each edit's element there, and ends with the same tree that the
// edits left in the document: the store journal (xmldoc/store_journal.h) writes these
// operations instead of the whole file.
//
// The operations mirror the document's own edits exactly (xmldoc/xml_document_content.cpp):
//   A  parent path, after (a sibling's name and place, or none: appended), name — an element
//   T  element path, text — its text nodes replaced by one (none for the empty text)
//   V  element path, name, value — an attribute set (added at the end when new)
//   R  element path — the element removed with everything inside it
//   F  a content hash — a fold mark (the journal's, never replayed: xmldoc/store_journal.h)
// Numbers are LEB128 varints, strings a varint length and their bytes.
#ifndef PELOK_XMLDOC_EDIT_LOG_H_
#define PELOK_XMLDOC_EDIT_LOG_H_

#include <cstddef>
#include <pugixml.hpp>
#include <string>

#include "xmldoc/child_name_index.h"

namespace pelok {

class EditLog {
 public:
  // index: the document's, through which places are found without walking every sibling.
  explicit EditLog(ChildNameIndex* index) : index_(index) {}
  EditLog(const EditLog&) = delete;
  EditLog& operator=(const EditLog&) = delete;

  // element has just been inserted after the sibling element after (null: appended).
  void Added(pugi::xml_node element, pugi::xml_node after);
  void TextSet(pugi::xml_node element, const char* text);
  void AttributeSet(pugi::xml_node element, const char* name, const char* value);
  // element is about to be removed.
  void Removing(pugi::xml_node element);

  // An edit that no operation tells (or one that could not be recorded): from now on only the
  // whole document says what it is, until Clear.
  void Lose();
  bool lost() const { return lost_; }
  // Past this many bytes of operations the log is lost: a record that large would not go into
  // the journal anyway (the save writes the whole file), and a program that changes a large
  // store at length without saving would otherwise hold its every edit twice.
  void set_limit(size_t bytes) { limit_ = bytes; }
  const std::string& ops() const { return ops_; }
  void Clear();

 private:
  // Appends the path of element, or loses the log for want of memory.
  void AppendPath(std::string* out, pugi::xml_node element);
  template <class Write>
  void Record(Write write);

  ChildNameIndex* index_;
  std::string ops_;
  size_t limit_ = static_cast<size_t>(-1);
  bool lost_ = false;
};

// Replays ops (as EditLog writes them; fold marks are skipped) on document. index: that tree's
// index, kept up to date (may be the document's own). False when an operation does not fit the
// tree (its element is missing, the bytes are cut short): the operations before it stay applied.
// Throws std::bad_alloc.
bool ReplayEdits(pugi::xml_node document, ChildNameIndex* index, const char* ops, size_t size);

// The fold mark for a file whose content hashes to hash, and whether ops (one record) are one.
void AppendFoldMark(std::string* out, uint64_t size, uint64_t first, uint64_t second);
bool IsFoldMark(const char* ops, size_t size, uint64_t* hash_size, uint64_t* first,
                uint64_t* second);

}  // namespace pelok

#endif  // PELOK_XMLDOC_EDIT_LOG_H_

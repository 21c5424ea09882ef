// Reading and writing store files through a document component (id 1): the hierarchy of
// "processregister", in which a key is an element and a value is an element with the
// attributes "type" and "size" and its text.
#ifndef PELOK_TOOLS_STORE_DOCUMENT_H_
#define PELOK_TOOLS_STORE_DOCUMENT_H_

#include <string>
#include <vector>

#include "pelok/xml_document.h"

namespace pelok {
namespace tool {

// One element of a store file with everything below it.
struct StoreEntry {
  std::string name;
  bool is_value = false;  // it carries a "type" attribute
  int type = 0;
  int size = 0;      // what its "size" attribute says, which nothing is to rely on
  std::string text;  // a value's text as the file holds it
  std::vector<StoreEntry> children;
};

// A document component, released when the object goes.
class StoreDocument {
 public:
  explicit StoreDocument(IXmlDocument* document) : document_(document) {}
  StoreDocument(const StoreDocument&) = delete;
  StoreDocument& operator=(const StoreDocument&) = delete;
  ~StoreDocument();

  bool valid() const { return document_ != nullptr; }

  // Loads path and reads everything under "processregister" into *top. On failure *error
  // says what is wrong with the file.
  bool Read(const std::string& path, std::vector<StoreEntry>* top, std::string* error);
  // Replaces path by a store file holding entries under their parents' names (parents
  // without values of their own): "processregister", then parents[0], parents[1], ...
  // On failure path is left as it was and *reason says why, where the system told.
  bool Write(const std::string& path, const std::vector<std::string>& parents,
             const std::vector<StoreEntry>& entries, std::string* reason);

 private:
  bool ReadChildren(int depth, std::vector<StoreEntry>* children, std::string* error);
  bool ReadEntry(StoreEntry* entry, std::string* error);
  bool WriteEntry(const StoreEntry& entry);
  bool ReadText(std::string* text);
  bool ReadAttrib(const char* name, std::string* text);

  IXmlDocument* document_;
};

// The entry named by parts[first...] below entries (keys only along the way), or null.
// Where a part names a value, *value_in_path is set to the count of parts up to it.
const StoreEntry* FindKeyEntry(const std::vector<StoreEntry>& entries,
                               const std::vector<std::string>& parts, size_t* value_in_path);
// The first child of that name, as the store finds it (key or value), or null.
const StoreEntry* FindChild(const std::vector<StoreEntry>& entries, const std::string& name);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_STORE_DOCUMENT_H_

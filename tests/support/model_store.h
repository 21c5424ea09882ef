// The reference model of the persistent store: the store file's document as a tree of elements,
// and the store operations on it as the store is meant to work (key paths split at "/", the
// first child element of a name found in document order, values as elements with a "type" and a
// "size" attribute and their encoded text). Written from the store's documented behaviour, not
// from its code, so that the randomised test can hold the real store against it.
#ifndef PELOK_TESTS_MODEL_STORE_H_
#define PELOK_TESTS_MODEL_STORE_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pelok {
namespace model {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;  // all its text, without the children's
  std::vector<Element> children;

  bool operator==(const Element& other) const {
    return name == other.name && attributes == other.attributes && text == other.text &&
           children == other.children;
  }
  bool operator!=(const Element& other) const { return !(*this == other); }
};

// The document element of a new store file.
Element NewStoreDocument();

// The largest value size the store takes.
constexpr unsigned kMaxValueSize = 0x7FFFFFFEu / 2;

// The value text encodings as described for the store.
std::string FormatUnsigned(uint32_t value);
int32_t ParseInt(const std::string& text);
std::string HexEncode(const std::string& bytes);
// Decodes text into out (out_size bytes); false at a character that is not a hex digit.
bool HexDecode(const std::string& text, unsigned char* out, unsigned out_size, bool* refused);

// One store: the document held in memory and what it reads and changes. The caller keeps the
// copy last written to the file.
class StoreModel {
 public:
  // A store on a document (open: the document of a file) or on none (every walk fails).
  void Open(const Element& document) {
    document_ = document;
    open_ = true;
  }
  void Close() { open_ = false; }
  bool open() const { return open_; }
  const Element& document() const { return document_; }

  // Adds the missing elements of the key path; 1 when every part was found or added. The parts
  // before a refused one stay added.
  int CreateKeyPath(const std::string& key_path);
  int SetValue(const std::string& key_path, const char* name, int type, const void* data,
               unsigned size);
  // capacity is the caller's *size; data_written reports how many leading bytes of data the
  // description fixes on success (the rest of the buffer is left to the store).
  int QueryValue(const std::string& key_path, const char* name, int* type, void* data,
                 unsigned* size, unsigned* data_written);
  int HasValue(const std::string& key_path, const char* name);
  int DeleteValue(const std::string& key_path, const char* name);
  int DeleteKey(const std::string& key_path);
  // The name of the index-th child that carries a "type" attribute (from 1); 0 past the end or
  // when the name does not fit in len bytes.
  int GetValueName(const std::string& key_path, int index, char* buf, int len);
  // The first child element named name of the key's element, or null.
  const Element* FindValue(const std::string& key_path, const std::string& name);

 private:
  // The key's element, or null when a part is missing or the walk is refused.
  Element* Walk(const std::string& key_path);
  // The index of the first child element named name, or -1.
  static int FindChild(const Element& parent, const std::string& name);
  // A value is an element with a "type"; a value operation finds the first element of its name
  // and refuses it when it is a sub-key, and a key path refuses to enter a value.
  static bool IsValue(const Element& element);
  static int FindValueChild(const Element& parent, const std::string& name);

  Element document_;
  bool open_ = false;
};

// The parts of a key path by the store's split rule; false when a part has 260 characters or
// more.
bool SplitKeyPath(const std::string& key_path, std::vector<std::string>* parts);

// The tree of a store file as written (its document element), for comparing with the model;
// false when the file does not parse or has no "processregister" element.
bool ReadStoreFile(const std::string& path, Element* document, std::string* error);

// A description of the first difference between two trees, or "" when they are equal.
std::string DescribeDifference(const Element& expected, const Element& actual);

}  // namespace model
}  // namespace pelok

#endif  // PELOK_TESTS_MODEL_STORE_H_

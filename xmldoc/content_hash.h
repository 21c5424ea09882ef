// A fingerprint of a file's bytes, so that the content a document last matched can be told from
// any other without keeping a copy of it: the size and two 64-bit lanes of multiplicative
// mixing with different seeds, the second over rotated words. Not proof against a forger, but
// an accidental match of different contents is out of reach.
#ifndef PELOK_XMLDOC_CONTENT_HASH_H_
#define PELOK_XMLDOC_CONTENT_HASH_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace pelok {

struct ContentHash {
  uint64_t size = 0;
  uint64_t first = 0;
  uint64_t second = 0;

  bool operator==(const ContentHash& other) const {
    return size == other.size && first == other.first && second == other.second;
  }
  bool operator!=(const ContentHash& other) const { return !(*this == other); }
};

// Hashes bytes given in pieces; the pieces may be cut anywhere.
class ContentHasher {
 public:
  void Add(const char* bytes, size_t size);
  ContentHash Finish() const;

 private:
  void AddWord(uint64_t word);

  uint64_t size_ = 0;
  uint64_t first_ = 0x9e3779b97f4a7c15ULL;
  uint64_t second_ = 0x6a09e667f3bcc909ULL;
  // Bytes of an unfinished 8-byte word.
  unsigned char pending_[8] = {};
  size_t pending_size_ = 0;
};

ContentHash HashContent(const char* bytes, size_t size);
inline ContentHash HashContent(const std::string& bytes) {
  return HashContent(bytes.data(), bytes.size());
}

}  // namespace pelok

#endif  // PELOK_XMLDOC_CONTENT_HASH_H_

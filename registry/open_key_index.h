// The bookkeeping shared by the three key tables: the path and the value set of every open key
// of one kind, and the handles issued for them.
#ifndef PELOK_REGISTRY_OPEN_KEY_INDEX_H_
#define PELOK_REGISTRY_OPEN_KEY_INDEX_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "registry/registry_interfaces.h"

namespace pelok {

class OpenKeyIndex {
 public:
  // tag: the kind in bits 31-30 of every handle issued.
  explicit OpenKeyIndex(uint32_t tag) : tag_(tag) {}
  OpenKeyIndex(const OpenKeyIndex&) = delete;
  OpenKeyIndex& operator=(const OpenKeyIndex&) = delete;

  // Files values under a new handle and the path (lower-cased; a path of 260 characters or more
  // is filed as ""). A path added again names the new handle from then on; the older handle
  // stays open. 0 for a null path or value set, or when memory runs out.
  uint32_t Add(const char* key_path, IKeyValues* values);
  // The oldest open key: resets the cursor; null on an empty index (*out_key untouched).
  IKeyValues* First(uint32_t* out_key);
  // The key at the cursor position in handle order, without moving the cursor; null and handle
  // 0 when there is none, and then the cursor moves one past a cursor equal to the count.
  IKeyValues* Next(uint32_t* out_key);
  // The value set of an open handle, or null.
  IKeyValues* Find(uint32_t key) const;
  // Drops the path entry that names key, if any.
  void ForgetPath(uint32_t key);
  // Takes key out; its value set, or null when it was not open.
  IKeyValues* Take(uint32_t key);
  // The handle that path names, or 0 (no lower-casing here).
  uint32_t FindPath(const char* key_path) const;
  // Copies the index-th path (in byte order) that begins with prefix; 0 when there is none or
  // it does not fit.
  int CopyPathWithPrefix(const char* prefix, int index, char* buf, int len) const;
  // The value set of the smallest handle, or null.
  IKeyValues* Oldest() const;

  // For tests: continues as if count handles had been issued.
  void SetIssuedCount(uint32_t count) { counter_ = count; }

 private:
  uint32_t IssueHandle();

  const uint32_t tag_;
  std::map<std::string, uint32_t, std::less<>> paths_;
  std::map<uint32_t, IKeyValues*> keys_;
  int cursor_ = 0;
  uint32_t counter_ = 0;
};

}  // namespace pelok

#endif  // PELOK_REGISTRY_OPEN_KEY_INDEX_H_

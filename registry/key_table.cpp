#include "registry/key_table.h"

#include "util/bounded_string.h"

namespace pelok {

int CopyKeyName(const OpenKeyIndex& keys, uint32_t key, char* buf, int len) {
  const char* const root = RootName(key);
  if (root != nullptr && CopyText(buf, len, root) != 0) return 1;
  IKeyValues* const values = keys.Find(key);
  return values != nullptr ? values->GetKeyPath(buf, len) : 0;
}

int CopyKeyBelow(const OpenKeyIndex& keys, const char* parent_name, int index, char* buf, int len) {
  char prefix[kPathBufferSize] = {};
  CopyText(prefix, kPathBufferSize, parent_name);
  // A name of 259 characters has no room for the separator; it is then the prefix alone.
  AppendText(prefix, kPathBufferSize, kKeySeparator);
  return keys.CopyPathWithPrefix(prefix, index, buf, len);
}

int KeyTable1::Flush() {
  auto guard = Guard();
  return 1;
}

}  // namespace pelok

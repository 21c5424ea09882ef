// How the store cuts a key path ("share/app/net") into the names of nested elements, and which
// names it may write as new elements.
#ifndef PELOK_STORE_KEY_PATH_H_
#define PELOK_STORE_KEY_PATH_H_

#include <cstddef>

#include "pelok/component.h"

namespace pelok {

enum class KeyPathStep {
  kPart,     // part holds the next element name
  kEnd,      // the whole path has been read
  kTooLong,  // the next part has 260 characters or more: the path cannot be walked
};

// Reads the part of key_path that starts at *cursor into part and moves *cursor past it and
// the "/" after it. A part ends at the next "/" unless that "/" stands at the cursor itself;
// then the whole rest (beginning with "/") is one part. So a trailing "/" is ignored and an
// empty key path has no parts at all (it names the document element).
KeyPathStep NextKeyPathPart(const char* key_path, size_t* cursor, char (&part)[kPathBufferSize]);

// Calls enter(part) for each part of key_path in turn, stopping at the first that returns
// false. True when every part was entered; false for a part of 260 characters or more.
template <typename Enter>
bool ForEachKeyPathPart(const char* key_path, Enter enter) {
  size_t cursor = 0;
  char part[kPathBufferSize];
  for (;;) {
    switch (NextKeyPathPart(key_path, &cursor, part)) {
      case KeyPathStep::kEnd:
        return true;
      case KeyPathStep::kTooLong:
        return false;
      case KeyPathStep::kPart:
        if (!enter(static_cast<const char*>(part))) return false;
        break;
    }
  }
}

}  // namespace pelok

#endif  // PELOK_STORE_KEY_PATH_H_

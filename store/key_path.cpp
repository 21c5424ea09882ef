#include "store/key_path.h"

#include <cstring>

namespace pelok {

KeyPathStep NextKeyPathPart(const char* key_path, size_t* cursor, char (&part)[kPathBufferSize]) {
  part[0] = 0;
  if (key_path == nullptr || cursor == nullptr) return KeyPathStep::kEnd;
  const size_t length = std::strlen(key_path);
  // The cursor steps one past the "/" after each part, so it may stand past the end.
  if (*cursor >= length) return KeyPathStep::kEnd;

  const char* start = key_path + *cursor;
  const char* slash = std::strchr(start, '/');
  size_t part_length;
  if (slash != nullptr && slash != start &&
      static_cast<size_t>(slash - start) < static_cast<size_t>(kPathBufferSize)) {
    part_length = static_cast<size_t>(slash - start);
  } else {
    part_length = length - *cursor;
    if (part_length >= static_cast<size_t>(kPathBufferSize)) return KeyPathStep::kTooLong;
  }
  std::memcpy(part, start, part_length);
  part[part_length] = 0;
  *cursor += part_length + 1;
  return KeyPathStep::kPart;
}

}  // namespace pelok

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

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsNameStart(unsigned char c) { return IsAsciiLetter(c) || c == '_' || c == ':' || c > 127; }

bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

}  // namespace

int IsStorableName(const char* name) {
  if (name == nullptr || !IsNameStart(static_cast<unsigned char>(name[0]))) return 0;
  for (const char* c = name + 1; *c != 0; ++c) {
    if (!IsNameChar(static_cast<unsigned char>(*c))) return 0;
  }
  return 1;
}

}  // namespace pelok

#include "platform/posix/posix_path.h"

#include <cstring>

namespace pelok {
namespace posix {

PosixPath::PosixPath(const char* path) : PosixPath(path, path == nullptr ? 0 : std::strlen(path)) {}

PosixPath::PosixPath(const char* path, size_t length) {
  text_[0] = '\0';
  if (path == nullptr || length >= sizeof(text_)) return;
  for (size_t i = 0; i < length; ++i) text_[i] = path[i] == '\\' ? '/' : path[i];
  text_[length] = '\0';
  ok_ = true;
}

}  // namespace posix
}  // namespace pelok

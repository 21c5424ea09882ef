// A path as the file system takes it: every backslash turned into a slash, so that the modules
// may build paths with "\\" on every system. Held in a fixed buffer, so converting never
// allocates.
#ifndef PELOK_PLATFORM_POSIX_POSIX_PATH_H_
#define PELOK_PLATFORM_POSIX_POSIX_PATH_H_

#include <climits>
#include <cstddef>

namespace pelok {
namespace posix {

class PosixPath {
 public:
  // The whole of path.
  explicit PosixPath(const char* path);
  // The first length characters of path.
  PosixPath(const char* path, size_t length);

  // False for a null path or one longer than the system takes (PATH_MAX).
  bool ok() const { return ok_; }
  const char* c_str() const { return text_; }

 private:
  char text_[PATH_MAX];
  bool ok_ = false;
};

}  // namespace posix
}  // namespace pelok

#endif  // PELOK_PLATFORM_POSIX_POSIX_PATH_H_

// The Windows attributes a POSIX file's mode stands for.
#ifndef PELOK_PLATFORM_POSIX_POSIX_ATTRIBUTES_H_
#define PELOK_PLATFORM_POSIX_POSIX_ATTRIBUTES_H_

#include <sys/stat.h>

#include "platform/posix_win32.h"

namespace pelok {
namespace posix {

// A directory, and read-only where the owner may not write (what the owner may do is what a
// Windows program asks about); FILE_ATTRIBUTE_NORMAL for a plain file without either.
inline DWORD FileAttributesOf(mode_t mode) {
  DWORD attributes = 0;
  if (S_ISDIR(mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace posix
}  // namespace pelok

#endif  // PELOK_PLATFORM_POSIX_POSIX_ATTRIBUTES_H_

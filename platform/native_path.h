// Paths shown to a person, with the separator of the system they run on. The modules build
// paths with backslashes on every system (the POSIX layer turns them into slashes when it
// hands a path to the file system); a message should show the path the user would type.
#ifndef PELOK_PLATFORM_NATIVE_PATH_H_
#define PELOK_PLATFORM_NATIVE_PATH_H_

#include <algorithm>
#include <string>

#include "pelok/path_name.h"

namespace pelok {

constexpr char kNativeSeparator = kNameSeparator;
constexpr char kForeignSeparator = kNameSeparator == '/' ? '\\' : '/';

// The separators in this system's own file names (a module's file name, the current directory):
// Windows gives backslashes only; elsewhere "/" separates, and the modules' own names may hold
// backslashes too.
#if defined(_WIN32)
constexpr const char* kFileNameSeparators = "\\";
#else
constexpr const char* kFileNameSeparators = "\\/";
#endif

inline std::string NativeSeparators(std::string path) {
  std::replace(path.begin(), path.end(), kForeignSeparator, kNativeSeparator);
  return path;
}

}  // namespace pelok

#endif  // PELOK_PLATFORM_NATIVE_PATH_H_

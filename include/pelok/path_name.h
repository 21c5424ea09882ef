// Which file names the registry takes as they stand, and which it joins to a directory first
// (a store file name to the root directory, a name in the DLL registry file to that file's
// directory). Host programs that turn a name into an absolute one follow the same rule, so that
// what they pass on is never joined twice. Names may use "\\" on every system.
#ifndef PELOK_PATH_NAME_H_
#define PELOK_PATH_NAME_H_

#include <cstring>
#include <string>

namespace pelok {

// Whether "/" starts an absolute name. On Windows "/name" is on the current drive, so it is
// taken relative like any name without a drive; elsewhere it is the only way to name a file
// outside the directory, and joining it would name another file.
// kNameSeparator: the separator of this system's own file names.
#if defined(_WIN32)
constexpr bool kSlashStartsAbsoluteName = false;
constexpr char kNameSeparator = '\\';
#else
constexpr bool kSlashStartsAbsoluteName = true;
constexpr char kNameSeparator = '/';
#endif

// True for a name with a ':' anywhere (a drive) or a leading backslash, and, where a slash
// starts an absolute name, a leading slash. False for null and for the empty name.
inline bool IsAbsolutePathName(const char* name) {
  if (name == nullptr) return false;
  if (std::strchr(name, ':') != nullptr || name[0] == '\\') return true;
  return kSlashStartsAbsoluteName && name[0] == '/';
}
inline bool IsAbsolutePathName(const std::string& name) {
  return IsAbsolutePathName(name.c_str());
}

// The directory of path with its last separator ("/" or "\\", whichever comes last); "" for a
// name without one.
inline std::string DirectoryOfPathName(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace pelok

#endif  // PELOK_PATH_NAME_H_

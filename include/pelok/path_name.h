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
#if defined(_WIN32)
constexpr bool kSlashStartsAbsoluteName = false;
#else
constexpr bool kSlashStartsAbsoluteName = true;
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

}  // namespace pelok

#endif  // PELOK_PATH_NAME_H_

// Path joins used to find the DLL registry file and the factory module; which names are
// absolute is pelok/path_name.h. Paths may use "\\" on every system; the POSIX layer turns it
// into "/" at the file system.
#ifndef PELOK_UTIL_PATH_H_
#define PELOK_UTIL_PATH_H_

#include <string>

namespace pelok {

// The key under which two spellings of one file meet, as Windows compares file names: ASCII
// letters lower-cased and every "/" a backslash. Null gives "".
std::string FileNameKey(const char* path);
inline std::string FileNameKey(const std::string& path) { return FileNameKey(path.c_str()); }

// The last backslash; if none, the last forward slash; else null. On POSIX, where "/"
// separates too, the later of the two.
const char* LastSeparator(const char* path);
// The directory of base (with its separator; base and a backslash when it has none), then rel.
// Steps that do not fit are skipped.
int JoinRelative(const char* base, const char* rel, char* out, int out_size);
// name alone when dir is blank, else dir, a backslash and name.
void JoinPath(const char* dir, const char* name, char* out, int out_size);
// The executable's directory, without its trailing separator, cached on first use. The file
// name is cut at its last backslash (on POSIX: its last slash or backslash).
const char* ExeDirectory();
// ExeDirectory(), a backslash and name; at most buf_size - 2 characters.
int ExeDirJoin(const char* name, char* buf, int buf_size);

}  // namespace pelok

#endif  // PELOK_UTIL_PATH_H_

// The store's path helper: turns store file names into absolute paths against the root
// directory, tests for files and directories, creates the directory of a new store file and
// deletes files. Paths live in 260-byte buffers (at most 259 characters). Every function
// returns 0 for null, empty or over-long input and changes nothing outside its output buffer.
//
// Which names are absolute is pelok/path_name.h; any other name is relative to the root
// directory.
#ifndef PELOK_STORE_ROOT_PATH_H_
#define PELOK_STORE_ROOT_PATH_H_

namespace pelok {

// The root directory for relative store file names, without a trailing separator; never
// null. It is the registry's text value "pelok_rootpath_data" of the key "pelok_rootpath"
// under the root "user" (kind 1) as it stands at the first call, else the executable's
// directory. Either answer is kept for the life of the module, except an empty one.
const char* GetRootPath();

// The absolute form of name in out: an absolute name unchanged, a relative one after the
// root directory and a backslash. 0 when it does not fit in out_size bytes.
int ResolvePath(const char* name, char* out, int out_size);
// The root directory, a backslash and name; 0 (out emptied) when that does not fit.
int RootJoin(const char* name, char* out, int out_size);

// 1 when the resolved path exists; with allow_directory 0 a directory does not count.
int FileExists(const char* name, int allow_directory);
// 1 when the resolved path exists, file or directory.
int PathExists(const char* path);
// Deletes the file, first clearing its read-only attribute; 1 when it was deleted.
int DeleteStoreFile(const char* name);

// Creates the directory that would hold path (one level only); 1 when it exists afterwards.
int CreateParentDirectory(const char* path);
// Creates dir unless it exists; its parent must exist.
int CreateDirectoryIfMissing(const char* dir);
// 0 when path is null or holds any of < > " | * ?.
int HasNoInvalidChars(const char* path);
// The resolved path up to its last separator: the last backslash, or a "/" after it (or
// anywhere, without a backslash). 0 when there is none, it comes first, or out is too small.
int DirectoryPart(const char* path, char* out, int out_size);

}  // namespace pelok

#endif  // PELOK_STORE_ROOT_PATH_H_

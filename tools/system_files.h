// What pelreg asks of the operating system about files, in its own words. pelreg is a host
// program like any other: it reaches the system only through this header, never through the
// registry's own platform layer. One implementation per system, chosen by the build:
// system_files_posix.cpp and system_files_windows.cpp.
//
// Paths are named as the registry names a store file: a backslash separates their parts on
// every system. Where an operation fails, *reason (where it has one) is the system's reason in
// words ("permission denied", "no space left on the device", "no such directory").
#ifndef PELOK_TOOLS_SYSTEM_FILES_H_
#define PELOK_TOOLS_SYSTEM_FILES_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace pelok {
namespace tool {

// A file stands at path, following links: a regular file, not a directory nor a special file.
bool IsFile(const std::string& path);
// Something stands at path, following links, that is neither a file nor a directory: a FIFO, a
// device, a socket. Found without opening it where opening could wait (POSIX), without reading.
bool IsSpecialFile(const std::string& path);
// A directory stands at path, following links.
bool IsDirectory(const std::string& path);
// Something stands at path and carries the read-only mark (on POSIX: its owner may not write
// it, which pelreg treats as the mark whoever runs it).
bool IsReadOnly(const std::string& path);
// Takes the read-only mark off whatever stands at path; false when the system refused.
bool ClearReadOnly(const std::string& path);

enum class NewFile {
  kCreated,  // path is a new empty file of pelreg's own
  kTaken,    // something already stands at path (a link too, which is never followed)
  kFailed,   // the system refused for another reason, in *reason
};

// Creates path as a new empty file, exclusively: nothing that stands there is opened,
// truncated or followed.
NewFile CreateNewFile(const std::string& path, std::string* reason);

// An existing file written from its start; it holds nothing but what is written through this
// object. The file is closed when the object goes.
class FileWriter {
 public:
  FileWriter() = default;
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;
  ~FileWriter();

  // Opens the file at path for writing and empties it. A link at path is not followed; a
  // directory or a read-only file is refused.
  bool Open(const std::string& path, std::string* reason);
  // Writes all size bytes at data after what was written before. A write the system cuts short
  // without a reason is a full disk.
  bool Write(const void* data, size_t size, std::string* reason);
  // Returns once what was written is on the disk.
  bool Sync(std::string* reason);

 private:
  intptr_t handle_ = -1;  // the system's handle or descriptor; -1 while none is open
};

// Puts the file from in the place of to in one step, replacing the file that stood there, and
// returns once the change is on the disk. A read-only to is refused on Windows. (Not called
// ReplaceFile: <windows.h> makes that name a macro.)
bool MoveOver(const std::string& from, const std::string& to, std::string* reason);

// Removes the file at path. A directory or a read-only file stays, as Windows keeps them, on
// every system; so does anything the system refuses to remove.
void RemoveFile(const std::string& path);

// The id of this process.
uint32_t ProcessId();

// Whether c begins a two-byte character of the system's code page (Windows' ANSI code page;
// never on POSIX, where names are UTF-8).
bool IsCodePageLeadByte(unsigned char c);

// Whether the system takes two names that differ only in the case of their letters for one file.
extern const bool kFileNamesIgnoreCase;

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_SYSTEM_FILES_H_

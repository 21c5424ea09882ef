// The text of INI files, kept between reads as long as the file certainly has not changed.
//
// Every read still looks at the file (one stat): a text is given from memory only while the
// file's device, inode, size, modification and change times are those it had when the text was
// read, and only when that read came after the file's last change by more than the time stamps'
// granularity. A file changed within the granularity of its last read could change again
// without its stamps showing it, so such a file is read afresh on every call. An edit is
// therefore seen at once, as when every call reads the file.
#ifndef PELOK_PLATFORM_POSIX_INI_FILE_CACHE_H_
#define PELOK_PLATFORM_POSIX_INI_FILE_CACHE_H_

#include <memory>
#include <string>

namespace pelok {
namespace posix {

// The whole text of the file at path (slashes already in place), or null when it cannot be
// opened or read (then it counts as missing). Throws std::bad_alloc when out of memory.
std::shared_ptr<const std::string> ReadIniFile(const char* path);

}  // namespace posix
}  // namespace pelok

#endif  // PELOK_PLATFORM_POSIX_INI_FILE_CACHE_H_

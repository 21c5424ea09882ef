// Why the system refused: the words pelreg adds to a failure line ("permission denied", "no
// space left on the device", "it is a directory").
#ifndef PELOK_TOOLS_FAILURE_REASON_H_
#define PELOK_TOOLS_FAILURE_REASON_H_

#include <cstddef>
#include <string>

namespace pelok {
namespace tool {

// The reason for an errno value of the C library.
std::string LibraryReason(int error);

// The registry tells only that it failed. This finds out why a file at path cannot be written
// by trying what its writing takes: path is not a directory nor read-only, a file can be
// created beside it and take bytes bytes. Empty when everything of that works.
std::string WhyNotWritable(const std::string& path, size_t bytes);

// ": reason", or "" when reason is empty: the tail of a failure line.
std::string Because(const std::string& reason);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_FAILURE_REASON_H_

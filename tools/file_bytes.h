// Whole files read and written by pelreg itself; "-" names standard input or output.
#ifndef PELOK_TOOLS_FILE_BYTES_H_
#define PELOK_TOOLS_FILE_BYTES_H_

#include <cstddef>
#include <string>

namespace pelok {
namespace tool {

// The most pelreg reads of one file: a value of this size already fills a store of gigabytes.
constexpr size_t kMaxFileBytes = size_t{1} << 28;

// Reads the file name ("-": standard input, unchanged bytes) whole into *bytes. On failure
// *reason says why.
bool ReadFileBytes(const std::string& name, std::string* bytes, std::string* reason);

// Writes bytes to the existing file path from its start, replacing what it held.
bool WriteFileBytes(const std::string& path, const std::string& bytes, std::string* reason);

// Writes bytes to standard output, unchanged.
bool WriteStandardOutput(const std::string& bytes, std::string* reason);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_FILE_BYTES_H_

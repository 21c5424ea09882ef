// Files as the user names them: relative to the current directory.
#ifndef PELOK_TOOLS_WORK_DIRECTORY_H_
#define PELOK_TOOLS_WORK_DIRECTORY_H_

#include <string>

namespace pelok {
namespace tool {

// The current directory, without a trailing separator; empty when it cannot be read.
std::string CurrentDirectory();
// name as it is when it is absolute (as the registry decides for a store file name), else the
// current directory, the system's separator and name.
std::string AbsoluteName(const std::string& name);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_WORK_DIRECTORY_H_

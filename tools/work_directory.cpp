#include "tools/work_directory.h"

#include <filesystem>
#include <system_error>

namespace pelok {
namespace tool {

namespace {

#if defined(_WIN32)
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// The registry's own rule for a store file name: a drive or a leading backslash, and on POSIX
// a leading slash, make it absolute; anything else goes below the root directory.
bool IsAbsoluteName(const std::string& name) {
  if (name.find(':') != std::string::npos || (!name.empty() && name[0] == '\\')) return true;
  return kSeparator == '/' && !name.empty() && name[0] == '/';
}

}  // namespace

std::string CurrentDirectory() {
  std::error_code error;
  std::string directory = std::filesystem::current_path(error).string();
  if (error) return "";
  // A root directory keeps its separator; nothing else has one at the end.
  while (directory.size() > 1 && (directory.back() == '/' || directory.back() == '\\')) {
    directory.pop_back();
  }
  return directory;
}

std::string AbsoluteName(const std::string& name) {
  if (IsAbsoluteName(name)) return name;
  std::string directory = CurrentDirectory();
  if (!directory.empty() && directory.back() != kSeparator) directory += kSeparator;
  return directory + name;
}

}  // namespace tool
}  // namespace pelok

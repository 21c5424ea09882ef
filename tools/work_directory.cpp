#include "tools/work_directory.h"

#include <filesystem>
#include <system_error>

#include "pelok/path_name.h"

namespace pelok {
namespace tool {

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
  // The registry's own rule: a name it takes as it stands is passed on as it stands.
  if (IsAbsolutePathName(name)) return name;
  std::string directory = CurrentDirectory();
  if (!directory.empty() && directory.back() != kNameSeparator) directory += kNameSeparator;
  return directory + name;
}

}  // namespace tool
}  // namespace pelok

// Temporary files of pelreg's own. Each is created exclusively under a name nobody can guess,
// so that neither an existing file nor a link planted at a predictable name is ever truncated
// or followed.
#ifndef PELOK_TOOLS_TEMP_FILE_H_
#define PELOK_TOOLS_TEMP_FILE_H_

#include <string>

namespace pelok {
namespace tool {

// A new empty file beside path ("path.pelreg-" and random hexadecimal digits, or a shorter name
// in the same directory where that would pass 259 characters): *temp names it. On failure
// *reason says why the system refused.
bool CreateTempBeside(const std::string& path, std::string* temp, std::string* reason);

// The same in the system's directory for temporary files.
bool CreateTempFile(std::string* temp, std::string* reason);

// Removes the file when the object goes, unless it was kept.
class TempFileGuard {
 public:
  explicit TempFileGuard(std::string path = "") : path_(std::move(path)) {}
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  ~TempFileGuard();
  void Reset(const std::string& path) { path_ = path; }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_TEMP_FILE_H_

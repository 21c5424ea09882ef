// A fresh directory for one test, removed with everything in it when the object goes.
#ifndef PELOK_TESTS_SUPPORT_TEMP_DIR_H_
#define PELOK_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>

namespace pelok {
namespace test {

class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::string& path() const { return path_; }
  // path() joined with name, with the system's separator.
  std::string Join(const std::string& name) const;

 private:
  std::string path_;
};

// Whole-file helpers for test fixtures.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool FileExistsAt(const std::string& path);

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_TEMP_DIR_H_

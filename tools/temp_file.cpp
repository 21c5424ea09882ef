#include "tools/temp_file.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>

#include "pelok/component.h"
#include "pelok/path_name.h"
#include "tools/system_files.h"
#include "tools/work_directory.h"

namespace pelok {
namespace tool {

namespace {

constexpr int kAttempts = 16;

std::string RandomDigits() {
  static std::mt19937_64 generator = [] {
    std::random_device device;
    std::seed_seq seed{
        device(), device(), device(),
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()),
        static_cast<unsigned>(ProcessId())};
    return std::mt19937_64(seed);
  }();
  static const char kDigits[] = "0123456789abcdef";
  const uint64_t bits = generator();
  std::string digits;
  for (int i = 0; i < 16; ++i) digits += kDigits[(bits >> (4 * i)) & 15];
  return digits;
}

bool CreateWith(std::string (*name)(const std::string&), const std::string& base, std::string* temp,
                std::string* reason) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string candidate = name(base);
    switch (CreateNewFile(candidate, reason)) {
      case NewFile::kCreated:
        *temp = candidate;
        return true;
      case NewFile::kTaken:
        continue;
      case NewFile::kFailed:
        return false;
    }
  }
  *reason = "no free temporary name";
  return false;
}

std::string BesideName(const std::string& path) {
  const std::string name = path + ".pelreg-" + RandomDigits();
  if (name.size() < static_cast<size_t>(kPathBufferSize)) return name;
  return DirectoryOfPathName(path) + "~" + RandomDigits().substr(0, 8);
}

std::string InDirectoryName(const std::string& directory) {
  return directory + "pelreg-" + RandomDigits() + ".tmp";
}

}  // namespace

bool CreateTempBeside(const std::string& path, std::string* temp, std::string* reason) {
  return CreateWith(BesideName, path, temp, reason);
}

bool CreateTempFile(std::string* temp, std::string* reason) {
  std::error_code error;
  std::string directory = std::filesystem::temp_directory_path(error).string();
  if (error || directory.empty()) directory = CurrentDirectory();
  if (directory.back() != '/' && directory.back() != '\\') directory += '/';
  return CreateWith(InDirectoryName, directory, temp, reason);
}

TempFileGuard::~TempFileGuard() {
  if (!path_.empty()) RemoveFile(path_);
}

}  // namespace tool
}  // namespace pelok

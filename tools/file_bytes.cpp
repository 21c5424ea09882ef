#include "tools/file_bytes.h"

#include <cerrno>
#include <cstdio>

#include "tools/console.h"
#include "tools/failure_reason.h"
#include "tools/system_files.h"

namespace pelok {
namespace tool {

namespace {

bool ReadStream(std::FILE* stream, std::string* bytes, std::string* reason) {
  char buffer[64 * 1024];
  for (;;) {
    const size_t got = std::fread(buffer, 1, sizeof(buffer), stream);
    bytes->append(buffer, got);
    if (bytes->size() > kMaxFileBytes) {
      *reason = "it is larger than " + std::to_string(kMaxFileBytes) + " bytes";
      return false;
    }
    if (got < sizeof(buffer)) break;
  }
  if (std::ferror(stream)) {
    *reason = LibraryReason(errno);
    return false;
  }
  return true;
}

}  // namespace

bool ReadFileBytes(const std::string& name, std::string* bytes, std::string* reason) {
  bytes->clear();
  if (name == "-") {
    UseBinary(stdin);
    return ReadStream(stdin, bytes, reason);
  }
  if (IsDirectory(name)) {
    *reason = "it is a directory";
    return false;
  }
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    *reason = LibraryReason(errno);
    return false;
  }
  const bool read = ReadStream(file, bytes, reason);
  std::fclose(file);
  return read;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes, std::string* reason) {
  FileWriter file;
  return file.Open(path, reason) && file.Write(bytes.data(), bytes.size(), reason) &&
         file.Sync(reason);
}

bool WriteStandardOutput(const std::string& bytes, std::string* reason) {
  std::fflush(stdout);
  UseBinary(stdout);
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
      std::fflush(stdout) != 0) {
    *reason = LibraryReason(errno);
    return false;
  }
  return true;
}

}  // namespace tool
}  // namespace pelok

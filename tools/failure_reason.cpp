#include "tools/failure_reason.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/system_files.h"
#include "tools/temp_file.h"

namespace pelok {
namespace tool {

namespace {

constexpr size_t kProbeChunk = 64 * 1024;

}  // namespace

std::string LibraryReason(int error) {
  switch (error) {
    case ENOENT:
      return "no such file";
    case EACCES:
    case EPERM:
      return "permission denied";
    case EISDIR:
      return "it is a directory";
    case ENOSPC:
      return "no space left on the device";
    case EFBIG:
      return "the file would be too large";
    case EPIPE:
      return "the reader closed the pipe";
    default:
      return std::strerror(error);
  }
}

std::string WhyNotWritable(const std::string& path, size_t bytes) {
  if (IsDirectory(path)) return "it is a directory";
  if (IsReadOnly(path)) return "permission denied (the file is read-only)";
  std::string probe;
  std::string reason;
  if (!CreateTempBeside(path, &probe, &reason)) return reason;
  TempFileGuard remove(probe);
  FileWriter file;
  if (!file.Open(probe, &reason)) return reason;
  const std::vector<char> zeros(kProbeChunk, 0);
  for (size_t left = bytes; left > 0;) {
    const size_t chunk = left < kProbeChunk ? left : kProbeChunk;
    if (!file.Write(zeros.data(), chunk, &reason)) return reason;
    left -= chunk;
  }
  return "";
}

std::string Because(const std::string& reason) { return reason.empty() ? "" : ": " + reason; }

}  // namespace tool
}  // namespace pelok

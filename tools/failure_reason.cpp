#include "tools/failure_reason.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/win32_api.h"
#include "tools/temp_file.h"
#include "tools/work_directory.h"

namespace pelok {
namespace tool {

namespace {

// Codes of the Win32 numbering, spelled out: the POSIX layer defines only those it gives.
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kTooManyOpenFiles = 4;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kWriteProtect = 19;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kLockViolation = 33;
constexpr uint32_t kHandleDiskFull = 39;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kFilenameTooLong = 206;
constexpr uint32_t kFileTooLarge = 223;
constexpr uint32_t kDirectory = 267;

constexpr size_t kProbeChunk = 64 * 1024;

}  // namespace

std::string SystemReason(uint32_t code) {
  switch (code) {
    case kFileNotFound:
      return "no such file";
    case kPathNotFound:
      return "no such directory";
    case kTooManyOpenFiles:
      return "too many open files";
    case kAccessDenied:
      return "permission denied";
    case kNotEnoughMemory:
      return "not enough memory";
    case kWriteProtect:
      return "the medium is write-protected";
    case kSharingViolation:
    case kLockViolation:
      return "the file is in use by another program";
    case kHandleDiskFull:
    case kDiskFull:
      return "no space left on the device";
    case kFilenameTooLong:
      return "the name is too long";
    case kFileTooLarge:
      return "the file would be too large";
    case kDirectory:
      return "it is a directory";
    default:
      return "system error " + std::to_string(code);
  }
}

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
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return "permission denied (the file is read-only)";
  }
  std::string probe;
  std::string reason;
  if (!CreateTempBeside(path, &probe, &reason)) return reason;
  TempFileGuard remove(probe);
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return SystemReason(GetLastError());
  const std::vector<char> zeros(kProbeChunk, 0);
  for (size_t left = bytes; left > 0 && reason.empty();) {
    const DWORD chunk = static_cast<DWORD>(left < kProbeChunk ? left : kProbeChunk);
    DWORD written = 0;
    if (!WriteFile(file, zeros.data(), chunk, &written, nullptr) || written != chunk) {
      const DWORD error = GetLastError();
      // A short write without an error is a full disk on every system.
      reason = SystemReason(error == 0 ? kDiskFull : error);
    }
    left -= chunk;
  }
  CloseHandle(file);
  return reason;
}

std::string Because(const std::string& reason) { return reason.empty() ? "" : ": " + reason; }

}  // namespace tool
}  // namespace pelok

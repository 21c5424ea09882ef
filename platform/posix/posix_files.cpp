// File handles: a handle is the file descriptor itself. The descriptor 0 is never handed out,
// so that a null handle is as invalid as INVALID_HANDLE_VALUE.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>

#include "platform/posix/posix_attributes.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_path.h"
#include "platform/posix/posix_syscalls.h"
#include "platform/file_information.h"
#include "platform/posix_win32.h"

using pelok::posix::Fail;
using pelok::posix::FailFromErrno;

namespace {

HANDLE HandleFromFd(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd)); }

// The descriptor of a handle, or -1 for the invalid and the null handle.
int FdFromHandle(HANDLE handle) {
  const intptr_t value = reinterpret_cast<intptr_t>(handle);
  return value > 0 && value <= INT_MAX ? static_cast<int>(value) : -1;
}

// A read or write refused with EBADF on an open descriptor means the handle lacks that access.
BOOL FailIo(int fd, DWORD io_fault) {
  if (errno == EBADF && fcntl(fd, F_GETFD) != -1) return Fail(ERROR_ACCESS_DENIED);
  if (errno == EIO) return Fail(io_fault);
  return FailFromErrno();
}

// The file was found; refuse what Windows refuses on an existing file (a directory, writing to a
// read-only file), then truncate if asked. It was opened without waiting (O_NONBLOCK), which a
// FIFO or a device would otherwise do; a regular file reads and writes as usual again, anything
// else keeps answering at once. Closes fd on failure.
bool PrepareExisting(int fd, bool write, bool truncate) {
  struct stat info;
  if (pelok::posix::SysFstat(fd, &info) != 0) {
    FailFromErrno();
  } else if (S_ISDIR(info.st_mode) || ((write || truncate) && !(info.st_mode & S_IWUSR))) {
    Fail(ERROR_ACCESS_DENIED);
  } else if (truncate && S_ISREG(info.st_mode) && pelok::posix::SysFtruncate(fd, 0) != 0) {
    FailFromErrno();
  } else if (S_ISREG(info.st_mode) && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    FailFromErrno();
  } else {
    return true;
  }
  pelok::posix::SysClose(fd);
  return false;
}

// Moves a descriptor off 0 (possible when standard input is closed).
int AvoidZero(int fd) {
  if (fd != 0) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
  const int saved = errno;
  pelok::posix::SysClose(fd);
  errno = saved;
  return moved;
}

}  // namespace

HANDLE CreateFileA(const char* path, DWORD access, DWORD /*share*/,
                   SECURITY_ATTRIBUTES* /*security*/, DWORD disposition, DWORD attributes,
                   HANDLE /*template_file*/) {
  const pelok::posix::PosixPath file(path);
  if (!file.ok()) {
    Fail(path == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILENAME_EXCED_RANGE);
    return INVALID_HANDLE_VALUE;
  }
  const bool read = (access & GENERIC_READ) != 0;
  const bool write = (access & GENERIC_WRITE) != 0;
  bool may_create = false;
  bool truncate = false;
  switch (disposition) {
    case CREATE_NEW:
    case OPEN_ALWAYS:
      may_create = true;
      break;
    case CREATE_ALWAYS:
      may_create = truncate = true;
      break;
    case OPEN_EXISTING:
      break;
    case TRUNCATE_EXISTING:
      truncate = true;
      if (!write) {
        Fail(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      break;
    default:
      Fail(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  const int flags = O_CLOEXEC |
                    (read && write ? O_RDWR
                     : write       ? O_WRONLY
                                   : O_RDONLY) |
                    ((attributes & FILE_FLAG_OPEN_REPARSE_POINT) ? O_NOFOLLOW : 0);
  // A temporary file is private until its creator gives it the access it is to have.
  const mode_t mode = (attributes & FILE_ATTRIBUTE_TEMPORARY)  ? 0600
                      : (attributes & FILE_ATTRIBUTE_READONLY) ? 0444
                                                               : 0666;

  // Creating exclusively first tells a new file from an existing one, which decides the last
  // error and whether the file is truncated. A file deleted between the two opens is created
  // on the next round; a dangling symbolic link (there for O_EXCL, missing for the plain open)
  // ends the rounds.
  for (int round = 0; round < 4; ++round) {
    if (may_create) {
      const int fd = pelok::posix::SysOpen(file.c_str(), flags | O_CREAT | O_EXCL, mode);
      if (fd >= 0) {
        const int kept = AvoidZero(fd);
        if (kept < 0) break;
        SetLastError(ERROR_SUCCESS);
        return HandleFromFd(kept);
      }
      if (errno != EEXIST) break;
      if (disposition == CREATE_NEW) {
        Fail(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
      }
    }
    const int fd = pelok::posix::SysOpen(file.c_str(), flags | O_NONBLOCK, 0);
    if (fd < 0) {
      if (errno == ENOENT && may_create) continue;
      break;
    }
    if (!PrepareExisting(fd, write, truncate)) return INVALID_HANDLE_VALUE;
    const int kept = AvoidZero(fd);
    if (kept < 0) break;
    SetLastError(may_create ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return HandleFromFd(kept);
  }
  if (errno == ENOENT) {
    Fail(pelok::posix::MissingPathError(file.c_str()));
  } else {
    FailFromErrno();
  }
  return INVALID_HANDLE_VALUE;
}

BOOL CloseHandle(HANDLE handle) {
  const int fd = FdFromHandle(handle);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  // The descriptor is gone even when close reports an error (EINTR included): never retry.
  if (pelok::posix::SysClose(fd) != 0 && errno != EINTR) return FailFromErrno();
  return TRUE;
}

BOOL ReadFile(HANDLE file, void* buf, DWORD size, DWORD* read, void* /*overlapped*/) {
  if (read != nullptr) *read = 0;
  const int fd = FdFromHandle(file);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  if (buf == nullptr && size != 0) return Fail(ERROR_INVALID_PARAMETER);
  // A file read stops short only at its end.
  DWORD done = 0;
  while (done < size) {
    const ssize_t n = pelok::posix::SysRead(fd, static_cast<char*>(buf) + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (read != nullptr) *read = done;
      return FailIo(fd, ERROR_READ_FAULT);
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (read != nullptr) *read = done;
  return TRUE;
}

BOOL WriteFile(HANDLE file, const void* buf, DWORD size, DWORD* written, void* /*overlapped*/) {
  if (written != nullptr) *written = 0;
  const int fd = FdFromHandle(file);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  if (buf == nullptr && size != 0) return Fail(ERROR_INVALID_PARAMETER);
  DWORD done = 0;
  while (done < size) {
    const ssize_t n = pelok::posix::SysWrite(fd, static_cast<const char*>(buf) + done, size - done);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      if (written != nullptr) *written = done;
      // A write that takes nothing and reports nothing would loop for ever.
      return n == 0 ? Fail(ERROR_WRITE_FAULT) : FailIo(fd, ERROR_WRITE_FAULT);
    }
    done += static_cast<DWORD>(n);
  }
  if (written != nullptr) *written = done;
  return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD method) {
  const int fd = FdFromHandle(file);
  if (fd < 0) {
    Fail(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  int whence;
  switch (method) {
    case FILE_BEGIN:
      whence = SEEK_SET;
      break;
    case FILE_CURRENT:
      whence = SEEK_CUR;
      break;
    case FILE_END:
      whence = SEEK_END;
      break;
    default:
      Fail(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
  }
  // Without the high word the distance is a signed 32-bit number.
  const int64_t offset =
      distance_high != nullptr
          ? static_cast<int64_t>(
                (static_cast<uint64_t>(static_cast<uint32_t>(*distance_high)) << 32) |
                static_cast<uint32_t>(distance))
          : static_cast<int64_t>(distance);
  if (whence == SEEK_SET && offset < 0) {
    Fail(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  const off_t position = pelok::posix::SysLseek(fd, static_cast<off_t>(offset), whence);
  if (position < 0) {
    Fail(errno == EINVAL ? ERROR_NEGATIVE_SEEK : pelok::posix::Win32ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  const uint64_t unsigned_position = static_cast<uint64_t>(position);
  if (distance_high != nullptr) *distance_high = static_cast<LONG>(unsigned_position >> 32);
  const DWORD low = static_cast<DWORD>(unsigned_position & 0xFFFFFFFFu);
  // The one success that looks like a failure says so in the last error.
  if (low == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);
  return low;
}

BOOL FlushFileBuffers(HANDLE file) {
  const int fd = FdFromHandle(file);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  if (pelok::posix::SysFsync(fd) != 0) return FailIo(fd, ERROR_WRITE_FAULT);
  return TRUE;
}

DWORD GetFileType(HANDLE file) {
  const int fd = FdFromHandle(file);
  if (fd < 0) {
    Fail(ERROR_INVALID_HANDLE);
    return FILE_TYPE_UNKNOWN;
  }
  struct stat info;
  if (pelok::posix::SysFstat(fd, &info) != 0) {
    FailFromErrno();
    return FILE_TYPE_UNKNOWN;
  }
  SetLastError(NO_ERROR);
  if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) return FILE_TYPE_DISK;
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_CHAR;
}

DWORD GetFileSize(HANDLE file, DWORD* size_high) {
  const int fd = FdFromHandle(file);
  if (fd < 0) {
    Fail(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  struct stat info;
  if (pelok::posix::SysFstat(fd, &info) != 0) {
    FailFromErrno();
    return INVALID_FILE_SIZE;
  }
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  if (size_high != nullptr) *size_high = static_cast<DWORD>(size >> 32);
  const DWORD low = static_cast<DWORD>(size & 0xFFFFFFFFu);
  if (low == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
  return low;
}

namespace {

// Seconds from 1601-01-01 to 1970-01-01, and 100-ns units per second.
constexpr uint64_t kFileTimeEpochSeconds = 11644473600ULL;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;

FILETIME ToFileTime(const struct timespec& time) {
  const uint64_t units =
      (static_cast<uint64_t>(time.tv_sec) + kFileTimeEpochSeconds) * kFileTimeUnitsPerSecond +
      static_cast<uint64_t>(time.tv_nsec) / 100;
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(units & 0xFFFFFFFFu);
  result.dwHighDateTime = static_cast<DWORD>(units >> 32);
  return result;
}

void DescribeFile(const struct stat& status, BY_HANDLE_FILE_INFORMATION* info) {
  info->dwFileAttributes = pelok::posix::FileAttributesOf(status.st_mode);
  info->ftCreationTime = FILETIME{0, 0};
  info->ftLastAccessTime = ToFileTime(status.st_atim);
  info->ftLastWriteTime = ToFileTime(status.st_mtim);
  const uint64_t device = static_cast<uint64_t>(status.st_dev);
  info->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
  const uint64_t size = static_cast<uint64_t>(status.st_size);
  info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  info->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  info->nNumberOfLinks = static_cast<DWORD>(status.st_nlink);
  const uint64_t inode = static_cast<uint64_t>(status.st_ino);
  info->nFileIndexHigh = static_cast<DWORD>(inode >> 32);
  info->nFileIndexLow = static_cast<DWORD>(inode & 0xFFFFFFFFu);
}

}  // namespace

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
  const int fd = FdFromHandle(file);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  if (info == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  struct stat status;
  if (pelok::posix::SysFstat(fd, &status) != 0) return FailFromErrno();
  DescribeFile(status, info);
  return TRUE;
}

BOOL PelokGetFileInformationByName(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  if (path == nullptr || info == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const pelok::posix::PosixPath file(path);
  if (!file.ok()) return Fail(ERROR_FILENAME_EXCED_RANGE);
  struct stat status;
  if (pelok::posix::SysStat(file.c_str(), &status) != 0) return FailFromErrno();
  // What CreateFileA refuses to open.
  if (S_ISDIR(status.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  DescribeFile(status, info);
  return TRUE;
}

// Files and directories by path. Read-only is the owner write bit, as everywhere in this layer.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/posix_attributes.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_path.h"
#include "platform/posix/posix_syscalls.h"
#include "platform/posix_win32.h"

using pelok::posix::Fail;
using pelok::posix::FailFromErrno;
using pelok::posix::PosixPath;

namespace {

// The last error for a call on path that failed with errno.
BOOL FailOnPath(const PosixPath& path) {
  if (errno == ENOENT) return Fail(pelok::posix::MissingPathError(path.c_str()));
  return FailFromErrno();
}

BOOL FailBadPath(const char* path) {
  return Fail(path == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILENAME_EXCED_RANGE);
}

// Makes a rename into the directory of path durable.
BOOL SyncDirectoryOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const PosixPath dir = slash == nullptr ? PosixPath(".")
                        : slash == path  ? PosixPath("/")
                                         : PosixPath(path, static_cast<size_t>(slash - path));
  const int fd = pelok::posix::SysOpen(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return FailFromErrno();
  const bool synced = pelok::posix::SysFsync(fd) == 0;
  const int saved = errno;
  pelok::posix::SysClose(fd);
  if (synced) return TRUE;
  return Fail(saved == EIO ? ERROR_WRITE_FAULT : pelok::posix::Win32ErrorFromErrno(saved));
}

}  // namespace

DWORD GetFileAttributesA(const char* path) {
  const PosixPath file(path);
  struct stat info;
  if (!file.ok()) {
    FailBadPath(path);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (pelok::posix::SysStat(file.c_str(), &info) != 0) {
    FailOnPath(file);
    return INVALID_FILE_ATTRIBUTES;
  }
  return pelok::posix::FileAttributesOf(info.st_mode);
}

BOOL SetFileAttributesA(const char* path, DWORD attributes) {
  const PosixPath file(path);
  if (!file.ok()) return FailBadPath(path);
  struct stat info;
  if (pelok::posix::SysStat(file.c_str(), &info) != 0) return FailOnPath(file);
  mode_t mode = info.st_mode & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    mode &= ~static_cast<mode_t>(S_IWUSR);
  } else {
    mode |= S_IWUSR;
  }
  if (pelok::posix::SysChmod(file.c_str(), mode) != 0) return FailOnPath(file);
  return TRUE;
}

BOOL DeleteFileA(const char* path) {
  const PosixPath file(path);
  if (!file.ok()) return FailBadPath(path);
  // Windows deletes neither a directory nor a read-only file.
  struct stat info;
  if (pelok::posix::SysStat(file.c_str(), &info) == 0 &&
      (S_ISDIR(info.st_mode) || !(info.st_mode & S_IWUSR))) {
    return Fail(ERROR_ACCESS_DENIED);
  }
  if (pelok::posix::SysUnlink(file.c_str()) != 0) return FailOnPath(file);
  return TRUE;
}

BOOL CreateDirectoryA(const char* path, SECURITY_ATTRIBUTES* /*security*/) {
  const PosixPath dir(path);
  if (!dir.ok()) return FailBadPath(path);
  if (pelok::posix::SysMkdir(dir.c_str(), 0777) != 0) {
    // Only the last level is created: a missing parent is a missing path.
    return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : pelok::posix::Win32ErrorFromErrno(errno));
  }
  return TRUE;
}

BOOL RemoveDirectoryA(const char* path) {
  const PosixPath dir(path);
  if (!dir.ok()) return FailBadPath(path);
  if (pelok::posix::SysRmdir(dir.c_str()) != 0) {
    if (errno == ENOTDIR) return Fail(ERROR_DIRECTORY);
    if (errno == EEXIST) return Fail(ERROR_DIR_NOT_EMPTY);
    return FailOnPath(dir);
  }
  return TRUE;
}

BOOL MoveFileExA(const char* path, const char* new_path, DWORD flags) {
  const PosixPath from(path);
  const PosixPath to(new_path);
  if (!from.ok()) return FailBadPath(path);
  if (!to.ok()) return FailBadPath(new_path);
  if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
    if (pelok::posix::SysAccess(to.c_str(), F_OK) == 0) return Fail(ERROR_ALREADY_EXISTS);
    if (errno != ENOENT) return FailOnPath(to);
  }
  if (pelok::posix::SysRename(from.c_str(), to.c_str()) != 0) {
    // The target is a directory, or a directory would replace a file.
    if (errno == EISDIR || errno == ENOTDIR || errno == ENOTEMPTY || errno == EEXIST) {
      return Fail(ERROR_ACCESS_DENIED);
    }
    // With the source there, it is the target's directory that is missing.
    if (errno == ENOENT && pelok::posix::SysAccess(from.c_str(), F_OK) == 0) {
      return Fail(ERROR_PATH_NOT_FOUND);
    }
    return FailOnPath(from);
  }
  if (flags & MOVEFILE_WRITE_THROUGH) return SyncDirectoryOf(to.c_str());
  return TRUE;
}

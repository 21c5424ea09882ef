// Whole-file locks, the end of a file, the resolved path of an open file, and directory listing.
#include <dirent.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/posix/posix_attributes.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_path.h"
#include "platform/posix/posix_syscalls.h"
#include "platform/posix_win32.h"

using pelok::posix::Fail;
using pelok::posix::FailFromErrno;

namespace {

int FdOf(HANDLE handle) {
  const intptr_t value = reinterpret_cast<intptr_t>(handle);
  return value > 0 && value <= INT_MAX ? static_cast<int>(value) : -1;
}

// An open listing: the directory and the pattern its names must match.
struct FindState {
  DIR* dir = nullptr;
  std::string directory;
  std::string pattern;
};

// Fills data with the next entry that matches; false at the end. Throws std::bad_alloc.
bool NextMatchOrThrow(FindState* state, WIN32_FIND_DATAA* data) {
  SetLastError(ERROR_SUCCESS);
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(state->dir);
    if (entry == nullptr) return false;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (fnmatch(state->pattern.c_str(), entry->d_name, FNM_PERIOD) != 0) continue;
    if (std::strlen(entry->d_name) >= MAX_PATH) continue;
    std::memset(data, 0, sizeof(*data));
    std::strcpy(data->cFileName, entry->d_name);
    struct stat info;
    const std::string full = state->directory + "/" + entry->d_name;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (lstat(full.c_str(), &info) == 0) {
      attributes = pelok::posix::FileAttributesOf(info.st_mode);
      const uint64_t size = static_cast<uint64_t>(info.st_size);
      data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
      data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    }
    data->dwFileAttributes = attributes;
    return true;
  }
}

// Fills data with the next entry that matches; false at the end, or with the last error
// ERROR_NOT_ENOUGH_MEMORY when memory ran out.
bool NextMatch(FindState* state, WIN32_FIND_DATAA* data) {
  try {
    return NextMatchOrThrow(state, data);
  } catch (const std::bad_alloc&) {
    Fail(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

}  // namespace

BOOL SetEndOfFile(HANDLE file) {
  const int fd = FdOf(file);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  const off_t position = pelok::posix::SysLseek(fd, 0, SEEK_CUR);
  if (position < 0 || pelok::posix::SysFtruncate(fd, position) != 0) return FailFromErrno();
  return TRUE;
}

DWORD GetFinalPathNameByHandleA(HANDLE file, char* buf, DWORD size, DWORD /*flags*/) {
  const int fd = FdOf(file);
  if (fd < 0) {
    Fail(ERROR_INVALID_HANDLE);
    return 0;
  }
  char link[64];
  std::snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
  char target[PATH_MAX + 1];
  const ssize_t length = readlink(link, target, PATH_MAX);
  if (length <= 0) {
    FailFromErrno();
    return 0;
  }
  target[length] = '\0';
  // A file deleted while open has no path to give.
  if (length > 10 && std::strcmp(target + length - 10, " (deleted)") == 0) {
    Fail(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  const DWORD needed = static_cast<DWORD>(length) + 1;
  if (buf == nullptr || size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return needed;
  }
  std::memcpy(buf, target, needed);
  SetLastError(ERROR_SUCCESS);
  return needed - 1;
}

BOOL LockFileEx(HANDLE file, DWORD flags, DWORD /*reserved*/, DWORD /*low*/, DWORD /*high*/,
                OVERLAPPED* /*overlapped*/) {
  const int fd = FdOf(file);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  const int operation = ((flags & LOCKFILE_EXCLUSIVE_LOCK) ? LOCK_EX : LOCK_SH) |
                        ((flags & LOCKFILE_FAIL_IMMEDIATELY) ? LOCK_NB : 0);
  for (;;) {
    if (pelok::posix::SysFlock(fd, operation) == 0) return TRUE;
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return Fail(ERROR_LOCK_VIOLATION);
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL) {
      return Fail(ERROR_NOT_SUPPORTED);
    }
    return FailFromErrno();
  }
}

BOOL UnlockFileEx(HANDLE file, DWORD /*reserved*/, DWORD /*low*/, DWORD /*high*/,
                  OVERLAPPED* /*overlapped*/) {
  const int fd = FdOf(file);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  if (pelok::posix::SysFlock(fd, LOCK_UN) != 0) return FailFromErrno();
  return TRUE;
}

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  const pelok::posix::PosixPath path(pattern);
  if (!path.ok() || data == nullptr) {
    Fail(pattern == nullptr || data == nullptr ? ERROR_INVALID_PARAMETER
                                               : ERROR_FILENAME_EXCED_RANGE);
    return INVALID_HANDLE_VALUE;
  }
  std::unique_ptr<FindState> state;
  try {
    state.reset(new FindState);
    const std::string full(path.c_str());
    const size_t slash = full.find_last_of('/');
    state->directory =
        slash == std::string::npos ? "." : slash == 0 ? "/" : full.substr(0, slash);
    state->pattern = slash == std::string::npos ? full : full.substr(slash + 1);
  } catch (const std::bad_alloc&) {
    Fail(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  state->dir = opendir(state->directory.c_str());
  if (state->dir == nullptr) {
    if (errno == ENOENT) {
      Fail(ERROR_PATH_NOT_FOUND);
    } else {
      FailFromErrno();
    }
    return INVALID_HANDLE_VALUE;
  }
  if (!NextMatch(state.get(), data)) {
    const DWORD error = GetLastError();
    closedir(state->dir);
    Fail(error == ERROR_NOT_ENOUGH_MEMORY ? error : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return static_cast<HANDLE>(state.release());
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  FindState* state = static_cast<FindState*>(find);
  if (find == nullptr || find == INVALID_HANDLE_VALUE || data == nullptr) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (!NextMatch(state, data)) {
    return Fail(GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? ERROR_NOT_ENOUGH_MEMORY
                                                          : ERROR_NO_MORE_FILES);
  }
  return TRUE;
}

BOOL FindClose(HANDLE find) {
  if (find == nullptr || find == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  FindState* state = static_cast<FindState*>(find);
  closedir(state->dir);
  delete state;
  return TRUE;
}

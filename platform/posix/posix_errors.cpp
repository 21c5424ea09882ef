#include "platform/posix/posix_errors.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/posix_path.h"
#include "platform/posix/posix_syscalls.h"

namespace {

thread_local DWORD t_last_error = ERROR_SUCCESS;

}  // namespace

DWORD GetLastError() { return t_last_error; }

void SetLastError(DWORD error) { t_last_error = error; }

namespace pelok {
namespace posix {

DWORD Win32ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case EBUSY:
      return ERROR_BUSY;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOSYS:
    case EOPNOTSUPP:
      return ERROR_NOT_SUPPORTED;
    case EIO:
    default:
      return ERROR_GEN_FAILURE;
  }
}

BOOL FailFromErrno() { return Fail(Win32ErrorFromErrno(errno)); }

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

DWORD MissingPathError(const char* posix_path) {
  const char* slash = std::strrchr(posix_path, '/');
  // The working directory and the root exist.
  if (slash == nullptr || slash == posix_path) return ERROR_FILE_NOT_FOUND;
  const PosixPath dir(posix_path, static_cast<size_t>(slash - posix_path));
  struct stat info;
  if (!dir.ok() || SysStat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return ERROR_PATH_NOT_FOUND;
  }
  return ERROR_FILE_NOT_FOUND;
}

}  // namespace posix
}  // namespace pelok

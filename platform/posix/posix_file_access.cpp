#include <sys/stat.h>

#include "platform/file_access.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_syscalls.h"

using pelok::posix::Fail;
using pelok::posix::FailFromErrno;

namespace {

int FdOf(HANDLE handle) {
  const intptr_t value = reinterpret_cast<intptr_t>(handle);
  return value > 0 && value <= INT32_MAX ? static_cast<int>(value) : -1;
}

}  // namespace

BOOL PelokCopyFileAccess(HANDLE source, HANDLE target) {
  const int from = FdOf(source);
  const int to = FdOf(target);
  if (from < 0 || to < 0) return Fail(ERROR_INVALID_HANDLE);
  struct stat wanted;
  struct stat now;
  if (pelok::posix::SysFstat(from, &wanted) != 0 || pelok::posix::SysFstat(to, &now) != 0) {
    return FailFromErrno();
  }
  // The owner first: a change of owner may clear the set-id bits that the mode then restores.
  const bool owner_differs = now.st_uid != wanted.st_uid || now.st_gid != wanted.st_gid;
  if (owner_differs && pelok::posix::SysFchown(to, wanted.st_uid, wanted.st_gid) != 0) {
    return FailFromErrno();
  }
  // A mode set again as it is would still dirty the inode, which the next sync then writes.
  if (!owner_differs && (now.st_mode & 07777) == (wanted.st_mode & 07777)) return TRUE;
  if (pelok::posix::SysFchmod(to, wanted.st_mode & 07777) != 0) return FailFromErrno();
  return TRUE;
}

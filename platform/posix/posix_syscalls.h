// The system calls the POSIX layer makes on files, routed through one table of function pointers
// so that tests can replace an entry or make it fail (platform/fault_injection.h). The rest of the
// layer calls the Sys* functions below, never the system directly, for these calls.
#ifndef PELOK_PLATFORM_POSIX_POSIX_SYSCALLS_H_
#define PELOK_PLATFORM_POSIX_POSIX_SYSCALLS_H_

#include <sys/stat.h>
#include <sys/types.h>

namespace pelok {
namespace posix {

struct SyscallTable {
  int (*open)(const char* path, int flags, mode_t mode);
  int (*close)(int fd);
  ssize_t (*read)(int fd, void* buf, size_t size);
  ssize_t (*write)(int fd, const void* buf, size_t size);
  off_t (*lseek)(int fd, off_t offset, int whence);
  int (*fsync)(int fd);
  int (*ftruncate)(int fd, off_t length);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
  int (*mkdir)(const char* path, mode_t mode);
  int (*rmdir)(const char* path);
  int (*stat)(const char* path, struct stat* info);
  int (*fstat)(int fd, struct stat* info);
  int (*chmod)(const char* path, mode_t mode);
  int (*access)(const char* path, int mode);
  int (*flock)(int fd, int operation);
  int (*fchmod)(int fd, mode_t mode);
  int (*fchown)(int fd, uid_t owner, gid_t group);
};

// The table in use. A test may replace entries (a short write, a slow read); Restore in
// platform/fault_injection.h puts the system's own calls back.
SyscallTable& Syscalls();

// Each routed call counts its use, fails with the injected errno when a fault says so (returning
// -1 as the system would), and otherwise calls the table's entry.
int SysOpen(const char* path, int flags, mode_t mode);
int SysClose(int fd);
ssize_t SysRead(int fd, void* buf, size_t size);
ssize_t SysWrite(int fd, const void* buf, size_t size);
off_t SysLseek(int fd, off_t offset, int whence);
int SysFsync(int fd);
int SysFtruncate(int fd, off_t length);
int SysRename(const char* from, const char* to);
int SysUnlink(const char* path);
int SysMkdir(const char* path, mode_t mode);
int SysRmdir(const char* path);
int SysStat(const char* path, struct stat* info);
int SysFstat(int fd, struct stat* info);
int SysChmod(const char* path, mode_t mode);
int SysAccess(const char* path, int mode);
int SysFlock(int fd, int operation);
int SysFchmod(int fd, mode_t mode);
int SysFchown(int fd, uid_t owner, gid_t group);

}  // namespace posix
}  // namespace pelok

#endif  // PELOK_PLATFORM_POSIX_POSIX_SYSCALLS_H_

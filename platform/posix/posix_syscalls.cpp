#include "platform/posix/posix_syscalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/fault_injection.h"

namespace pelok {
namespace posix {

namespace {

// Indexes of the routed calls, in the order of kCallNames.
enum Call {
  kOpen,
  kClose,
  kRead,
  kWrite,
  kLseek,
  kFsync,
  kFtruncate,
  kRename,
  kUnlink,
  kMkdir,
  kRmdir,
  kStat,
  kFstat,
  kChmod,
  kAccess,
  kFlock,
  kFchmod,
  kFchown,
  kCallCount
};

constexpr const char* kCallNames[kCallCount] = {
    "open",  "close", "read", "write", "lseek", "fsync",  "ftruncate", "rename", "unlink",
    "mkdir", "rmdir", "stat", "fstat", "chmod", "access", "flock",     "fchmod", "fchown"};

// The fault of one call. fail_at is written last and read first, so a use never sees the
// errno of an older fault with the position of a newer one.
struct Fault {
  std::atomic<long> uses{0};
  std::atomic<long> fail_at{0};  // 0: no fault
  std::atomic<int> error{0};
  std::atomic<bool> persistent{false};
};

Fault g_faults[kCallCount];

const SyscallTable kSystemCalls = {
    [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    [](int fd) { return ::close(fd); },
    [](int fd, void* buf, size_t size) { return ::read(fd, buf, size); },
    [](int fd, const void* buf, size_t size) { return ::write(fd, buf, size); },
    [](int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); },
    [](int fd) { return ::fsync(fd); },
    [](int fd, off_t length) { return ::ftruncate(fd, length); },
    [](const char* from, const char* to) { return ::rename(from, to); },
    [](const char* path) { return ::unlink(path); },
    [](const char* path, mode_t mode) { return ::mkdir(path, mode); },
    [](const char* path) { return ::rmdir(path); },
    [](const char* path, struct stat* info) { return ::stat(path, info); },
    [](int fd, struct stat* info) { return ::fstat(fd, info); },
    [](const char* path, mode_t mode) { return ::chmod(path, mode); },
    [](const char* path, int mode) { return ::access(path, mode); },
    [](int fd, int operation) { return ::flock(fd, operation); },
    [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
    [](int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); },
};

SyscallTable g_table = kSystemCalls;

// Counts the use; true (with errno set) when this use is to fail.
bool Fails(Call call) {
  Fault& fault = g_faults[call];
  const long use = fault.uses.fetch_add(1) + 1;
  const long at = fault.fail_at.load(std::memory_order_acquire);
  if (at == 0 || use < at) return false;
  if (use > at && !fault.persistent.load()) return false;
  errno = fault.error.load();
  return true;
}

int FindCall(const char* name) {
  if (name == nullptr) return -1;
  for (int i = 0; i < kCallCount; ++i) {
    if (std::strcmp(kCallNames[i], name) == 0) return i;
  }
  return -1;
}

}  // namespace

SyscallTable& Syscalls() { return g_table; }

int SysOpen(const char* path, int flags, mode_t mode) {
  return Fails(kOpen) ? -1 : g_table.open(path, flags, mode);
}
int SysClose(int fd) { return Fails(kClose) ? -1 : g_table.close(fd); }
ssize_t SysRead(int fd, void* buf, size_t size) {
  return Fails(kRead) ? -1 : g_table.read(fd, buf, size);
}
ssize_t SysWrite(int fd, const void* buf, size_t size) {
  return Fails(kWrite) ? -1 : g_table.write(fd, buf, size);
}
off_t SysLseek(int fd, off_t offset, int whence) {
  return Fails(kLseek) ? -1 : g_table.lseek(fd, offset, whence);
}
int SysFsync(int fd) { return Fails(kFsync) ? -1 : g_table.fsync(fd); }
int SysFtruncate(int fd, off_t length) {
  return Fails(kFtruncate) ? -1 : g_table.ftruncate(fd, length);
}
int SysRename(const char* from, const char* to) {
  return Fails(kRename) ? -1 : g_table.rename(from, to);
}
int SysUnlink(const char* path) { return Fails(kUnlink) ? -1 : g_table.unlink(path); }
int SysMkdir(const char* path, mode_t mode) {
  return Fails(kMkdir) ? -1 : g_table.mkdir(path, mode);
}
int SysRmdir(const char* path) { return Fails(kRmdir) ? -1 : g_table.rmdir(path); }
int SysStat(const char* path, struct stat* info) {
  return Fails(kStat) ? -1 : g_table.stat(path, info);
}
int SysFstat(int fd, struct stat* info) { return Fails(kFstat) ? -1 : g_table.fstat(fd, info); }
int SysChmod(const char* path, mode_t mode) {
  return Fails(kChmod) ? -1 : g_table.chmod(path, mode);
}
int SysAccess(const char* path, int mode) {
  return Fails(kAccess) ? -1 : g_table.access(path, mode);
}

int SysFlock(int fd, int operation) { return Fails(kFlock) ? -1 : g_table.flock(fd, operation); }
int SysFchmod(int fd, mode_t mode) { return Fails(kFchmod) ? -1 : g_table.fchmod(fd, mode); }
int SysFchown(int fd, uid_t owner, gid_t group) {
  return Fails(kFchown) ? -1 : g_table.fchown(fd, owner, group);
}

}  // namespace posix

namespace fault_injection {

bool Supported() { return true; }

bool FailCall(const char* call, long nth, int error, bool persistent) {
  const int index = posix::FindCall(call);
  if (index < 0 || nth < 1) return false;
  posix::Fault& fault = posix::g_faults[index];
  fault.error.store(error);
  fault.persistent.store(persistent);
  fault.fail_at.store(fault.uses.load() + nth, std::memory_order_release);
  return true;
}

long UseCount(const char* call) {
  const int index = posix::FindCall(call);
  return index < 0 ? -1 : posix::g_faults[index].uses.load();
}

void Restore() {
  for (posix::Fault& fault : posix::g_faults) {
    fault.fail_at.store(0, std::memory_order_release);
    fault.uses.store(0);
  }
  posix::g_table = posix::kSystemCalls;
}

}  // namespace fault_injection
}  // namespace pelok

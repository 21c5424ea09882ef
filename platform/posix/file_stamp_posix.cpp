#include <sys/stat.h>
#include <time.h>

#include "platform/file_stamp.h"
#include "platform/posix/posix_path.h"
#include "platform/posix/posix_syscalls.h"

namespace pelok {

namespace {

int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

}  // namespace

FileStamp StampOfFile(const char* path) {
  FileStamp stamp;
  const posix::PosixPath file(path);
  struct stat info;
  if (!file.ok() || posix::SysStat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return stamp;
  }
  stamp.exists = true;
  stamp.device = static_cast<uint64_t>(info.st_dev);
  stamp.index = static_cast<uint64_t>(info.st_ino);
  stamp.size = static_cast<uint64_t>(info.st_size);
  stamp.modified_ns = Nanoseconds(info.st_mtim);
  stamp.changed_ns = Nanoseconds(info.st_ctim);
  return stamp;
}

int64_t FileClockNow() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

}  // namespace pelok

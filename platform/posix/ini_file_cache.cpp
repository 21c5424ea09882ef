#include "platform/posix/ini_file_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "platform/file_stamp.h"
#include "platform/posix/posix_syscalls.h"

namespace pelok {
namespace posix {

namespace {

// Files kept at once: the DLL registry file and the few it redirects to.
constexpr size_t kCachedFiles = 8;
constexpr long long kNanosecondsPerSecond = 1000000000LL;

long long Nanoseconds(const struct timespec& time) {
  return static_cast<long long>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

struct Stamp {
  Stamp() = default;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modified_ns = 0;
  long long changed_ns = 0;

  explicit Stamp(const struct stat& info)
      : device(info.st_dev),
        inode(info.st_ino),
        size(info.st_size),
        modified_ns(Nanoseconds(info.st_mtim)),
        changed_ns(Nanoseconds(info.st_ctim)) {}

  bool operator==(const Stamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified_ns == other.modified_ns && changed_ns == other.changed_ns;
  }
  bool operator!=(const Stamp& other) const { return !(*this == other); }

  // Whether a change after the moment read_ns would show in the stamps.
  bool SettledBefore(long long read_ns) const {
    const long long last = changed_ns > modified_ns ? changed_ns : modified_ns;
    return ChangeSettledBefore(last, read_ns, kNanosecondsPerSecond);
  }
};

struct Entry {
  std::string path;
  Stamp stamp;
  std::shared_ptr<const std::string> text;
  unsigned long long last_use;
};

// Set when the cache below is destroyed with the module's other statics; a read made after that
// (from another static's destructor) goes to the disk. Trivially destructible, so still valid.
bool g_cache_gone = false;

struct Cache {
  ~Cache() { g_cache_gone = true; }
  std::mutex lock;
  std::vector<Entry> entries;
  unsigned long long uses = 0;
};

Cache g_cache;

long long Now() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

// Reads the file whole. *stable: whether its stamps were the same before and after the read,
// and then *stamp holds them.
// Only a regular file is read: anything else (a FIFO, a device such as /dev/zero) reads as no
// file at all, found without waiting (the open does not block) and without reading a byte.
std::shared_ptr<const std::string> ReadWhole(const char* path, Stamp* stamp, bool* stable) {
  *stable = false;
  const int fd = SysOpen(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
  if (fd < 0) return nullptr;
  struct stat before;
  struct stat after;
  const bool stamped = SysFstat(fd, &before) == 0;
  if (!stamped || !S_ISREG(before.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    SysClose(fd);
    return nullptr;
  }
  auto text = std::make_shared<std::string>();
  bool ok = true;
  char chunk[4096];
  for (;;) {
    const ssize_t n = SysRead(fd, chunk, sizeof(chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    text->append(chunk, static_cast<size_t>(n));
  }
  // A file that changed while it was read is given as read, but not kept.
  if (ok && SysFstat(fd, &after) == 0 && Stamp(before) == Stamp(after)) {
    *stamp = Stamp(before);
    *stable = true;
  }
  SysClose(fd);
  return ok ? text : nullptr;
}

// Under g_cache.lock.
void Forget(const char* path) {
  std::vector<Entry>& entries = g_cache.entries;
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (it->path == path) {
      entries.erase(it);
      return;
    }
  }
}

// Under g_cache.lock.
void Keep(const char* path, const Stamp& stamp, const std::shared_ptr<const std::string>& text) {
  Forget(path);
  std::vector<Entry>& entries = g_cache.entries;
  if (entries.size() >= kCachedFiles) {
    auto oldest = entries.begin();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
      if (it->last_use < oldest->last_use) oldest = it;
    }
    entries.erase(oldest);
  }
  entries.push_back(Entry{path, stamp, text, ++g_cache.uses});
}

}  // namespace

std::shared_ptr<const std::string> ReadIniFile(const char* path) {
  Stamp stamp;
  bool stable = false;
  if (g_cache_gone) return ReadWhole(path, &stamp, &stable);
  struct stat info;
  if (SysStat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
    // Missing, or not a plain file (which reads as missing): never kept.
    {
      std::lock_guard<std::mutex> scope(g_cache.lock);
      Forget(path);
    }
    return ReadWhole(path, &stamp, &stable);
  }
  const Stamp current(info);
  {
    std::lock_guard<std::mutex> scope(g_cache.lock);
    for (Entry& entry : g_cache.entries) {
      if (entry.path != path) continue;
      if (entry.stamp != current) break;
      entry.last_use = ++g_cache.uses;
      return entry.text;
    }
  }
  const long long read_at = Now();
  std::shared_ptr<const std::string> text = ReadWhole(path, &stamp, &stable);
  std::lock_guard<std::mutex> scope(g_cache.lock);
  if (text != nullptr && stable && stamp == current && stamp.SettledBefore(read_at)) {
    Keep(path, stamp, text);
  } else {
    Forget(path);
  }
  return text;
}

}  // namespace posix
}  // namespace pelok

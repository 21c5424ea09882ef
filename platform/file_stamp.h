// What tells whether a file has changed without reading it: which file it is, its size and
// its change times, and when those times can be trusted to show the next change.
#ifndef PELOK_PLATFORM_FILE_STAMP_H_
#define PELOK_PLATFORM_FILE_STAMP_H_

#include <cstdint>

namespace pelok {

// Whether a change after the moment now would show in a file's times, when its last change was
// at last (both counted in units of which units_per_second make a second): the last change lies
// further back than its file system's time granularity. Local file systems stamp with the clock
// tick (a few milliseconds), taken as 50 ms; a time without a fraction of a second comes from a
// file system that keeps whole seconds (two on FAT), taken as 3 s. A file changed within that
// granularity could change again without its times moving.
template <typename Time>
constexpr bool ChangeSettledBefore(Time last, Time now, Time units_per_second) {
  const Time granularity =
      last % units_per_second == 0 ? 3 * units_per_second : units_per_second / 20;
  return last + granularity < now;
}

struct FileStamp {
  bool exists = false;  // a regular file; a missing file, a directory or a device has no stamp
  uint64_t device = 0;  // POSIX: the device and the inode; Windows: 0 (not told by the path)
  uint64_t index = 0;
  uint64_t size = 0;
  int64_t modified_ns = 0;  // last write
  int64_t changed_ns = 0;   // POSIX: last status change; Windows: creation

  bool operator==(const FileStamp& other) const {
    return exists == other.exists && device == other.device && index == other.index &&
           size == other.size && modified_ns == other.modified_ns &&
           changed_ns == other.changed_ns;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }

  // Whether a change after the moment now_ns would show in the stamp (ChangeSettledBefore).
  // A missing file is settled.
  bool SettledBefore(int64_t now_ns) const {
    if (!exists) return true;
    const int64_t last = changed_ns > modified_ns ? changed_ns : modified_ns;
    return ChangeSettledBefore<int64_t>(last, now_ns, 1000000000LL);
  }
};

// The stamp of the file at path (backslashes allowed on every system).
FileStamp StampOfFile(const char* path);
// The wall clock, on the same scale as the stamps' times.
int64_t FileClockNow();

}  // namespace pelok

#endif  // PELOK_PLATFORM_FILE_STAMP_H_

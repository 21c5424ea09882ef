#include "platform/file_stamp.h"
#include "platform/win32_api.h"

namespace pelok {

namespace {

// FILETIME counts 100 ns from 1601; the stamps count nanoseconds on the same base.
int64_t Nanoseconds(const FILETIME& time) {
  const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<int64_t>(ticks) * 100;
}

}  // namespace

FileStamp StampOfFile(const char* path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path == nullptr || !GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return stamp;
  }
  stamp.exists = true;
  stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.modified_ns = Nanoseconds(data.ftLastWriteTime);
  stamp.changed_ns = Nanoseconds(data.ftCreationTime);
  return stamp;
}

int64_t FileClockNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Nanoseconds(now);
}

}  // namespace pelok

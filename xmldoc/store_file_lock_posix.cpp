#include "xmldoc/document_file.h"
#include "xmldoc/store_file_lock.h"

namespace pelok {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kPollMilliseconds = 2;

// 1 when path still names the file open as file, 0 when another file is there now, -1 when
// that cannot be told (the last error says why).
int SameFile(HANDLE file, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION held;
  if (!GetFileInformationByHandle(file, &held)) return -1;
  const DocumentStamp now = StampFile(path.c_str());
  if (!now.valid) return -1;
  return now.volume == held.dwVolumeSerialNumber &&
                 now.index ==
                     ((static_cast<uint64_t>(held.nFileIndexHigh) << 32) | held.nFileIndexLow)
             ? 1
             : 0;
}

}  // namespace

bool StoreFileLock::Acquire(const std::string& path, bool exclusive, DWORD wait_ms) {
  Release();
  const uint64_t deadline = SystemTimeNow() + static_cast<uint64_t>(wait_ms) * 10000;
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  for (;;) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      error_ = GetLastError();
      return false;
    }
    OVERLAPPED whole = {};
    if (LockFileEx(file, flags, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &whole)) {
      // The save that held it may have moved another file to the path: that one is the store.
      const int same = SameFile(file, path);
      if (same == 1) {
        handle_ = file;
        error_ = ERROR_SUCCESS;
        return true;
      }
      error_ = same == 0 ? ERROR_LOCK_VIOLATION : GetLastError();
      CloseHandle(file);
      if (same < 0 || SystemTimeNow() >= deadline) return false;
      continue;
    }
    error_ = GetLastError();
    CloseHandle(file);
    if (error_ != ERROR_LOCK_VIOLATION || SystemTimeNow() >= deadline) return false;
    Sleep(kPollMilliseconds);
  }
}

void StoreFileLock::Release() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  OVERLAPPED whole = {};
  UnlockFileEx(handle_, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &whole);
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace pelok

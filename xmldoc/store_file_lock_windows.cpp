#include <cstdio>

#include "util/path.h"
#include "xmldoc/content_hash.h"
#include "xmldoc/store_file_lock.h"

namespace pelok {

bool StoreFileLock::Acquire(const std::string& path, bool /*exclusive*/, DWORD wait_ms) {
  Release();
  // One mutex for every spelling of the file.
  const ContentHash hash = HashContent(FileNameKey(path));
  char name[64];
  std::snprintf(name, sizeof(name), "Local\\pelxml-%016llx%016llx",
                static_cast<unsigned long long>(hash.first),
                static_cast<unsigned long long>(hash.second));
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (mutex == nullptr) {
    error_ = GetLastError();
    return false;
  }
  // Readers take it too, though only for the moment of a read: a save cannot replace a file
  // that a reader holds open.
  const DWORD waited = WaitForSingleObject(mutex, wait_ms);
  // An abandoned mutex is one whose holder died: the lock is this process's now.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    handle_ = mutex;
    error_ = ERROR_SUCCESS;
    return true;
  }
  error_ = waited == WAIT_TIMEOUT ? ERROR_LOCK_VIOLATION : GetLastError();
  CloseHandle(mutex);
  return false;
}

void StoreFileLock::Release() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  ReleaseMutex(handle_);
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace pelok

// The lock through which every process that writes one document file takes its turn.
//
// POSIX: flock of the document file itself (the file a path finally names), taken through an
// open handle; a save replaces the file by another, so a lock taken on the file that was there
// before is taken again on the one there now. Windows: a named mutex of the session, named after
// the file's final path, since Windows (Wine too) cannot replace a file that some handle holds
// open, and a lock file beside the store would stay there for good. Neither leaves a file behind.
// Readers take the lock too, for the moment of their read: on Windows so that no reader holds
// the file open while a save replaces it, and on Wine because it replaces a file by removing the
// old one before it moves the new one in, so that a reader without the lock may find neither.
#ifndef PELOK_XMLDOC_STORE_FILE_LOCK_H_
#define PELOK_XMLDOC_STORE_FILE_LOCK_H_

#include <string>

#include "platform/win32_api.h"

namespace pelok {

// How long a save waits for another process's save to end before it gives up.
constexpr DWORD kLockWaitMilliseconds = 5000;

class StoreFileLock {
 public:
  StoreFileLock() = default;
  StoreFileLock(const StoreFileLock&) = delete;
  StoreFileLock& operator=(const StoreFileLock&) = delete;
  ~StoreFileLock() { Release(); }

  // Takes the lock of the document file at path (a final path), shared for reading or
  // exclusive for writing, waiting at most wait_ms. False when it cannot be had; error() then
  // says why: ERROR_LOCK_VIOLATION, another process held it all that time; ERROR_NOT_SUPPORTED,
  // the file system has no locks; ERROR_FILE_NOT_FOUND, there is no such file to lock yet (POSIX).
  bool Acquire(const std::string& path, bool exclusive, DWORD wait_ms);
  void Release();

  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
  DWORD error() const { return error_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  DWORD error_ = ERROR_SUCCESS;
};

}  // namespace pelok

#endif  // PELOK_XMLDOC_STORE_FILE_LOCK_H_

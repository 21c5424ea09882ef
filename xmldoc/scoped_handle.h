// A file handle closed when it goes out of scope, for the document module's file code.
#ifndef PELOK_XMLDOC_SCOPED_HANDLE_H_
#define PELOK_XMLDOC_SCOPED_HANDLE_H_

#include "platform/win32_api.h"

namespace pelok {

// Every sharing: a store file is read, replaced and removed by other processes while open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Close(); }

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  // Closed at once, for a caller that needs to know the close succeeded (a write is complete
  // only then on some systems); true when there was nothing to close.
  bool Close() {
    if (!valid()) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace pelok

#endif  // PELOK_XMLDOC_SCOPED_HANDLE_H_

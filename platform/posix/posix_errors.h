// The thread's last error (GetLastError) as the POSIX layer sets it from errno.
#ifndef PELOK_PLATFORM_POSIX_POSIX_ERRORS_H_
#define PELOK_PLATFORM_POSIX_POSIX_ERRORS_H_

#include "platform/posix_win32.h"

namespace pelok {
namespace posix {

// The Win32 code that stands for an errno value where the call gives no better one.
DWORD Win32ErrorFromErrno(int error);

// Sets the last error from errno and returns FALSE, for "return FailFromErrno();".
BOOL FailFromErrno();
// Sets the last error to code and returns FALSE.
BOOL Fail(DWORD code);

// The code for a path that does not exist: ERROR_PATH_NOT_FOUND when its directory is missing
// too, otherwise ERROR_FILE_NOT_FOUND, as Windows tells the two apart.
DWORD MissingPathError(const char* posix_path);

}  // namespace posix
}  // namespace pelok

#endif  // PELOK_PLATFORM_POSIX_POSIX_ERRORS_H_

// Who may use a file, carried from one file to another: a file that replaces another keeps the
// access the old one gave.
#ifndef PELOK_PLATFORM_FILE_ACCESS_H_
#define PELOK_PLATFORM_FILE_ACCESS_H_

#include "platform/win32_api.h"

// Gives the file open as target the access of the file open as source: on POSIX its permission
// bits, owner and group, FALSE with the last error set when any of it could not be given (an
// owner that only the superuser may give away); on Windows its attributes as far as the file
// system takes them, always TRUE (the access of both is what their directory gives).
BOOL PelokCopyFileAccess(HANDLE source, HANDLE target);

// Whether moving a file over one that another process holds open can fail for a moment:
// Windows refuses to replace an open file; POSIX replaces it, and a refused rename is final.
#if defined(_WIN32)
constexpr bool kReplacingAnOpenFileWaits = true;
#else
constexpr bool kReplacingAnOpenFileWaits = false;
#endif

#endif  // PELOK_PLATFORM_FILE_ACCESS_H_

// What the system tells of a file without opening it for reading, for the checks that run
// before every operation on a store ("is it still the file I read?"): on POSIX one stat, where
// an open, its checks and a close would cost five more calls.
#ifndef PELOK_PLATFORM_FILE_INFORMATION_H_
#define PELOK_PLATFORM_FILE_INFORMATION_H_

#include "platform/win32_api.h"

// As GetFileInformationByHandle of the file at path opened with no access (and every sharing),
// with the same figures that call gives for a handle of that file. FALSE with the last error
// set where opening it would fail: a missing file, a directory.
BOOL PelokGetFileInformationByName(const char* path, BY_HANDLE_FILE_INFORMATION* info);

#endif  // PELOK_PLATFORM_FILE_INFORMATION_H_

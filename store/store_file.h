// File steps of the store that do not involve the document: keeping a damaged store file
// aside and creating a new store file exclusively.
#ifndef PELOK_STORE_STORE_FILE_H_
#define PELOK_STORE_STORE_FILE_H_

#include "platform/win32_api.h"

namespace pelok {

// The name a damaged store file is kept under: path, ".corrupt-", the local time as
// YYYYMMDD-HHMMSS-mmm and, for attempt 1 and above, "-" and the attempt number. 0 when it
// does not fit in out_size bytes.
int SetAsideName(const char* path, const SYSTEMTIME& time, int attempt, char* out, int out_size);

// 1 when the file at path can be opened and read to its end without an error; 0 for anything
// that is no file of the disk (a FIFO, a device), which is never read.
int FileReadsWhole(const char* path);

// 1 when something stands at path that opens as no file of the disk: a FIFO, a device, a
// socket. Found without waiting and without reading a byte.
int IsSpecialFile(const char* path);

// Renames the file at path to a free SetAsideName, so that a new store can take its place
// while its bytes stay on the disk. 0 (nothing renamed) when the file cannot be read whole,
// since then it is not known to be damaged, or when no free name can be made.
int SetStoreFileAside(const char* path);

// Creates path as a new, empty file; 0 when it exists already or cannot be made.
int CreateNewEmptyFile(const char* path);

}  // namespace pelok

#endif  // PELOK_STORE_STORE_FILE_H_

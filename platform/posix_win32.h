// The Win32 subset the modules use, implemented on POSIX.
//
// Meanings: a module handle is what dlopen returns; a file handle is a file descriptor and
// INVALID_HANDLE_VALUE is -1; a critical section is a recursive pthread mutex; the debugger
// output is standard error; every path handed to the file system has its backslashes turned
// into slashes.
#ifndef PELOK_PLATFORM_POSIX_WIN32_H_
#define PELOK_PLATFORM_POSIX_WIN32_H_

#include <pthread.h>

#include <cstdarg>
#include <cstdint>

typedef int BOOL;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int32_t LONG;
typedef void* HANDLE;
typedef void* HMODULE;
typedef void* HINSTANCE;
typedef void* LPVOID;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef void (*FARPROC)();

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(0xFFFFFFFFu))
#define INVALID_SET_FILE_POINTER (static_cast<DWORD>(0xFFFFFFFFu))
#define INVALID_FILE_SIZE (static_cast<DWORD>(0xFFFFFFFFu))

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
// On POSIX a file created with this attribute is private to its owner (mode 0600).
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
// On POSIX: the last part of the path is never followed when it is a symbolic link (O_NOFOLLOW);
// opening one fails.
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000u

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

#define FILE_TYPE_UNKNOWN 0x0000u
#define FILE_TYPE_DISK 0x0001u
#define FILE_TYPE_CHAR 0x0002u
#define FILE_TYPE_PIPE 0x0003u

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

#define LOCKFILE_FAIL_IMMEDIATELY 0x00000001u
#define LOCKFILE_EXCLUSIVE_LOCK 0x00000002u

#define FILE_NAME_NORMALIZED 0x0u
#define VOLUME_NAME_DOS 0x0u

#define ERROR_SUCCESS 0u
#define NO_ERROR 0u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_TOO_MANY_OPEN_FILES 4u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_INVALID_DATA 13u
#define ERROR_NOT_SAME_DEVICE 17u
#define ERROR_NO_MORE_FILES 18u
#define ERROR_WRITE_FAULT 29u
#define ERROR_READ_FAULT 30u
#define ERROR_GEN_FAILURE 31u
#define ERROR_SHARING_VIOLATION 32u
#define ERROR_LOCK_VIOLATION 33u
#define ERROR_NOT_SUPPORTED 50u
#define ERROR_FILE_EXISTS 80u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_DISK_FULL 112u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_PROC_NOT_FOUND 127u
#define ERROR_NEGATIVE_SEEK 131u
#define ERROR_DIR_NOT_EMPTY 145u
#define ERROR_BUSY 170u
#define ERROR_ALREADY_EXISTS 183u
#define ERROR_FILENAME_EXCED_RANGE 206u
#define ERROR_BAD_FILE_TYPE 222u
#define ERROR_FILE_TOO_LARGE 223u
#define ERROR_DIRECTORY 267u

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

struct CRITICAL_SECTION {
  pthread_mutex_t mutex;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// A time in 100-nanosecond units since 1 January 1601 (UTC).
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};

struct SECURITY_ATTRIBUTES;

// Only its presence matters here: locks always cover the whole file.
struct OVERLAPPED {
  uintptr_t Internal;
  uintptr_t InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};

// Critical sections: recursive mutexes.
void InitializeCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);

// Modules. LoadLibraryA is dlopen(RTLD_NOW) of the path with slashes for backslashes;
// GetModuleHandleA finds a loaded library by its file base name (case-insensitive), null naming
// the executable; GetModuleFileNameA of null is /proc/self/exe. As on Windows, a name without a
// path and without an extension also matches NAME.dll, and GetModuleFileNameA cuts a name that
// does not fit to size - 1 characters, terminates it, returns size and sets
// ERROR_INSUFFICIENT_BUFFER.
HMODULE LoadLibraryA(const char* path);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, const char* name);
HMODULE GetModuleHandleA(const char* name);
DWORD GetModuleFileNameA(HMODULE module, char* buf, DWORD size);
// The handle of the library that holds address (dladdr, then dlopen with RTLD_NOLOAD; the
// reference that takes is given back at once).
HMODULE PelokModuleFromAddress(const void* address);

// INI files, read as Windows reads them. Every call looks at the file, so an edit is seen at once.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* default_value,
                               char* out, DWORD size, const char* file);

// Files. As on Windows: a directory cannot be opened as a file, a read-only file cannot be
// opened for writing, deleted or replaced by CREATE_ALWAYS (whoever the process runs as), and
// OPEN_ALWAYS and CREATE_ALWAYS on an existing file leave ERROR_ALREADY_EXISTS as the last error.
// A file handle is never the null pointer. An existing file is opened without waiting: a FIFO
// without a writer or a device that would block is open at once (a FIFO opened for writing
// without a reader fails), and its handle stays non-blocking, so that a read of it returns what
// is there or fails instead of waiting; GetFileType tells such handles from files.
HANDLE CreateFileA(const char* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                   DWORD disposition, DWORD attributes, HANDLE template_file);
BOOL CloseHandle(HANDLE handle);
BOOL ReadFile(HANDLE file, void* buf, DWORD size, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buf, DWORD size, DWORD* written, void* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD method);
BOOL FlushFileBuffers(HANDLE file);
DWORD GetFileSize(HANDLE file, DWORD* size_high);
// FILE_TYPE_DISK for a regular file or a directory, FILE_TYPE_PIPE for a FIFO or a socket,
// FILE_TYPE_CHAR for a device (a block device too: read through a handle it is a stream without
// the end that a file's size gives), FILE_TYPE_UNKNOWN with the last error set on failure.
DWORD GetFileType(HANDLE file);
// From fstat: the volume serial number is the device, the file index the inode, the last write
// and access times the modification and access times (to 100 ns). POSIX keeps no creation time:
// ftCreationTime is 0.
BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);
DWORD GetFileAttributesA(const char* path);
BOOL SetFileAttributesA(const char* path, DWORD attributes);
BOOL DeleteFileA(const char* path);
BOOL CreateDirectoryA(const char* path, SECURITY_ATTRIBUTES* security);
BOOL RemoveDirectoryA(const char* path);
// Replaces new_path by path in one step; with MOVEFILE_WRITE_THROUGH the directory is synced.
BOOL MoveFileExA(const char* path, const char* new_path, DWORD flags);
DWORD GetLastError();
void SetLastError(DWORD error);
// Shortens or lengthens the file to the handle's position (ftruncate).
BOOL SetEndOfFile(HANDLE file);
// The path of the open file with every symbolic link resolved (/proc/self/fd); as on Windows the
// length without the terminator, or the size needed (with it) when buf is too small, 0 on failure.
DWORD GetFinalPathNameByHandleA(HANDLE file, char* buf, DWORD size, DWORD flags);

// Locks: flock of the whole file, shared or exclusive, held by the open file (not by the process
// or the thread), released when the handle closes. The range arguments are ignored. Another
// holder makes a LOCKFILE_FAIL_IMMEDIATELY request fail with ERROR_LOCK_VIOLATION; a file system
// without locks fails with ERROR_NOT_SUPPORTED.
BOOL LockFileEx(HANDLE file, DWORD flags, DWORD reserved, DWORD low, DWORD high,
                OVERLAPPED* overlapped);
BOOL UnlockFileEx(HANDLE file, DWORD reserved, DWORD low, DWORD high, OVERLAPPED* overlapped);

// Directory listing: the pattern's last part may hold "*" and "?" (fnmatch, "." and ".." never
// match); cFileName is the name alone and dwFileAttributes as GetFileAttributesA says (symbolic
// links not followed).
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE find);

// Text: names on POSIX are UTF-8, whose bytes never stand for two-byte characters of a code
// page, so no byte is a lead byte.
BOOL IsDBCSLeadByte(BYTE c);

// Time and process.
void GetLocalTime(SYSTEMTIME* time);
void GetSystemTimeAsFileTime(FILETIME* time);
DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
void Sleep(DWORD milliseconds);

// Debugging: the text goes unchanged to standard error; DebugBreak raises SIGTRAP only when a
// debugger is attached.
void OutputDebugStringA(const char* text);
void DebugBreak();
// 1 when a debugger is attached (TracerPid in /proc/self/status).
BOOL IsDebuggerPresent();

#endif  // PELOK_PLATFORM_POSIX_WIN32_H_

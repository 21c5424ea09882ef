// pelreg's file operations on Windows, on the Win32 API.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "tools/system_files.h"

namespace pelok {
namespace tool {

namespace {

// The reason for a last-error code.
std::string Reason(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return "no such file";
    case ERROR_PATH_NOT_FOUND:
      return "no such directory";
    case ERROR_TOO_MANY_OPEN_FILES:
      return "too many open files";
    case ERROR_ACCESS_DENIED:
      return "permission denied";
    case ERROR_NOT_ENOUGH_MEMORY:
      return "not enough memory";
    case ERROR_WRITE_PROTECT:
      return "the medium is write-protected";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "the file is in use by another program";
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return "no space left on the device";
    case ERROR_FILENAME_EXCED_RANGE:
      return "the name is too long";
    case ERROR_FILE_TOO_LARGE:
      return "the file would be too large";
    case ERROR_DIRECTORY:
      return "it is a directory";
    default:
      return "system error " + std::to_string(code);
  }
}

std::string LastReason() { return Reason(GetLastError()); }

// The attributes of path, or INVALID_FILE_ATTRIBUTES where nothing stands.
DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

HANDLE HandleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The most one WriteFile call is handed.
constexpr size_t kWriteChunk = size_t{1} << 20;

// How long a move over a file is tried again while another process holds that file open.
constexpr ULONGLONG kMoveRetryMilliseconds = 2000;

}  // namespace

bool IsSpecialFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  // A device ("NUL", "COM1") or a pipe opens as a handle of another type than a disk file's.
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool special = GetFileType(file) != FILE_TYPE_DISK;
  CloseHandle(file);
  return special;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         !IsSpecialFile(path);
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsReadOnly(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool ClearReadOnly(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != 0;
}

NewFile CreateNewFile(const std::string& path, std::string* reason) {
  // CREATE_NEW fails on anything already there, a link included, and follows no link.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return NewFile::kCreated;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return NewFile::kTaken;
  *reason = Reason(error);
  return NewFile::kFailed;
}

FileWriter::~FileWriter() {
  if (handle_ != -1) CloseHandle(HandleOf(handle_));
}

bool FileWriter::Open(const std::string& path, std::string* reason) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *reason = LastReason();
    return false;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  return true;
}

bool FileWriter::Write(const void* data, size_t size, std::string* reason) {
  const char* bytes = static_cast<const char*>(data);
  for (size_t done = 0; done < size;) {
    const size_t left = size - done;
    const DWORD chunk = static_cast<DWORD>(left < kWriteChunk ? left : kWriteChunk);
    DWORD wrote = 0;
    if (!WriteFile(HandleOf(handle_), bytes + done, chunk, &wrote, nullptr) || wrote != chunk) {
      const DWORD error = GetLastError();
      *reason = Reason(error == 0 ? ERROR_DISK_FULL : error);
      return false;
    }
    done += chunk;
  }
  return true;
}

bool FileWriter::Sync(std::string* reason) {
  if (FlushFileBuffers(HandleOf(handle_))) return true;
  *reason = LastReason();
  return false;
}

bool MoveOver(const std::string& from, const std::string& to, std::string* reason) {
  // Windows refuses to replace a file another process holds open, and the registry's readers
  // hold the store file for the moment of a read: tried again for as long as the registry's own
  // saves try.
  const ULONGLONG deadline = GetTickCount64() + kMoveRetryMilliseconds;
  for (;;) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
        GetTickCount64() >= deadline) {
      *reason = Reason(error);
      return false;
    }
    Sleep(1);
  }
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

uint32_t ProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

bool IsCodePageLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

const bool kFileNamesIgnoreCase = true;

}  // namespace tool
}  // namespace pelok

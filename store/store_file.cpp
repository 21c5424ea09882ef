#include "store/store_file.h"

#include "pelok/component.h"
#include "util/bounded_string.h"

namespace pelok {

namespace {

// Enough to find a free name even when several damaged files are kept in one millisecond.
constexpr int kSetAsideAttempts = 100;

}  // namespace

int SetAsideName(const char* path, const SYSTEMTIME& time, int attempt, char* out, int out_size) {
  if (path == nullptr || out == nullptr || out_size <= 0 || attempt < 0) return 0;
  const int length =
      attempt == 0
          ? FormatBounded(out, out_size, out_size - 1, "%s.corrupt-%04d%02d%02d-%02d%02d%02d-%03d",
                          path, time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                          time.wSecond, time.wMilliseconds)
          : FormatBounded(out, out_size, out_size - 1,
                          "%s.corrupt-%04d%02d%02d-%02d%02d%02d-%03d-%d", path, time.wYear,
                          time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                          time.wMilliseconds, attempt);
  if (length < 0) {
    out[0] = 0;
    return 0;
  }
  return 1;
}

int FileReadsWhole(const char* path) {
  if (path == nullptr || path[0] == 0) return 0;
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return 0;
  }
  char chunk[4096];
  DWORD read = 0;
  int whole = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr)) {
    if (read == 0) {
      whole = 1;
      break;
    }
  }
  CloseHandle(file);
  return whole;
}

int IsSpecialFile(const char* path) {
  if (path == nullptr || path[0] == 0) return 0;
  const HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const int special = GetFileType(file) != FILE_TYPE_DISK ? 1 : 0;
  CloseHandle(file);
  return special;
}

int SetStoreFileAside(const char* path) {
  // A file that cannot be read (held open by another program, no permission, a read error)
  // did not fail to load for its content; it stays where it is.
  if (!FileReadsWhole(path)) return 0;

  SYSTEMTIME now;
  GetLocalTime(&now);
  for (int attempt = 0; attempt < kSetAsideAttempts; ++attempt) {
    char aside[kPathBufferSize];
    if (!SetAsideName(path, now, attempt, aside, kPathBufferSize)) return 0;
    if (GetFileAttributesA(aside) != INVALID_FILE_ATTRIBUTES) continue;  // taken
    return MoveFileExA(path, aside, MOVEFILE_WRITE_THROUGH) ? 1 : 0;
  }
  return 0;
}

int CreateNewEmptyFile(const char* path) {
  if (path == nullptr || path[0] == 0) return 0;
  const HANDLE file =
      CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  // Closed at once: the document component writes the file by replacing it, which an open
  // handle without delete sharing would block on Windows.
  CloseHandle(file);
  return 1;
}

}  // namespace pelok

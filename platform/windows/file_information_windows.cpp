#include "platform/file_information.h"

BOOL PelokGetFileInformationByName(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  const BOOL told = GetFileInformationByHandle(file, info);
  const DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return told;
}

#include "platform/file_access.h"

BOOL PelokCopyFileAccess(HANDLE source, HANDLE target) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(source, &info)) return FALSE;
  // Zero times leave the target's own; only the attributes are carried over.
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = info.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(target, FileBasicInfo, &basic, sizeof(basic));
}

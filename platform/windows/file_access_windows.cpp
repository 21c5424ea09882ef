#include "platform/file_access.h"

BOOL PelokCopyFileAccess(HANDLE source, HANDLE target) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(source, &info)) return TRUE;
  // Zero times leave the target's own; only the attributes are carried over. Who may use the
  // file is its directory's inherited access on both; the attributes are kept where the file
  // system keeps them, and a file system that refuses them costs nothing else.
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = info.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(target, FileBasicInfo, &basic, sizeof(basic));
  return TRUE;
}

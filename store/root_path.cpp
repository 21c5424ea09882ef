#include "store/root_path.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "framework/module_state.h"
#include "framework/pelok_ptr.h"
#include "pelok/component.h"
#include "pelok/path_name.h"
#include "pelok/register_front.h"
#include "pelok/store_format.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"
#include "util/path.h"

namespace pelok {

namespace {

constexpr char kInvalidPathChars[] = "<>\"|*?";

char g_root_directory[kPathBufferSize];

// Asks the registry for the root directory setting; 1 with the text in value.
int QueryRootSetting(char (&value)[kPathBufferSize]) {
  TPelokPtr<IRegisterFront> front(host::DllRegistryPath(), component_id::kRegisterFront);
  if (!front) return 0;
  // The key is the one the setting program holds open; closing it here would drop its
  // in-memory values, so it stays open.
  uint32_t key = 0;
  if (!front->OpenKey(root::kUser, kRootDirectoryKey, kind::kMemory, static_cast<int>(root::kUser),
                      &key)) {
    return 0;
  }
  int type = value_type::kText;
  int size = kPathBufferSize;
  if (!front->QueryValue(key, kRootDirectoryValue, &type, value, &size)) return 0;
  // Only text names a directory; and a value stored without its terminator must not run on.
  if (type != value_type::kText) return 0;
  value[kPathBufferSize - 1] = 0;
  return 1;
}

}  // namespace

const char* GetRootPath() {
  if (g_root_directory[0] != 0) return g_root_directory;
  char value[kPathBufferSize] = {};
  int found = 0;
  try {
    found = QueryRootSetting(value);
  } catch (...) {
    // Reaching the registry ran out of memory; the executable's directory serves.
  }
  if (!found) {
    std::memset(value, 0, sizeof(value));
    CopyText(value, kPathBufferSize, ExeDirectory());
  }
  std::memcpy(g_root_directory, value, sizeof(value));
  return g_root_directory;
}

int ResolvePath(const char* name, char* out, int out_size) {
  if (!IsAbsolutePathName(name)) return RootJoin(name, out, out_size);
  if (out == nullptr || out_size <= 0 || !FitsIn(name, static_cast<unsigned>(out_size))) {
    return 0;
  }
  return BoundedCopy(out, out_size, name) == kBoundedOk ? 1 : 0;
}

int RootJoin(const char* name, char* out, int out_size) {
  if (name == nullptr || out == nullptr || out_size < 2) return 0;
  // A joined path cut short would name another file (and DeleteStoreFile would delete it),
  // so a join that does not fit is refused.
  if (FormatBounded(out, out_size, out_size - 1, "%s\\%s", GetRootPath(), name) < 0) {
    out[0] = 0;
    return 0;
  }
  out[out_size - 1] = 0;
  return 1;
}

int FileExists(const char* name, int allow_directory) {
  if (name == nullptr || name[0] == 0) return 0;
  char resolved[kPathBufferSize] = {};
  if (!ResolvePath(name, resolved, kPathBufferSize)) return 0;
  const DWORD attributes = GetFileAttributesA(resolved);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  if (allow_directory == 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
  return 1;
}

int PathExists(const char* path) {
  if (path == nullptr || path[0] == 0) return 0;
  char resolved[kPathBufferSize] = {};
  if (!ResolvePath(path, resolved, kPathBufferSize)) return 0;
  return GetFileAttributesA(resolved) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int DeleteStoreFile(const char* name) {
  if (name == nullptr) return 0;
  char resolved[kPathBufferSize] = {};
  if (!ResolvePath(name, resolved, kPathBufferSize)) return 0;
  if (!FileExists(resolved, 1)) return 0;
  const DWORD attributes = GetFileAttributesA(resolved);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesA(resolved, FILE_ATTRIBUTE_NORMAL);
  }
  return DeleteFileA(resolved) ? 1 : 0;
}

int CreateParentDirectory(const char* path) {
  if (path == nullptr || path[0] == 0 || !HasNoInvalidChars(path)) return 0;
  char dir[kPathBufferSize] = {};
  if (!DirectoryPart(path, dir, kPathBufferSize)) return 0;
  return CreateDirectoryIfMissing(dir);
}

int CreateDirectoryIfMissing(const char* dir) {
  if (PathExists(dir)) return 1;
  char resolved[kPathBufferSize] = {};
  if (!ResolvePath(dir, resolved, kPathBufferSize)) return 0;
  return CreateDirectoryA(resolved, nullptr) ? 1 : 0;
}

int HasNoInvalidChars(const char* path) {
  if (path == nullptr) return 0;
  return std::strpbrk(path, kInvalidPathChars) == nullptr ? 1 : 0;
}

int DirectoryPart(const char* path, char* out, int out_size) {
  if (path == nullptr || out == nullptr) return 0;
  char resolved[kPathBufferSize] = {};
  if (!ResolvePath(path, resolved, kPathBufferSize)) return 0;
  const std::string directory = DirectoryOfPathName(resolved);
  if (directory.empty()) return 0;
  const int length = static_cast<int>(directory.size()) - 1;
  if (length <= 0 || length >= out_size) return 0;
  return CopyPrefix(out, out_size, resolved, length);
}

}  // namespace pelok

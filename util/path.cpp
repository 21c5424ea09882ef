#include "util/path.h"

#include <cstring>

#include "pelok/component.h"
#include "platform/native_path.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

namespace {

struct ExeDirectoryBuffer {
  char text[kPathBufferSize] = {0};

  ExeDirectoryBuffer() {
    GetModuleFileNameA(GetModuleHandleA(nullptr), text, kPathBufferSize);
    // Older systems leave a name of the full buffer length unterminated.
    text[kPathBufferSize - 1] = '\0';
    char* cut = nullptr;
    for (char* p = text; *p != '\0'; ++p) {
      if (strchr(kFileNameSeparators, *p) != nullptr) cut = p;
    }
    if (cut != nullptr) *cut = '\0';
  }
};

}  // namespace

std::string FileNameKey(const char* path) {
  std::string key;
  if (path == nullptr) return key;
  for (const char* p = path; *p != '\0'; ++p) {
    char c = *p;
    if (c == '/') c = '\\';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    key.push_back(c);
  }
  return key;
}

const char* LastSeparator(const char* path) {
  if (path == nullptr) return nullptr;
  const char* backslash = strrchr(path, '\\');
  const char* slash = strrchr(path, '/');
  // Where "/" separates too, a path that mixes both (a directory joined with "\\" to a relative
  // name holding "/") is cut at whichever comes last.
  if (strchr(kFileNameSeparators, '/') != nullptr && backslash != nullptr && slash > backslash) {
    return slash;
  }
  return backslash != nullptr ? backslash : slash;
}

int JoinRelative(const char* base, const char* rel, char* out, int out_size) {
  if (base == nullptr || rel == nullptr || out == nullptr || out_size <= 0) return 0;
  out[0] = '\0';
  const char* separator = LastSeparator(base);
  if (separator != nullptr) {
    CopyPrefix(out, out_size, base, static_cast<int>(separator - base) + 1);
  } else {
    CopyText(out, out_size, base);
    AppendText(out, out_size, "\\");
  }
  AppendText(out, out_size, rel);
  return 1;
}

void JoinPath(const char* dir, const char* name, char* out, int out_size) {
  if (out == nullptr || out_size <= 0) return;
  out[0] = '\0';
  if (IsBlank(dir)) {
    CopyText(out, out_size, name);
    return;
  }
  AppendText(out, out_size, dir);
  AppendText(out, out_size, "\\");
  AppendText(out, out_size, name);
}

const char* ExeDirectory() {
  // A function-local static: two threads asking first still fill it only once.
  static const ExeDirectoryBuffer directory;
  return directory.text;
}

int ExeDirJoin(const char* name, char* buf, int buf_size) {
  if (name == nullptr || buf == nullptr || buf_size < 2) return 0;
  FormatBounded(buf, buf_size - 1, buf_size - 1, "%s\\%s", ExeDirectory(), name);
  buf[buf_size - 1] = '\0';
  return 1;
}

}  // namespace pelok

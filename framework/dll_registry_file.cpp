#include "framework/dll_registry_file.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "pelok/component.h"
#include "pelok/path_name.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"
#include "util/path.h"

namespace pelok {

namespace {

constexpr int kRawValueSize = 1024;
constexpr int kFlagSize = 10;

// A name that stands as it is; any other is taken relative to the DLL registry file.
bool NamesItsOwnFile(const char* path) { return IsAbsolutePathName(path); }

// Two spellings of one file as far as a redirect chain is concerned.
bool SameFile(const std::string& a, const char* b) { return FileNameKey(a) == FileNameKey(b); }

void ReadValue(const char* ini_path, const char* section, const char* key,
               const char* default_value, char* out, int out_len) {
  GetPrivateProfileStringA(section, key, default_value, out, static_cast<DWORD>(out_len), ini_path);
}

// A value read into a wide buffer and kept without its surrounding blanks.
void ReadTrimmed(const char* ini_path, const char* section, const char* key,
                 const char* default_value, char* out, int out_len) {
  char raw[kRawValueSize];
  std::memset(raw, 0, sizeof(raw));
  ReadValue(ini_path, section, key, default_value, raw, kRawValueSize);
  TrimBlanks(raw, out, out_len);
}

}  // namespace

std::string SectionOf(int component_id) { return std::to_string(component_id); }

std::string ReadTrimmedValue(const char* ini_path, const char* section, const char* key) {
  // Without a file the system would read its own default one.
  if (ini_path == nullptr || section == nullptr) return "";
  char value[kPathBufferSize];
  std::memset(value, 0, sizeof(value));
  ReadTrimmed(ini_path, section, key, "", value, kPathBufferSize);
  return value;
}

bool NamesModule(const char* ini_path, const char* section) {
  return !ReadTrimmedValue(ini_path, section, kModuleKey).empty();
}

void ResolveRegistryFile(const char* registry_path, char* out, int out_len) {
  ResolveRegistryFile(registry_path, out, out_len, nullptr);
}

void ResolveRegistryFile(const char* registry_path, char* out, int out_len,
                         std::vector<std::string>* files_read) {
  char base[kPathBufferSize];
  std::memset(base, 0, sizeof(base));
  if (registry_path == nullptr || registry_path[0] == '\0') {
    ExeDirJoin("Pelok.ini", base, kPathBufferSize);
  } else if (!NamesItsOwnFile(registry_path)) {
    ExeDirJoin(registry_path, base, kPathBufferSize);
  } else {
    FollowRedirect(registry_path, out, out_len, files_read);
    return;
  }
  FollowRedirect(base, out, out_len, files_read);
}

void FollowRedirect(const char* ini_path, char* out, int out_len) {
  FollowRedirect(ini_path, out, out_len, nullptr);
}

void FollowRedirect(const char* ini_path, char* out, int out_len,
                    std::vector<std::string>* files_read) {
  if (files_read != nullptr) files_read->clear();
  if (out == nullptr || out_len <= 0) return;
  out[0] = '\0';
  if (ini_path == nullptr) return;
  // Every file passed through, so that a chain leading back into itself ends.
  std::vector<std::string> chain{ini_path};
  for (;;) {
    const char* current = chain.back().c_str();
    char next[kPathBufferSize];
    std::memset(next, 0, sizeof(next));
    ReadValue(current, "Redirect", "Path", "", next, kPathBufferSize);
    if (IsBlank(next)) break;
    if (!NamesItsOwnFile(next)) {
      JoinRelative(current, next, out, out_len);
      if (files_read != nullptr) *files_read = chain;
      return;
    }
    bool seen = false;
    for (const std::string& file : chain) seen = seen || SameFile(file, next);
    if (seen) break;
    chain.emplace_back(next);
  }
  CopyText(out, out_len, chain.back().c_str());
  if (files_read != nullptr) *files_read = std::move(chain);
}

void ReadModulePath(const char* ini_path, const char* section, char* out, int out_len) {
  if (out == nullptr || out_len <= 0) return;
  out[0] = '\0';
  // Without a file the system would read its own default one.
  if (ini_path == nullptr || section == nullptr) return;
  char dll[kPathBufferSize];
  std::memset(dll, 0, sizeof(dll));
  ReadTrimmed(ini_path, section, kModuleKey, "", dll, kPathBufferSize);
  if (NamesItsOwnFile(dll)) {
    CopyText(out, out_len, dll);
    return;
  }
  char flag[kFlagSize];
  std::memset(flag, 0, sizeof(flag));
  ReadTrimmed(ini_path, section, "NotUseDefaultDllPath", "0", flag, kFlagSize);
  ResolveModuleValue(ini_path, dll, flag[0] == '1' ? 0 : 1, out, out_len);
}

void ReadFactoryDllPath(const char* ini_path, char* out, int out_len) {
  ReadModulePath(ini_path, SectionOf(component_id::kComponentFactory).c_str(), out, out_len);
}

void ResolveModuleValue(const char* ini_path, const char* dll, int use_default_dir, char* out,
                        int out_len) {
  if (out == nullptr || out_len <= 0) return;
  out[0] = '\0';
  if (ini_path == nullptr || dll == nullptr) return;
  if (NamesItsOwnFile(dll)) {
    CopyText(out, out_len, dll);
    return;
  }
  if (use_default_dir == 0) {
    JoinRelative(ini_path, dll, out, out_len);
    return;
  }
  char dir[kPathBufferSize];
  std::memset(dir, 0, sizeof(dir));
  ReadValue(ini_path, "DefaultValue", "DllPath", "", dir, kPathBufferSize);
  char joined[kPathBufferSize];
  std::memset(joined, 0, sizeof(joined));
  JoinPath(dir, dll, joined, kPathBufferSize);
  if (NamesItsOwnFile(joined)) {
    CopyText(out, out_len, joined);
  } else {
    JoinRelative(ini_path, joined, out, out_len);
  }
}

}  // namespace pelok

// Modules: a module handle is what dlopen returns. Looking a module up never changes its
// reference count: a dlopen with RTLD_NOLOAD is given back at once, the loaded library keeping
// the handle valid.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/posix/ini_text.h"
#include "platform/posix/posix_errors.h"
#include "platform/posix/posix_path.h"
#include "platform/posix_win32.h"

using pelok::posix::PosixPath;

namespace {

struct Executable {
  bool known = false;
  char path[PATH_MAX] = {0};
};

// The executable's full path; null when /proc cannot tell it. Read once, as the path the
// process was started from stays its name (Windows keeps it too, even when the file is moved);
// the loader looks it up on every component's construction.
const char* ExecutablePath() {
  static const Executable executable = [] {
    Executable found;
    const ssize_t n = readlink("/proc/self/exe", found.path, sizeof(found.path) - 1);
    if (n > 0) {
      found.path[n] = '\0';
      found.known = true;
    }
    return found;
  }();
  return executable.known ? executable.path : nullptr;
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A file name without a path and without an extension stands for NAME.dll, as on Windows.
bool NameMatches(std::string_view file_base, std::string_view wanted, bool dll_implied) {
  if (pelok::posix::EqualNoCase(file_base, wanted)) return true;
  constexpr std::string_view kDll = ".dll";
  return dll_implied && file_base.size() == wanted.size() + kDll.size() &&
         pelok::posix::EqualNoCase(file_base.substr(0, wanted.size()), wanted) &&
         pelok::posix::EqualNoCase(file_base.substr(wanted.size()), kDll);
}

struct ModuleSearch {
  std::string_view wanted;  // a base name, or a whole path when has_path
  bool has_path = false;
  bool dll_implied = false;
  const char* executable = nullptr;  // path of the main program, or null if unknown
  bool found = false;
  bool is_executable = false;
  char path[PATH_MAX] = {0};
};

int VisitLoadedObject(struct dl_phdr_info* info, size_t /*size*/, void* data) {
  auto* search = static_cast<ModuleSearch*>(data);
  // The main program is the one object listed without a name.
  const bool is_executable = info->dlpi_name == nullptr || info->dlpi_name[0] == '\0';
  const char* file = is_executable ? search->executable : info->dlpi_name;
  if (file == nullptr) return 0;
  const bool matches = search->has_path
                           ? search->wanted == file
                           : NameMatches(BaseName(file), search->wanted, search->dll_implied);
  if (!matches || std::strlen(file) >= sizeof(search->path)) return 0;
  // Copied: the loader's own string may go with the library once the iteration ends.
  std::strcpy(search->path, file);
  search->is_executable = is_executable;
  search->found = true;
  return 1;
}

// A handle for a library that is already loaded (null: the main program), without keeping a
// reference; null if it is not loaded.
HMODULE HandleOfLoaded(const char* file) {
  void* handle = dlopen(file, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle;
}

// Whether handle is one of the loaded objects. A handle from dlopen is the object's entry in
// the loader's list, so that list is walked; the walk runs inside dl_iterate_phdr, which holds
// the lock that dlclose takes to unlink an entry. A pointer that is not a module handle is
// refused, as Windows refuses it, instead of being handed to dlsym or dlclose.
struct HandleCheck {
  const void* handle;
  bool known;
};

int FindHandleInLoaderList(struct dl_phdr_info* /*info*/, size_t /*size*/, void* data) {
  auto* check = static_cast<HandleCheck*>(data);
  for (const struct link_map* map = _r_debug.r_map; map != nullptr; map = map->l_next) {
    if (map == check->handle) {
      check->known = true;
      break;
    }
  }
  return 1;
}

bool IsModuleHandle(HMODULE module) {
  if (module == nullptr) return false;
  HandleCheck check{module, false};
  dl_iterate_phdr(FindHandleInLoaderList, &check);
  return check.known;
}

// name copied into buf as Windows does: when it does not fit, cut to size - 1 characters and
// terminated, the result being size and the last error ERROR_INSUFFICIENT_BUFFER.
DWORD CopyModuleName(const char* name, char* buf, DWORD size) {
  if (buf == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const size_t length = std::strlen(name);
  if (length < size) {
    std::memcpy(buf, name, length + 1);
    return static_cast<DWORD>(length);
  }
  std::memcpy(buf, name, size - 1);
  buf[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

}  // namespace

HMODULE LoadLibraryA(const char* path) {
  const PosixPath file(path);
  if (!file.ok()) {
    SetLastError(path == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  void* handle = dlopen(file.c_str(), RTLD_NOW);
  if (handle == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
  return handle;
}

BOOL FreeLibrary(HMODULE module) {
  if (!IsModuleHandle(module) || dlclose(module) != 0) {
    return pelok::posix::Fail(ERROR_INVALID_HANDLE);
  }
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (name == nullptr || !IsModuleHandle(module)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* symbol = dlsym(module, name);
  if (symbol == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleA(const char* name) {
  if (name == nullptr) return HandleOfLoaded(nullptr);
  const PosixPath wanted(name);
  if (!wanted.ok()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ModuleSearch search;
  search.wanted = wanted.c_str();
  search.has_path = std::strchr(wanted.c_str(), '/') != nullptr;
  search.dll_implied = !search.has_path && std::strchr(wanted.c_str(), '.') == nullptr;
  search.executable = ExecutablePath();
  dl_iterate_phdr(VisitLoadedObject, &search);
  HMODULE handle = nullptr;
  if (search.found) handle = HandleOfLoaded(search.is_executable ? nullptr : search.path);
  if (handle == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
  return handle;
}

DWORD GetModuleFileNameA(HMODULE module, char* buf, DWORD size) {
  const char* file = nullptr;
  if (module != nullptr) {
    if (!IsModuleHandle(module)) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    struct link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    file = map->l_name;
  }
  char path[PATH_MAX];
  if (file == nullptr || file[0] == '\0') {
    // The main program.
    file = ExecutablePath();
    if (file == nullptr) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
  } else if (file[0] != '/' && realpath(file, path) != nullptr) {
    file = path;  // loaded by a relative path
  }
  return CopyModuleName(file, buf, size);
}

HMODULE PelokModuleFromAddress(const void* address) {
  Dl_info info;
  struct link_map* map = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
      map == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // The main program's entry has no name; dlopen(null) stands for it.
  HMODULE handle = HandleOfLoaded(map->l_name[0] == '\0' ? nullptr : map->l_name);
  if (handle == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
  return handle;
}

#include "factory/module_table.h"

#include <cstring>

#include "factory/path_key.h"
#include "framework/dll_registry_file.h"
#include "pelok/module.h"
#include "util/bounded_string.h"

namespace pelok {

namespace {

constexpr int kPathSize = 260;
constexpr int kRawValueSize = 1024;
// Room for the key names of a "[Modules]" section, each with its terminator.
constexpr int kKeyListSize = 32768;
// More ids than any module serves; a larger count is taken as garbage.
constexpr int kMostIds = 4096;

void ReadTrimmed(const char* ini_path, const char* section, const char* key, char* out,
                 int out_len) {
  char raw[kRawValueSize];
  std::memset(raw, 0, sizeof(raw));
  GetPrivateProfileStringA(section, key, "", raw, sizeof(raw), ini_path);
  TrimBlanks(raw, out, out_len);
}

std::vector<int> ServedIds(HMODULE module) {
  std::vector<int> ids;
  const auto get_ids = ModuleExport<GetComponentIDsFn>(module, "GetComponentIDs");
  if (get_ids == nullptr) return ids;
  const int count = get_ids(nullptr, 0);
  if (count <= 0 || count > kMostIds) return ids;
  ids.resize(static_cast<size_t>(count));
  const int copied = get_ids(ids.data(), static_cast<unsigned>(count));
  if (copied < count) ids.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
  return ids;
}

bool Serves(const std::vector<int>& ids, int component_id) {
  for (int id : ids) {
    if (id == component_id) return true;
  }
  return false;
}

}  // namespace

HMODULE ModuleTable::Acquire(const char* ini_path, int component_id) {
  char section[16];
  FormatBounded(section, sizeof(section), sizeof(section) - 1, "%d", component_id);
  char dll[kPathSize];
  std::memset(dll, 0, sizeof(dll));
  ReadTrimmed(ini_path, section, "DLL", dll, kPathSize);

  LockScope scope(lock_);
  HMODULE module = nullptr;
  if (!IsBlank(dll)) {
    char path[kPathSize];
    std::memset(path, 0, sizeof(path));
    ReadModulePath(ini_path, section, path, kPathSize);
    module = Load(path);
  } else {
    module = Discover(ini_path, component_id);
  }
  if (module != nullptr) ++modules_[module].users;
  return module;
}

void ModuleTable::Release(HMODULE module) {
  LockScope scope(lock_);
  const auto found = modules_.find(module);
  if (found != modules_.end() && found->second.users > 0) --found->second.users;
}

void ModuleTable::MarkIdle(void* module_instance) {
  if (module_instance == nullptr) return;
  LockScope scope(lock_);
  const auto found = modules_.find(static_cast<HMODULE>(module_instance));
  if (found != modules_.end()) {
    found->second.idle = true;
  } else {
    idle_elsewhere_.insert(module_instance);
  }
}

int ModuleTable::UnloadIdle() {
  std::vector<HMODULE> unload;
  {
    LockScope scope(lock_);
    for (const auto& entry : modules_) {
      if (!entry.second.idle || entry.second.users > 0) continue;
      const auto can_unload =
          ModuleExport<PelokDllCanUnloadNowFn>(entry.first, "PelokDllCanUnloadNow");
      if (can_unload != nullptr && can_unload() == 1) unload.push_back(entry.first);
    }
    for (HMODULE module : unload) Forget(module);
  }
  // Outside the lock: a module's detach may still call the factory (its last idle notice).
  for (HMODULE module : unload) FreeLibrary(module);
  return static_cast<int>(unload.size());
}

HMODULE ModuleTable::Load(const char* path) {
  // An empty name would give the executable's own handle on some systems.
  if (IsBlank(path)) return nullptr;
  const std::string key = PathKey(path);
  const auto known = by_path_.find(key);
  if (known != by_path_.end()) return known->second;
  HMODULE module = LoadLibraryA(path);
  if (module == nullptr) return nullptr;
  if (modules_.count(module) != 0) {
    // Another spelling of a module already held: keep a single reference on it.
    FreeLibrary(module);
  } else {
    Module& entry = modules_[module];
    entry.ids = ServedIds(module);
    entry.idle = idle_elsewhere_.erase(module) != 0;
  }
  by_path_[key] = module;
  return module;
}

HMODULE ModuleTable::Discover(const char* ini_path, int component_id) {
  const auto known = served_.find({PathKey(ini_path), component_id});
  if (known != served_.end()) return known->second;

  // The key names, each with its terminator; the last byte of the buffer stays 0 whatever
  // is read, so that the walk below ends inside it.
  std::vector<char> names(kKeyListSize, '\0');
  GetPrivateProfileStringA("Modules", nullptr, "", names.data(), kKeyListSize - 1, ini_path);
  for (size_t at = 0; at < names.size() && names[at] != '\0'; at += std::strlen(&names[at]) + 1) {
    const char* name = &names[at];
    char value[kPathSize];
    std::memset(value, 0, sizeof(value));
    ReadTrimmed(ini_path, "Modules", name, value, kPathSize);
    if (IsBlank(value)) continue;
    char path[kPathSize];
    std::memset(path, 0, sizeof(path));
    ResolveModuleValue(ini_path, value, 1, path, kPathSize);
    HMODULE module = Load(path);
    if (module != nullptr && Serves(modules_[module].ids, component_id)) {
      served_[{PathKey(ini_path), component_id}] = module;
      return module;
    }
  }
  return nullptr;
}

void ModuleTable::Forget(HMODULE module) {
  modules_.erase(module);
  for (auto it = by_path_.begin(); it != by_path_.end();) {
    it = it->second == module ? by_path_.erase(it) : std::next(it);
  }
  for (auto it = served_.begin(); it != served_.end();) {
    it = it->second == module ? served_.erase(it) : std::next(it);
  }
}

}  // namespace pelok

#include "factory/module_table.h"

#include <cstring>

#include "framework/dll_registry_file.h"
#include "pelok/component.h"
#include "pelok/module.h"
#include "util/bounded_string.h"
#include "util/path.h"

namespace pelok {

namespace {

// Room for the key names of a "[Modules]" section, each with its terminator.
constexpr int kKeyListSize = 32768;
// More ids than any module serves; a larger count is taken as garbage.
constexpr int kMostIds = 4096;

std::vector<int> ServedIds(HMODULE module) {
  std::vector<int> ids;
  const auto get_ids = GetExport<GetComponentIDsFn>(module, "GetComponentIDs");
  if (get_ids == nullptr) return ids;
  const int count = get_ids(nullptr, 0);
  if (count <= 0 || count > kMostIds) return ids;
  ids.resize(static_cast<size_t>(count));
  const int copied = get_ids(ids.data(), static_cast<unsigned>(count));
  if (copied < count) ids.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
  return ids;
}

// What a module needs to find the factory by itself: this module's handle and the DLL registry
// path, given through the module's own exports where it has them.
void HandOverFramework(HMODULE module, const char* registry_path) {
  if (const auto set_factory = GetExport<SetFactoryHandleFn>(module, "SetFactoryHandle")) {
    set_factory(PelokModuleFromAddress(reinterpret_cast<const void*>(&HandOverFramework)));
  }
  if (registry_path == nullptr || registry_path[0] == '\0') return;
  if (const auto set_registry = GetExport<SetDLLRegistryFn>(module, "SetDLLRegistry")) {
    // A copy: the path may be the module's own setting, which SetDLLRegistry writes.
    char path[kPathBufferSize];
    std::memset(path, 0, sizeof(path));
    CopyText(path, sizeof(path), registry_path);
    set_registry(path);
  }
}

bool Serves(const std::vector<int>& ids, int component_id) {
  for (int id : ids) {
    if (id == component_id) return true;
  }
  return false;
}

}  // namespace

HMODULE ModuleTable::Acquire(const char* ini_path, const char* registry_path,
                             const std::string& module_path, int component_id) {
  if (module_path.empty()) return Discover(ini_path, registry_path, component_id);
  return AcquirePath(module_path.c_str(), registry_path);
}

void ModuleTable::Release(HMODULE module) {
  LockScope scope(lock_);
  const auto found = modules_.find(module);
  if (found != modules_.end() && found->second.users > 0) --found->second.users;
}

void ModuleTable::MarkIdle(void* module_instance) {
  if (module_instance == nullptr) return;
  LockScope scope(idle_lock_);
  idle_.insert(module_instance);
}

int ModuleTable::UnloadIdle() {
  // Idle modules not in use, held meanwhile so that no one else unloads them.
  std::vector<HMODULE> candidates;
  {
    LockScope scope(lock_);
    LockScope idle_scope(idle_lock_);
    for (auto& entry : modules_) {
      if (entry.second.users > 0 || idle_.count(entry.first) == 0) continue;
      ++entry.second.users;
      candidates.push_back(entry.first);
    }
  }
  std::vector<HMODULE> unloadable;
  for (HMODULE module : candidates) {
    const auto can_unload = GetExport<PelokDllCanUnloadNowFn>(module, "PelokDllCanUnloadNow");
    if (can_unload != nullptr && can_unload() == 1) unloadable.push_back(module);
  }
  std::vector<HMODULE> unload;
  {
    LockScope scope(lock_);
    for (HMODULE module : candidates) Release(module);
    for (HMODULE module : unloadable) {
      // Taken again while it was being asked: it stays.
      if (modules_[module].users > 0) continue;
      Forget(module);
      unload.push_back(module);
    }
  }
  for (HMODULE module : unload) FreeLibrary(module);
  return static_cast<int>(unload.size());
}

HMODULE ModuleTable::AcquirePath(const char* path, const char* registry_path) {
  // An empty name would give the executable's own handle on some systems.
  if (IsBlank(path)) return nullptr;
  const std::string key = FileNameKey(path);
  {
    LockScope scope(lock_);
    const auto known = by_path_.find(key);
    if (known != by_path_.end()) {
      ++modules_[known->second].users;
      return known->second;
    }
  }
  HMODULE module = LoadLibraryA(path);
  if (module == nullptr) return nullptr;
  std::vector<int> ids = ServedIds(module);
  bool held_already = false;
  {
    LockScope scope(lock_);
    const auto found = modules_.find(module);
    held_already = found != modules_.end();
    Module& entry = held_already ? found->second : modules_[module];
    if (!held_already) entry.ids = std::move(ids);
    ++entry.users;
    by_path_[key] = module;
  }
  // The table keeps a single reference on a module, whatever spelling or thread loaded it.
  if (held_already) {
    FreeLibrary(module);
  } else {
    HandOverFramework(module, registry_path);
  }
  return module;
}

HMODULE ModuleTable::Discover(const char* ini_path, const char* registry_path,
                              int component_id) {
  const std::pair<std::string, int> request{FileNameKey(ini_path), component_id};
  {
    LockScope scope(lock_);
    const auto known = served_.find(request);
    if (known != served_.end()) {
      ++modules_[known->second].users;
      return known->second;
    }
  }

  // The key names, each with its terminator; the last byte of the buffer stays 0 whatever
  // is read, so that the walk below ends inside it.
  std::vector<char> names(kKeyListSize, '\0');
  GetPrivateProfileStringA(kModulesSection, nullptr, "", names.data(), kKeyListSize - 1, ini_path);
  for (size_t at = 0; at < names.size() && names[at] != '\0'; at += std::strlen(&names[at]) + 1) {
    const std::string value = ReadTrimmedValue(ini_path, kModulesSection, &names[at]);
    if (value.empty()) continue;
    char path[kPathBufferSize];
    std::memset(path, 0, sizeof(path));
    ResolveModuleValue(ini_path, value.c_str(), 1, path, kPathBufferSize);
    HMODULE module = AcquirePath(path, registry_path);
    if (module == nullptr) continue;
    LockScope scope(lock_);
    if (Serves(modules_[module].ids, component_id)) {
      served_[request] = module;
      return module;
    }
    Release(module);
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
  // Loaded again later, it has to say again that it is idle.
  LockScope idle_scope(idle_lock_);
  idle_.erase(module);
}

}  // namespace pelok

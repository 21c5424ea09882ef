// The component modules the factory module has loaded: which module serves which component id
// for a DLL registry file, and which modules have said they are idle.
//
// The table holds one reference (one LoadLibraryA) on each module it loaded, whatever spelling
// of its path named it, and gives it back only in UnloadIdle. A module entering the table is
// first handed the factory module's own handle (its SetFactoryHandle export, where it has one)
// and the DLL registry path the factory was asked with (SetDLLRegistry), before anything is
// created in it: a module that the factory loaded on its own, or loaded again after it went idle,
// then finds the factory as a module the host program loaded and configured does.
#ifndef PELOK_FACTORY_MODULE_TABLE_H_
#define PELOK_FACTORY_MODULE_TABLE_H_

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "factory/factory_lock.h"
#include "platform/win32_api.h"

namespace pelok {

class ModuleTable {
 public:
  ModuleTable() = default;
  ModuleTable(const ModuleTable&) = delete;
  ModuleTable& operator=(const ModuleTable&) = delete;

  // The module that serves component_id for the DLL registry file ini_path (already resolved),
  // loaded if need be: module_path, the module the "[id]" section names, when not empty; else
  // the first module listed under "[Modules]" whose GetComponentIDs names the id. Null when
  // there is none. A module handed out is not unloaded until its Release. registry_path is the
  // DLL registry path as the factory was asked with it, handed to a module entering the table
  // (nothing is handed for a null or empty one).
  HMODULE Acquire(const char* ini_path, const char* registry_path, const std::string& module_path,
                  int component_id);
  void Release(HMODULE module);

  // The module with that instance handle has no live instance left. A module the table has not
  // loaded is remembered, and counts as idle if the table loads it later.
  void MarkIdle(void* module_instance);
  // Frees every idle module that is not in use and whose PelokDllCanUnloadNow says 1. Returns
  // the number freed. Must not be called from inside one of those modules' calls.
  int UnloadIdle();

 private:
  struct Module {
    std::vector<int> ids;  // what its GetComponentIDs reported when it was loaded
    int users = 0;         // Acquire calls not yet released
  };

  // The module at path, loaded once per module, and held for the caller as Acquire does.
  HMODULE AcquirePath(const char* path, const char* registry_path);
  HMODULE Discover(const char* ini_path, const char* registry_path, int component_id);
  // Under lock_.
  void Forget(HMODULE module);

  // Guards the tables below. Never held while a module's own code runs (its loading included):
  // a module may hold a lock of its own when it calls the factory.
  FactoryLock lock_;
  std::map<HMODULE, Module> modules_;
  std::map<std::string, HMODULE> by_path_;
  // Per DLL registry file: component id -> the module found serving it under "[Modules]".
  std::map<std::pair<std::string, int>, HMODULE> served_;

  // Guards idle_ alone, so that an idle notice never waits for the tables; taken after lock_
  // where both are needed.
  FactoryLock idle_lock_;
  std::set<void*> idle_;
};

}  // namespace pelok

#endif  // PELOK_FACTORY_MODULE_TABLE_H_

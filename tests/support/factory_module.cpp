#include "tests/support/factory_module.h"

#include "platform/win32_api.h"
#include "tests/support/module_loader.h"

namespace pelok {
namespace test {

bool FactoryModule::complete() const {
  return CreateComponent != nullptr && GetComponentIDs != nullptr &&
         PelokDllCanUnloadNow != nullptr && PelokUnloadIdleModules != nullptr &&
         factory != nullptr && allocator != nullptr;
}

const FactoryModule& Factory() {
  static LoadedModule module(BinPath("PelFact.dll"));
  static const FactoryModule exports = [] {
    FactoryModule loaded;
    loaded.CreateComponent = module.Get<CreateComponentFn>("CreateComponent");
    loaded.GetComponentIDs = module.Get<GetComponentIDsFn>("GetComponentIDs");
    loaded.PelokDllCanUnloadNow = module.Get<PelokDllCanUnloadNowFn>("PelokDllCanUnloadNow");
    loaded.PelokUnloadIdleModules = module.Get<PelokUnloadIdleModulesFn>("PelokUnloadIdleModules");
    if (loaded.CreateComponent != nullptr) {
      loaded.factory = static_cast<IComponentFactory*>(
          loaded.CreateComponent(component_id::kComponentFactory, 0));
      loaded.allocator =
          static_cast<IAllocator*>(loaded.CreateComponent(component_id::kAllocator, 0));
    }
    return loaded;
  }();
  return exports;
}

std::string WriteRegistryFile(const TempDir& dir, const std::string& name,
                              const std::string& text) {
  const std::string path = dir.Join(name);
  WriteFileBytes(path, text);
  return path;
}

std::string ModulePath(const std::string& file) { return BinPath(file); }

bool ModuleIsLoaded(const char* file) { return GetModuleHandleA(file) != nullptr; }

}  // namespace test
}  // namespace pelok

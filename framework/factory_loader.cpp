#include "framework/factory_loader.h"

#include <cstring>

#include "framework/module_state.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

using ModuleCreateComponent = IComponent* (*)(int component_id, int creator_id);

IComponentFactory* OpenFactory(const char* registry_path) {
  void* module = LoadFactoryModule(registry_path);
  if (module == nullptr) {
    ErrorPrint("[Pelok_Error] Load PelFact.dll Fail.\n");
    return nullptr;
  }
  IComponent* factory = CreateFromModule(module, component_id::kComponentFactory);
  if (factory == nullptr) ErrorPrint("[Pelok_Error] Create ComponentFactory in PelFact.dll Fail\n");
  return static_cast<IComponentFactory*>(factory);
}

void* LoadFactoryModule(const char* registry_path) {
  if (void* given = host::FactoryModule()) return given;
  char ini_path[kPathBufferSize];
  std::memset(ini_path, 0, sizeof(ini_path));
  ResolveRegistryFile(registry_path, ini_path, sizeof(ini_path));
  char dll_path[kPathBufferSize];
  std::memset(dll_path, 0, sizeof(dll_path));
  ReadFactoryDllPath(ini_path, dll_path, sizeof(dll_path));
  // The factory module stays loaded for the life of the process.
  return reinterpret_cast<void*>(LoadLibraryA(dll_path));
}

IComponent* CreateFromModule(void* module, int component_id) {
  const auto create =
      GetExport<ModuleCreateComponent>(static_cast<HMODULE>(module), "CreateComponent");
  if (create == nullptr) {
    ErrorPrint("[Pelok_Error] Can't find CreateComponent().\n");
    return nullptr;
  }
  IComponent* component = create(component_id, 0);
  if (component == nullptr) {
    ErrorPrint("[Pelok_Error] CreateComponent(ComponentId=%u) return null.\n",
               static_cast<unsigned>(component_id));
  }
  return component;
}

IComponentFactory* FindLoadedFactory() {
  HMODULE module = GetModuleHandleA("PelFact.dll");
  if (module == nullptr) return nullptr;
  const auto create = GetExport<ModuleCreateComponent>(module, "CreateComponent");
  if (create == nullptr) {
    OutputDebugStringA("Can't find CreateComponent() in PelFact.dll or PelFact.dll is missed\n");
    return nullptr;
  }
  IComponent* factory = create(component_id::kComponentFactory, 0);
  if (factory == nullptr) {
    OutputDebugStringA("Invoke CreateComponent() in PelFact.dll return null.\n");
  }
  return static_cast<IComponentFactory*>(factory);
}

}  // namespace pelok

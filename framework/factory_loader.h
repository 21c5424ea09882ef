// Finding and loading the factory module ("PelFact.dll") through the DLL registry file.
#ifndef PELOK_FRAMEWORK_FACTORY_LOADER_H_
#define PELOK_FRAMEWORK_FACTORY_LOADER_H_

#include "pelok/component_factory.h"
#include "framework/dll_registry_file.h"

namespace pelok {

// The ComponentFactory of the factory module, loading the module if need be; null on failure
// (with its "[Pelok_Error]" message).
IComponentFactory* OpenFactory(const char* registry_path);
// The handle given by SetFactoryHandle, else LoadLibraryA of the module the file names.
void* LoadFactoryModule(const char* registry_path);
// The module's CreateComponent(component_id, 0), or null with its message.
IComponent* CreateFromModule(void* module, int component_id);
// The factory component of an already loaded "PelFact.dll"; null (silently) when not loaded.
IComponentFactory* FindLoadedFactory();

}  // namespace pelok

#endif  // PELOK_FRAMEWORK_FACTORY_LOADER_H_

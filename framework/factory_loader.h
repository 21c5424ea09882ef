// Finding and loading the factory module ("PelFact.dll") through the DLL registry file (an INI
// file, "Pelok.ini" in the executable's directory by default).
#ifndef PELOK_FRAMEWORK_FACTORY_LOADER_H_
#define PELOK_FRAMEWORK_FACTORY_LOADER_H_

#include "framework/component_factory.h"

namespace pelok {

// The ComponentFactory of the factory module, loading the module if need be; null on failure
// (with its "[Pelok_Error]" message).
IComponentFactory* OpenFactory(const char* registry_path);
// The handle given by SetFactoryHandle, else LoadLibraryA of the module the file names.
void* LoadFactoryModule(const char* registry_path);
// The DLL registry file to read: the default or relative name against the executable's
// directory, then its redirects.
void ResolveRegistryFile(const char* registry_path, char* out, int out_len);
// Follows "Redirect"/"Path": relative redirects once, absolute ones along the chain. A chain that
// comes back to a file it has already named stops there.
void FollowRedirect(const char* ini_path, char* out, int out_len);
// The factory module's path from the "361" and "DefaultValue" sections.
void ReadFactoryDllPath(const char* ini_path, char* out, int out_len);
// The module's CreateComponent(component_id, 0), or null with its message.
IComponent* CreateFromModule(void* module, int component_id);
// The factory component of an already loaded "PelFact.dll"; null (silently) when not loaded.
IComponentFactory* FindLoadedFactory();

}  // namespace pelok

#endif  // PELOK_FRAMEWORK_FACTORY_LOADER_H_

// The module's seven exports: the only names the module exports.
#include <cstdint>

#include "framework/module_state.h"
#include "pelok/component.h"
#include "pelok/export.h"

using pelok::IComponent;

extern "C" {

// Creates (or, for the singleton, returns) a component and records it in the live-instance map.
PELOK_EXPORT IComponent* CreateComponent(int component_id, int creator_id) {
  return pelok::host::CreateRecordedComponent(component_id, creator_id);
}

// Copies the ids of the first min(count, registered) classes; returns the number registered.
PELOK_EXPORT int GetComponentIDs(int* dst, unsigned count) {
  return pelok::host::CopyComponentIds(dst, count);
}

// The DLL registry file; a path of 260 characters or more (or null) empties it. Always 0.
PELOK_EXPORT int SetDLLRegistry(const char* path) {
  pelok::host::SetDllRegistryPath(path);
  return 0;
}

// The factory module's handle; while it is set no DLL registry file is read to find it.
PELOK_EXPORT void* SetFactoryHandle(void* module) {
  pelok::host::SetFactoryModule(module);
  return module;
}

// Destroys every recorded instance whose auto-free mark is set.
PELOK_EXPORT void PelokDllFreeMap() { pelok::host::FreeAutoFreeInstances(); }

// 1 when no instance is recorded.
PELOK_EXPORT int PelokDllCanUnloadNow() { return pelok::host::LiveInstanceCount() == 0 ? 1 : 0; }

// 0 makes every Destroy a no-op (for a process that is tearing down); non-zero allows it again.
PELOK_EXPORT int PelokSetDllSafe(int flag) {
  pelok::host::SetDllSafe(flag);
  return flag;
}

}  // extern "C"

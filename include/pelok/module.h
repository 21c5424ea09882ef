// The C entry points of the three modules, as a host program looks them up with GetProcAddress
// (dlsym on Linux). Every module keeps its Windows file name on every system:
//
//   PelReg.dll   the registry: CreateComponent, GetComponentIDs, SetDLLRegistry,
//                SetFactoryHandle, PelokDllFreeMap, PelokDllCanUnloadNow, PelokSetDllSafe
//   PelFact.dll  the factory: CreateComponent, GetComponentIDs, PelokDllCanUnloadNow,
//                PelokUnloadIdleModules
//   PelXml.dll   the XML document: CreateComponent, GetComponentIDs, PelokDllCanUnloadNow
//
// pelok/loader.h does all of this in one call; these are for programs that load by hand.
#ifndef PELOK_MODULE_H_
#define PELOK_MODULE_H_

#include "pelok/component.h"

namespace pelok {

// A new component of that id (or the singleton, for a singleton class), or null for an id the
// module does not serve. creator_id is recorded for the leak report only. The factory module
// serves 361 (its ComponentFactory) and 3 (the allocator).
using CreateComponentFn = IComponent* (*)(int component_id, int creator_id);
// Copies the first min(count, total) ids the module serves into dst; returns the total, so
// (nullptr, 0) asks for the number.
using GetComponentIDsFn = int (*)(int* dst, unsigned count);
// The DLL registry file the module's components read to find the factory module. A path of 260
// characters or more, or null, sets the empty path (then "Pelok.ini" beside the executable is
// read). Returns 0 by design, on success too: the result carries no meaning.
using SetDLLRegistryFn = int (*)(const char* path);
// The factory module's handle: when set, the module's components reach the factory through it
// and read no DLL registry file to find it. Returns the handle it was given.
using SetFactoryHandleFn = void* (*)(void* module);
// Destroys every live component whose auto-free mark is set (SetAutoFree(1)).
using PelokDllFreeMapFn = void (*)();
// 1 when the module has no live component (it may be unloaded), else 0.
using PelokDllCanUnloadNowFn = int (*)();
// 0 stops components from being freed (their Destroy does nothing) while the host program tears
// down; non-zero allows it again. Returns the flag it was given.
using PelokSetDllSafeFn = int (*)(int flag);

// Export of the factory module: unloads the modules that announced they are idle and whose
// PelokDllCanUnloadNow says 1. Returns the number of modules unloaded. Call it from the host
// program only, never from inside a call of one of those modules.
using PelokUnloadIdleModulesFn = int (*)();

}  // namespace pelok

#endif  // PELOK_MODULE_H_

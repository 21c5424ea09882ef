// The C entry points of a component module, as a host program looks them up.
#ifndef PELOK_MODULE_H_
#define PELOK_MODULE_H_

#include "pelok/component.h"

namespace pelok {

using CreateComponentFn = IComponent* (*)(int component_id, int creator_id);
using GetComponentIDsFn = int (*)(int* dst, unsigned count);
using SetDLLRegistryFn = int (*)(const char* path);
using SetFactoryHandleFn = void* (*)(void* module);
using PelokDllFreeMapFn = void (*)();
using PelokDllCanUnloadNowFn = int (*)();
using PelokSetDllSafeFn = int (*)(int flag);

// Export of the factory module: unloads the modules that announced they are idle and whose
// PelokDllCanUnloadNow says 1. Returns the number of modules unloaded.
using PelokUnloadIdleModulesFn = int (*)();

}  // namespace pelok

#endif  // PELOK_MODULE_H_

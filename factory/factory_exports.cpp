// The factory module's exports: the only names the module exports.
#include "factory/factory_component.h"
#include "factory/tagged_allocator.h"
#include "pelok/component.h"
#include "pelok/export.h"

using pelok::IComponent;

namespace {

// The allocator and the factory serve the whole process; they live as long as the module.
pelok::TaggedAllocator& Allocator() {
  static pelok::TaggedAllocator allocator;
  return allocator;
}

pelok::FactoryComponent& Factory() {
  static pelok::FactoryComponent factory(&Allocator());
  return factory;
}

constexpr int kServedIds[] = {pelok::component_id::kComponentFactory,
                              pelok::component_id::kAllocator};
constexpr unsigned kServedCount = sizeof(kServedIds) / sizeof(kServedIds[0]);

}  // namespace

extern "C" {

// 361 the ComponentFactory, 3 the allocator (the same object on every call), else null.
PELOK_EXPORT IComponent* CreateComponent(int component_id, int /*creator_id*/) {
  if (component_id == pelok::component_id::kComponentFactory) return &Factory();
  if (component_id == pelok::component_id::kAllocator) return &Allocator();
  return nullptr;
}

// Copies the first min(count, 2) of 361 and 3; returns 2.
PELOK_EXPORT int GetComponentIDs(int* dst, unsigned count) {
  for (unsigned i = 0; dst != nullptr && i < count && i < kServedCount; ++i) dst[i] = kServedIds[i];
  return static_cast<int>(kServedCount);
}

// Never: components of every module keep pointers to the factory and its trace files.
PELOK_EXPORT int PelokDllCanUnloadNow() { return 0; }

// Frees the modules that the factory loaded, that have announced they are idle and whose
// PelokDllCanUnloadNow now says 1; returns how many. For the host program only, never from
// inside a call of one of those modules.
PELOK_EXPORT int PelokUnloadIdleModules() { return Factory().UnloadIdleModules(); }

}  // extern "C"

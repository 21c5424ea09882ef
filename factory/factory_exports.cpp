// The factory module's exports: the only names the module exports.
#include <atomic>

#include "factory/factory_component.h"
#include "factory/module_teardown.h"
#include "factory/tagged_allocator.h"
#include "pelok/component.h"
#include "pelok/export.h"

using pelok::IComponent;

namespace {

// The allocator and the factory serve the whole process, and the last calls into them may come
// from a host program's global destructors: a front released there frees its blocks. Static
// objects of this module would be destroyed before those destructors run (they are built
// later, on first use), so the two are built once on the heap and deleted only when the module
// itself goes (ReleaseFactoryModule), which the system does after the program's destructors.
struct Served {
  pelok::TaggedAllocator allocator;
  pelok::FactoryComponent factory{&allocator};
};

std::atomic<Served*> served{nullptr};

Served& TheServed() {
  Served* current = served.load(std::memory_order_acquire);
  if (current != nullptr) return *current;
  auto* made = new Served;
  if (served.compare_exchange_strong(current, made, std::memory_order_acq_rel)) return *made;
  delete made;  // another thread was first
  return *current;
}

pelok::TaggedAllocator& Allocator() { return TheServed().allocator; }
pelok::FactoryComponent& Factory() { return TheServed().factory; }

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

namespace pelok {

void ReleaseFactoryModule() { delete served.exchange(nullptr); }

}  // namespace pelok

// Recording instances, destroying the auto-free ones, the idle notification and the leak report.
#include "framework/live_instance_map.h"

#include <atomic>
#include <cinttypes>
#include <iterator>
#include <map>
#include <set>

#include "framework/module_state.h"
#include "framework/pelok_ptr.h"
#include "util/bounded_string.h"

namespace pelok {
namespace host {
namespace {

using LiveInstanceMap = std::map<IComponent*, LiveInstanceRecord>;

// Built on first use (during the static registrations) and freed at detach, after the report:
// the report must still see it, whatever order the runtime tears statics down in.
LiveInstanceMap* g_live_instances = nullptr;
std::atomic<int> g_live_count{0};
// Instances that FreeAutoFreeInstances deleted, until their address is recorded again or a
// Destroy that was under way on another thread finds the mark.
std::set<const void*>* g_freed_by_map = nullptr;

std::set<const void*>& FreedByMap() {
  if (g_freed_by_map == nullptr) g_freed_by_map = new std::set<const void*>;
  return *g_freed_by_map;
}

LiveInstanceMap& Map() {
  if (g_live_instances == nullptr) g_live_instances = new LiveInstanceMap;
  return *g_live_instances;
}

void UpdateCount() { g_live_count = static_cast<int>(Map().size()); }

// Tells the factory component that this module has no instance left.
void NotifyModuleIdle() {
  IdleNotifier notifier;
  if (notifier.get() != nullptr) notifier.get()->OnModuleIdle(ModuleInstance());
}

const char kSeparator[] =
    "Pelok[Error]:=================================================================\n";

}  // namespace

IComponent* CreateRecordedComponent(int component_id, int creator_id) {
  const uint32_t creator = static_cast<uint32_t>(creator_id);
  const FactoryCallback factory = FindFactory(component_id);
  IComponent* component = nullptr;
  if (factory == nullptr) {
    DebugPrint("Pelok[Error]: Can't find the factory method of Component\n");
  } else {
    component = factory();
    if (component == nullptr) DebugPrint("Pelok[Error]:CreateComponent method return NULL.\n");
  }
  if (component == nullptr) {
    DebugPrint("Pelok[Error]: ComponentID=%d CreatorID=%u", component_id, creator);
    return nullptr;
  }
  EnterHostLock();
  try {
    if (g_freed_by_map != nullptr) g_freed_by_map->erase(component);
    Map()[component] = LiveInstanceRecord{component_id, creator, component};
  } catch (...) {
    // The instance works unrecorded; it cannot be reported or auto-freed.
  }
  UpdateCount();
  LeaveHostLock();
  return component;
}

void UnregisterInstance(IComponent* component, int notify_factory) {
  EnterHostLock();
  LiveInstanceMap& map = Map();
  const auto found = map.find(component);
  if (found == map.end()) {
    DebugPrint("Pelok[Error]: To remove a component not exist\n");
    DebugPrint("Pelok[Error]: IComponent* = 0x%p\n", static_cast<void*>(component));
  } else {
    map.erase(found);
  }
  UpdateCount();
  if (map.empty() && notify_factory != 0) NotifyModuleIdle();
  LeaveHostLock();
}

void FreeAutoFreeInstances() {
  EnterHostLock();
  LiveInstanceMap& map = Map();
  auto it = map.begin();
  while (it != map.end()) {
    IComponent* const key = it->first;
    if (key->GetAutoFree() != 0) key->Destroy(0);
    // Destroy may have erased this entry (and only this one): then start over.
    const auto again = map.find(key);
    if (again == map.end()) {
      try {
        FreedByMap().insert(key);
      } catch (...) {
        // Out of memory: a Destroy racing this one is not caught.
      }
    }
    it = again != map.end() ? std::next(again) : map.begin();
  }
  LeaveHostLock();
}

bool TakeFreedByMapMark(const void* component) {
  if (g_freed_by_map == nullptr) return false;
  return g_freed_by_map->erase(component) != 0;
}

int LiveInstanceCount() { return g_live_count.load(); }

void ReportLeaks() {
  EnterHostLock();
  LiveInstanceMap& map = Map();
  if (!map.empty()) {
    DebugPrint("%s", kSeparator);
    DebugPrint("Pelok[Error]:Found leak Pelok components. Count:%d\n",
               static_cast<int>(map.size()));
    for (const auto& entry : map) {
      DebugPrint("Pelok[Error]:ComponentID:0x%08x CreatorID:0x%08x Pointer:0x%08" PRIxPTR "\n",
                 static_cast<unsigned>(entry.second.componentId), entry.second.creatorId,
                 reinterpret_cast<uintptr_t>(entry.second.component));
    }
    DebugPrint("%s", kSeparator);
  }
  LeaveHostLock();
}

void FreeLiveInstanceMap() {
  delete g_live_instances;
  g_live_instances = nullptr;
  delete g_freed_by_map;
  g_freed_by_map = nullptr;
  g_live_count = 0;
}

}  // namespace host
}  // namespace pelok

// The host's module-wide services used by the rest of the module: the factory table, the
// live-instance map, the host lock and the settings given through the exports.
#ifndef PELOK_FRAMEWORK_MODULE_STATE_H_
#define PELOK_FRAMEWORK_MODULE_STATE_H_

#include "pelok/component.h"

namespace pelok {
namespace host {

using FactoryCallback = IComponent* (*)();

// Appends a component class to the factory table (at most 512; id 0 or null is ignored).
void RegisterFactory(int component_id, FactoryCallback factory);
// The factory of the first entry with that id, or null.
FactoryCallback FindFactory(int component_id);
// Number of registered classes, and their ids in table order.
int CopyComponentIds(int* dst, unsigned count);

// Creates through the factory table and records the instance (the CreateComponent export).
IComponent* CreateRecordedComponent(int component_id, int creator_id);
// Removes a destroyed instance from the live-instance map; when the map becomes empty and
// notify_factory is set, tells the factory component that the module is idle.
void UnregisterInstance(IComponent* component, int notify_factory);
// Destroys every recorded instance whose auto-free mark is set.
void FreeAutoFreeInstances();
// Under the host lock, first thing in a Destroy: true when FreeAutoFreeInstances has deleted the
// instance at this address since it was last recorded, so that a Destroy of it that another
// thread began meanwhile must not touch it again (the mark is used up). The address is only
// compared, never followed.
bool TakeFreedByMapMark(const void* component);
// Number of recorded instances (read without the lock).
int LiveInstanceCount();

void EnterHostLock();
void LeaveHostLock();

// 1 while components may be destroyed.
int DllSafe();
void SetDllSafe(int flag);
// The DLL registry path given by SetDLLRegistry ("" by default): a copy read under the host
// lock, valid on the calling thread until its next call.
const char* DllRegistryPath();
void SetDllRegistryPath(const char* path);
// The factory module handle given by SetFactoryHandle, or null.
void* FactoryModule();
void SetFactoryModule(void* module);
// The module's own instance handle, recorded at process attach.
void* ModuleInstance();

// The module's entry point.
void OnProcessAttach(void* module_instance);
void OnProcessDetach();

}  // namespace host
}  // namespace pelok

#endif  // PELOK_FRAMEWORK_MODULE_STATE_H_

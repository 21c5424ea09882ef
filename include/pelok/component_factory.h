// The framework's factory module ("PelFact.dll"): its ComponentFactory (component 361), through
// which a host program obtains the register front (991) and every other component, the
// allocator (component 3), and the registration record a component hands to the factory.
//
// A host program needs only CreateInstance: the factory module's export CreateComponent(361, 0)
// gives the factory, and factory->CreateInstance(991, dll_registry_file) the register front.
#ifndef PELOK_COMPONENT_FACTORY_H_
#define PELOK_COMPONENT_FACTORY_H_

#include <cstdint>

#include "pelok/component.h"

namespace pelok {

// The trace settings of one component, filled by the factory at registration. Every field keeps
// its width on 32-bit Windows (112 bytes); the handle and the lock are pointer-sized elsewhere.
struct RegistrationRecord {
  int32_t debugMask;  // the bit of value 2: trace lines go to the debugger output
  int32_t fileMask;   // the bit of value 2: trace lines go to the trace file
  intptr_t traceFile;  // open file handle, -1 for none
  intptr_t traceLock;  // CRITICAL_SECTION* shared by every writer of traceFile, 0 for none
  char traceName[64];
  char recordText1[16];
  char recordText2[16];
};
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RegistrationRecord) == 112, "the registration record is 112 bytes");
#endif

// Component 361. Slots 8 and 9 are reserved (harmless bodies, result 0).
struct IComponentFactory : IComponent {
  // The component of that id (361 the factory, 3 the allocator), or null when no module that
  // the DLL registry file registry_path names serves it (null or empty: "Pelok.ini" beside the
  // executable). The caller releases it with Destroy(0); the factory and the allocator ignore
  // Destroy, the register front (a singleton) ends only with Destroy(1).
  virtual IComponent* CreateInstance(int component_id, const char* registry_path) = 0;
  // Called by a component as it is built; a host program does not call it. Fills the masks and
  // traceName, and may point *result at two words {traceLock, traceFile}. 0 for a null record.
  virtual int RegisterRecord(const char* registry_path, int component_id,
                             RegistrationRecord* record, int32_t* file_mask,
                             intptr_t** result) = 0;
  // Called when a singleton is first built; a host program does not call it. 1, or 0 for null.
  virtual int RegisterSingleton(IComponent* singleton) = 0;
  virtual int Reserved8() = 0;
  virtual int Reserved9() = 0;
  // The module whose instance handle is given has no live instance left; the factory's export
  // PelokUnloadIdleModules may then unload it. 1, or 0 for a null handle.
  virtual int OnModuleIdle(void* module_instance) = 0;
};

// Component 3: memory blocks tagged with the id of the component that asked for them.
struct IAllocator : IComponent {
  virtual void* AllocateTagged(int owner_id, unsigned size) = 0;
  // 0 for a pointer this allocator did not hand out (nothing is freed then).
  virtual int FreeTagged(void* block) = 0;
  // Live blocks of one owner; owner 0 counts every owner.
  virtual int CountLiveBlocks(int owner_id) = 0;
  // Writes one line per live block to the debugger output; returns their number.
  virtual int ReportLiveBlocks() = 0;
};

}  // namespace pelok

#endif  // PELOK_COMPONENT_FACTORY_H_

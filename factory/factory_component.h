// Component 361, the ComponentFactory: gives out the allocator and the components of every
// module that a DLL registry file names, hands each component its trace settings, and keeps
// track of the modules that have gone idle. One object serves the whole process.
#ifndef PELOK_FACTORY_FACTORY_COMPONENT_H_
#define PELOK_FACTORY_FACTORY_COMPONENT_H_

#include <atomic>
#include <cstdint>
#include <vector>

#include "factory/factory_lock.h"
#include "factory/module_table.h"
#include "factory/trace_files.h"
#include "pelok/component_factory.h"

namespace pelok {

class FactoryComponent : public IComponentFactory {
 public:
  explicit FactoryComponent(IAllocator* allocator) : allocator_(allocator) {}
  FactoryComponent(const FactoryComponent&) = delete;
  FactoryComponent& operator=(const FactoryComponent&) = delete;

  int GetComponentId() override { return component_id::kComponentFactory; }
  int GetVersion() override { return 1; }
  // The factory lives as long as its module: no Destroy ends it.
  void Destroy(int) override {}
  int GetAutoFree() override { return auto_free_.load(); }
  void SetAutoFree(int mark) override { auto_free_.store(mark); }

  // 361 itself, 3 the allocator, any other id the component of the module that the DLL
  // registry file (null or empty: "Pelok.ini" beside the executable) names for it; else null.
  IComponent* CreateInstance(int component_id, const char* registry_path) override;
  // Fills the masks and the name from the file's "[Trace]" section and, when it names a trace
  // file, points *result at the file's two words {lock, handle}. 0 only for a null record.
  int RegisterRecord(const char* registry_path, int component_id, RegistrationRecord* record,
                     int32_t* file_mask, intptr_t** result) override;
  // Remembers the singleton; the factory never owns or calls it.
  int RegisterSingleton(IComponent* singleton) override;
  int Reserved8() override { return 0; }
  int Reserved9() override { return 0; }
  int OnModuleIdle(void* module_instance) override;

  // The modules that went idle and may be unloaded now are freed; returns how many.
  int UnloadIdleModules() { return modules_.UnloadIdle(); }

 private:
  IAllocator* allocator_;
  ModuleTable modules_;
  TraceFiles trace_files_;
  FactoryLock singletons_lock_;
  std::vector<IComponent*> singletons_;
  std::atomic<int> auto_free_{0};
};

}  // namespace pelok

#endif  // PELOK_FACTORY_FACTORY_COMPONENT_H_

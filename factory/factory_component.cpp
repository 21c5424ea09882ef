#include "factory/factory_component.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "factory/trace_settings.h"
#include "pelok/module.h"
#include "util/bounded_string.h"

namespace pelok {

IComponent* FactoryComponent::CreateInstance(int component_id, const char* registry_path) {
  if (component_id == component_id::kComponentFactory) return this;
  if (component_id == component_id::kAllocator) return allocator_;
  const RegistryFileMemo::Creation creation;
  std::string ini_path;
  std::string module_path;
  files_.ModuleFor(registry_path, component_id, &ini_path, &module_path);
  // A registry path too long for a path names no file.
  if (ini_path.empty()) return nullptr;
  HMODULE module = modules_.Acquire(ini_path.c_str(), registry_path, module_path, component_id);
  if (module == nullptr) return nullptr;
  // No lock is held here: the new component's constructor calls back into the factory.
  const auto create = GetExport<CreateComponentFn>(module, "CreateComponent");
  IComponent* component =
      create != nullptr ? create(component_id, component_id::kComponentFactory) : nullptr;
  modules_.Release(module);
  return component;
}

int FactoryComponent::RegisterRecord(const char* registry_path, int component_id,
                                     RegistrationRecord* record, int32_t* file_mask,
                                     intptr_t** result) {
  if (record == nullptr) return 0;
  TraceSettings settings;
  files_.TraceFor(registry_path, component_id, &settings);
  // The record's members carry the binary interface's own names (debugMask, fileMask,
  // traceName); the factory's settings are named as the rest of this code.
  record->debugMask = settings.debug_mask;
  record->fileMask = settings.file_mask;
  if (file_mask != nullptr) *file_mask = settings.file_mask;
  std::memcpy(record->traceName, settings.name, sizeof(record->traceName));
  if (result != nullptr && settings.file[0] != '\0') {
    if (intptr_t* words = trace_files_.Open(settings.file)) *result = words;
  }
  return 1;
}

int FactoryComponent::RegisterSingleton(IComponent* singleton) {
  if (singleton == nullptr) return 0;
  LockScope scope(singletons_lock_);
  if (std::find(singletons_.begin(), singletons_.end(), singleton) == singletons_.end()) {
    singletons_.push_back(singleton);
  }
  return 1;
}

int FactoryComponent::OnModuleIdle(void* module_instance) {
  if (module_instance == nullptr) return 0;
  modules_.MarkIdle(module_instance);
  return 1;
}

}  // namespace pelok

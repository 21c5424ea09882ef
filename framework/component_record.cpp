#include "framework/component_record.h"

#include <cstring>

#include "framework/factory_loader.h"
#include "framework/module_state.h"

namespace pelok {

ComponentRecord::ComponentRecord(int component_id) {
  std::memset(&record_, 0, sizeof(record_));
  record_.traceFile = -1;
  // Only a factory module that is already loaded is asked: registering never loads it.
  IComponentFactory* factory = FindLoadedFactory();
  if (factory == nullptr) return;
  intptr_t* result = nullptr;
  factory->RegisterRecord(host::DllRegistryPath(), component_id, &record_, &record_.fileMask,
                          &result);
  if (result != nullptr) {
    record_.traceLock = result[0];
    record_.traceFile = result[1];
  }
}

}  // namespace pelok

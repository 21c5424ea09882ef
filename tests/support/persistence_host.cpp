#include "tests/support/persistence_host.h"

#include "pelok/module.h"
#include "platform/win32_api.h"

namespace pelok {
namespace test {

RegistryHost::RegistryHost(const std::string& dll_registry) {
  if (!module_.complete()) return;
  module_.SetDLLRegistry(dll_registry.c_str());
  front_ = static_cast<IRegisterFront*>(module_.CreateComponent(component_id::kRegisterFront, 0));
}

RegistryHost::~RegistryHost() { Shutdown(); }

IComponent* RegistryHost::Create(int component_id) {
  return module_.complete() ? module_.CreateComponent(component_id, 0) : nullptr;
}

IRegisterFront* RegistryHost::Restart() {
  if (front_ != nullptr) front_->Destroy(1);
  front_ = static_cast<IRegisterFront*>(Create(component_id::kRegisterFront));
  return front_;
}

void RegistryHost::Shutdown() {
  if (front_ != nullptr) {
    front_->Destroy(1);
    front_ = nullptr;
  }
  // The factory module keeps the modules it loaded until the host asks it to let them go.
  if (const HMODULE factory = GetModuleHandleA("PelFact.dll")) {
    const auto unload_idle = reinterpret_cast<PelokUnloadIdleModulesFn>(
        GetProcAddress(factory, "PelokUnloadIdleModules"));
    if (unload_idle != nullptr) unload_idle();
  }
  module_.module.Unload();
}

}  // namespace test
}  // namespace pelok

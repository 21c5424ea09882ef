#include "bench/registry_host.h"

#include <string>

#include "pelok/module.h"
#include "platform/win32_api.h"

namespace pelok {
namespace bench {

namespace {

std::string BinPath(const char* name) {
  char exe[1024] = {0};
  GetModuleFileNameA(nullptr, exe, sizeof(exe) - 1);
  std::string dir(exe);
  return dir.substr(0, dir.find_last_of('/') + 1) + name;
}

template <class Fn>
Fn Export(void* module, const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name)));
}

}  // namespace

bool RegistryHost::Open() {
  Close();
  module_ = LoadLibraryA(BinPath("PelReg.dll").c_str());
  if (module_ == nullptr) return false;
  const auto set_registry = Export<SetDLLRegistryFn>(module_, "SetDLLRegistry");
  const auto create = Export<CreateComponentFn>(module_, "CreateComponent");
  if (set_registry == nullptr || create == nullptr) return false;
  set_registry(BinPath("Pelok.ini").c_str());
  front_ = static_cast<IRegisterFront*>(create(component_id::kRegisterFront, 0));
  return front_ != nullptr;
}

void RegistryHost::Close() {
  if (front_ != nullptr) {
    front_->Destroy(1);
    front_ = nullptr;
  }
  if (module_ == nullptr) return;
  // The factory module keeps the modules it loaded until the host lets them go.
  if (const HMODULE factory = GetModuleHandleA("PelFact.dll")) {
    const auto unload_idle = Export<PelokUnloadIdleModulesFn>(factory, "PelokUnloadIdleModules");
    if (unload_idle != nullptr) unload_idle();
  }
  FreeLibrary(static_cast<HMODULE>(module_));
  module_ = nullptr;
}

}  // namespace bench
}  // namespace pelok

// On Windows the real Win32 API serves the modules; only the fault-injection hooks are ours, and
// there is nothing to inject into.
#include "platform/fault_injection.h"
#include "platform/win32_api.h"

HMODULE PelokModuleFromAddress(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<const char*>(address), &module)) {
    return nullptr;
  }
  return module;
}

namespace pelok {
namespace fault_injection {

bool Supported() { return false; }

bool FailCall(const char* /*call*/, long /*nth*/, int /*error*/, bool /*persistent*/) {
  return false;
}

long UseCount(const char* /*call*/) { return -1; }

void Restore() {}

}  // namespace fault_injection
}  // namespace pelok

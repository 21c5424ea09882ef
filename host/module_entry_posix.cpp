// The module's entry point on POSIX: attach when the library is loaded, detach when it is
// unloaded (dlclose) or the process ends.
#include "framework/module_state.h"
#include "platform/win32_api.h"

namespace {

__attribute__((constructor)) void AttachModule() {
  pelok::host::OnProcessAttach(PelokModuleFromAddress(reinterpret_cast<const void*>(&AttachModule)));
}

__attribute__((destructor)) void DetachModule() { pelok::host::OnProcessDetach(); }

}  // namespace

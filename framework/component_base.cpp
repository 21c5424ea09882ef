#include "framework/component_base.h"

#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

void BreakIntoDebugger() {
  // Without a debugger a breakpoint would end the process; the call is meant to go on.
  if (IsDebuggerPresent()) DebugBreak();
}

void DeleteComponent(ChildComponentHolder* holder, IComponent* self, int id) {
  delete holder;
  host::UnregisterInstance(self, id != component_id::kComponentFactory);
}

void CopyDllRegistryPath(const char* preferred, char* buf, int buf_len) {
  if (buf == nullptr || buf_len <= 0) return;
  const char* source =
      preferred != nullptr && preferred[0] != '\0' ? preferred : host::DllRegistryPath();
  BoundedCopy(buf, buf_len, source);
}

}  // namespace pelok

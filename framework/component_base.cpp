#include "framework/component_base.h"

#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

void BreakIntoDebugger() {
  // Without a debugger a breakpoint would end the process; the call is meant to go on.
  if (IsDebuggerPresent()) DebugBreak();
}

void DeleteComponent(ChildComponentHolder* holder, IComponent* self, int id) {
  // The live-instance map lists the object until it is unregistered: a PelokDllFreeMap on
  // another thread must not meet it deleted in between. (The lock is taken again inside.)
  host::EnterHostLock();
  delete holder;
  host::UnregisterInstance(self, id != component_id::kComponentFactory);
  host::LeaveHostLock();
}

void CopyDllRegistryPath(const char* preferred, char* buf, int buf_len) {
  if (buf == nullptr || buf_len <= 0) return;
  const char* source =
      preferred != nullptr && preferred[0] != '\0' ? preferred : host::DllRegistryPath();
  BoundedCopy(buf, buf_len, source);
}

}  // namespace pelok

// The module's entry point on Windows: static initialisers have run before attach; the leak
// report runs at detach, before the static destructors.
#include "framework/module_state.h"
#include "platform/win32_api.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    pelok::host::OnProcessAttach(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    pelok::host::OnProcessDetach();
  }
  return TRUE;
}

// On Windows a DLL is detached at FreeLibrary, or at process exit after the program's global
// destructors have run.
#include "factory/module_teardown.h"
#include "platform/win32_api.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_DETACH) pelok::ReleaseFactoryModule();
  return TRUE;
}

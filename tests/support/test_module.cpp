// PelTestLib.dll: a tiny module for the platform tests. It records its own instance handle the
// way the registry module does (DllMain on Windows, a load-time constructor elsewhere), so a test
// can compare it with the handle LoadLibraryA returned.
#include "pelok/export.h"
#include "platform/win32_api.h"

namespace {

HMODULE g_self = nullptr;

#if !defined(_WIN32)
__attribute__((constructor)) void RecordSelf() {
  g_self = PelokModuleFromAddress(reinterpret_cast<const void*>(&RecordSelf));
}
#endif

}  // namespace

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}
#endif

extern "C" PELOK_EXPORT int PelTestLibAnswer() { return 42; }

extern "C" PELOK_EXPORT void* PelTestLibSelf() { return reinterpret_cast<void*>(g_self); }

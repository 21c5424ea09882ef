// The operating-system calls the modules use, under their Win32 names. On Windows these are
// the real ones; elsewhere they come from our POSIX layer (platform/posix_win32.h), which gives
// them the meanings the rest of the code relies on. Nothing else of the modules includes
// <windows.h> or POSIX headers for these services. (pelreg, a host program built on the public
// headers alone, has a small system layer of its own in tools/system_files*.)
#ifndef PELOK_PLATFORM_WIN32_API_H_
#define PELOK_PLATFORM_WIN32_API_H_

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// The handle of the module that holds address, taking no reference (null when none does).
HMODULE PelokModuleFromAddress(const void* address);
#else
#include "platform/posix_win32.h"
#endif

// GetProcAddress typed as the export really is. The detour through void (*)() is the one cast
// between function types that compilers accept without a warning.
template <class Fn>
Fn GetExport(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

#endif  // PELOK_PLATFORM_WIN32_API_H_

// PelBare.dll: a library that is no component module (none of the component exports), for the
// factory's handling of such a file named in a DLL registry file.
#include "pelok/export.h"

extern "C" PELOK_EXPORT int PelBareAnswer() { return 42; }

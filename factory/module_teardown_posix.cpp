// On POSIX a library's destructor functions run at dlclose, or at exit after every function
// registered with atexit, the program's global destructors among them.
#include "factory/module_teardown.h"

namespace {

__attribute__((destructor)) void TearDownFactoryModule() { pelok::ReleaseFactoryModule(); }

}  // namespace

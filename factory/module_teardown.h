// The factory module's last step, run by the system when the module is unloaded or the process
// ends, after the host program's global destructors (module_teardown_posix.cpp,
// module_teardown_windows.cpp).
#ifndef PELOK_FACTORY_MODULE_TEARDOWN_H_
#define PELOK_FACTORY_MODULE_TEARDOWN_H_

namespace pelok {

// Deletes the factory and the allocator.
void ReleaseFactoryModule();

}  // namespace pelok

#endif  // PELOK_FACTORY_MODULE_TEARDOWN_H_

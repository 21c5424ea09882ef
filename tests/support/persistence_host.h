// The registry driven as a host program drives it: PelReg.dll loaded from the bin directory,
// told its DLL registry file, and its front component (991) or any other component created
// through the CreateComponent export.
#ifndef PELOK_TESTS_PERSISTENCE_HOST_H_
#define PELOK_TESTS_PERSISTENCE_HOST_H_

#include <string>

#include "pelok/register_front.h"
#include "tests/support/pelreg_module.h"

namespace pelok {
namespace test {

class RegistryHost {
 public:
  // dll_registry: the DLL registry file to give the module (the bin directory's Pelok.ini by
  // default).
  explicit RegistryHost(const std::string& dll_registry = BinPath("Pelok.ini"));
  RegistryHost(const RegistryHost&) = delete;
  RegistryHost& operator=(const RegistryHost&) = delete;
  // Shuts the registry down (Destroy(1) on the front) and unloads the modules.
  ~RegistryHost();

  bool ready() const { return front_ != nullptr; }
  IRegisterFront* front() const { return front_; }
  // A component created through the module's export (the caller destroys it).
  IComponent* Create(int component_id);
  // Destroys the front and creates a new one in the same loaded module.
  IRegisterFront* Restart();

  // Destroys the front, which writes the store file and releases everything below it; then
  // asks the factory module to unload the idle modules and unloads PelReg.dll.
  void Shutdown();

 private:
  PelRegModule module_;
  IRegisterFront* front_ = nullptr;
};

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_PERSISTENCE_HOST_H_

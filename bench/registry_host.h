// The registry as a host program runs it: PelReg.dll loaded from the program's directory, told
// the DLL registry file beside it, and its front component created. Closing destroys the front
// (which writes the store file), has the factory module unload the idle modules and unloads
// PelReg.dll, so that the next Open starts from modules loaded afresh.
#ifndef PELOK_BENCH_REGISTRY_HOST_H_
#define PELOK_BENCH_REGISTRY_HOST_H_

#include "pelok/register_front.h"

namespace pelok {
namespace bench {

class RegistryHost {
 public:
  RegistryHost() = default;
  RegistryHost(const RegistryHost&) = delete;
  RegistryHost& operator=(const RegistryHost&) = delete;
  ~RegistryHost() { Close(); }

  // False when a module or the front cannot be had.
  bool Open();
  void Close();
  IRegisterFront* front() const { return front_; }

 private:
  void* module_ = nullptr;
  IRegisterFront* front_ = nullptr;
};

}  // namespace bench
}  // namespace pelok

#endif  // PELOK_BENCH_REGISTRY_HOST_H_

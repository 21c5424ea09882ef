// The registry as a host program runs it, opened through the loader from the DLL registry file
// beside the benchmark. Closing destroys the front (which writes the store file) and has the
// idle modules unloaded, so that the next Open starts from modules loaded afresh.
#ifndef PELOK_BENCH_REGISTRY_HOST_H_
#define PELOK_BENCH_REGISTRY_HOST_H_

#include "pelok/loader.h"
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
  bool Open() { return framework_.Open(); }
  void Close() { framework_.CloseAndUnload(); }
  IRegisterFront* front() const { return framework_.front(); }

 private:
  Framework framework_;
};

}  // namespace bench
}  // namespace pelok

#endif  // PELOK_BENCH_REGISTRY_HOST_H_

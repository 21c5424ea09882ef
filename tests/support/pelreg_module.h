// The registry host module loaded as a host program loads it, with its exports resolved.
#ifndef PELOK_TESTS_SUPPORT_PELREG_MODULE_H_
#define PELOK_TESTS_SUPPORT_PELREG_MODULE_H_

#include <string>

#include "pelok/module.h"
#include "tests/support/module_loader.h"

namespace pelok {
namespace test {

struct PelRegModule {
  // Loads PelReg.dll (or another component module) from the bin directory.
  explicit PelRegModule(const std::string& file = "PelReg.dll");

  LoadedModule module;
  CreateComponentFn CreateComponent = nullptr;
  GetComponentIDsFn GetComponentIDs = nullptr;
  SetDLLRegistryFn SetDLLRegistry = nullptr;
  SetFactoryHandleFn SetFactoryHandle = nullptr;
  PelokDllFreeMapFn PelokDllFreeMap = nullptr;
  PelokDllCanUnloadNowFn PelokDllCanUnloadNow = nullptr;
  PelokSetDllSafeFn PelokSetDllSafe = nullptr;

  bool complete() const;
};

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_PELREG_MODULE_H_

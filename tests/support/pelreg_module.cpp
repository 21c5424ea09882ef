#include "tests/support/pelreg_module.h"

namespace pelok {
namespace test {

PelRegModule::PelRegModule(const std::string& file) : module(BinPath(file)) {
  CreateComponent = module.Get<CreateComponentFn>("CreateComponent");
  GetComponentIDs = module.Get<GetComponentIDsFn>("GetComponentIDs");
  SetDLLRegistry = module.Get<SetDLLRegistryFn>("SetDLLRegistry");
  SetFactoryHandle = module.Get<SetFactoryHandleFn>("SetFactoryHandle");
  PelokDllFreeMap = module.Get<PelokDllFreeMapFn>("PelokDllFreeMap");
  PelokDllCanUnloadNow = module.Get<PelokDllCanUnloadNowFn>("PelokDllCanUnloadNow");
  PelokSetDllSafe = module.Get<PelokSetDllSafeFn>("PelokSetDllSafe");
}

bool PelRegModule::complete() const {
  return CreateComponent && GetComponentIDs && SetDLLRegistry && SetFactoryHandle &&
         PelokDllFreeMap && PelokDllCanUnloadNow && PelokSetDllSafe;
}

}  // namespace test
}  // namespace pelok

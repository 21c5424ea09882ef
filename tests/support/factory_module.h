// The real factory module PelFact.dll as the factory tests use it: loaded once for the whole
// test program from the directory of the binaries, with its exports resolved.
#ifndef PELOK_TESTS_SUPPORT_FACTORY_MODULE_H_
#define PELOK_TESTS_SUPPORT_FACTORY_MODULE_H_

#include <string>

#include "pelok/component_factory.h"
#include "pelok/module.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {

struct FactoryModule {
  CreateComponentFn CreateComponent = nullptr;
  GetComponentIDsFn GetComponentIDs = nullptr;
  PelokDllCanUnloadNowFn PelokDllCanUnloadNow = nullptr;
  PelokUnloadIdleModulesFn PelokUnloadIdleModules = nullptr;
  // CreateComponent(361, 0) and CreateComponent(3, 0).
  IComponentFactory* factory = nullptr;
  IAllocator* allocator = nullptr;

  bool complete() const;
};

// Loaded on first use; stays loaded until the test program ends.
const FactoryModule& Factory();

// A DLL registry file dir/name holding text; returns its path.
std::string WriteRegistryFile(const TempDir& dir, const std::string& name, const std::string& text);

// The full path of a module built beside the test programs (PelTest.dll, PelBare.dll).
std::string ModulePath(const std::string& file);

// 1 when a module of that file name is loaded in the process.
bool ModuleIsLoaded(const char* file);

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_FACTORY_MODULE_H_

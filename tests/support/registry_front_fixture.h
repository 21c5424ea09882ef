// The registry as a host program uses it: PelReg.dll loaded from the bin directory, told where
// the DLL registry file is, and its front component (991) created through the module's export.
// Every test gets a fresh front, destroyed afterwards with everything it held.
#ifndef PELOK_TESTS_REGISTRY_FRONT_FIXTURE_H_
#define PELOK_TESTS_REGISTRY_FRONT_FIXTURE_H_

#include <cstdint>
#include <string>

#include "pelok/component_factory.h"
#include "gtest/gtest.h"
#include "pelok/component.h"
#include "pelok/module.h"
#include "pelok/register_front.h"
#include "tests/support/module_loader.h"
#include "tests/support/pelreg_module.h"

namespace pelok {
namespace test {

class RegisterFrontTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Destroys the front (force 1) and checks that nothing it held is left: no instance of the
  // module, no memory block of the in-memory value sets.
  void TearDown() override;

  IRegisterFront* CreateFront();
  // The allocator of the factory module, which counts live blocks by owner.
  IAllocator* allocator() const { return allocator_; }
  int LiveMemoryValueBlocks() const;

  // Creates a key of kind 1 below parent and expects success; returns its handle.
  uint32_t CreateMemoryKey(uint32_t parent, const char* sub_key, int* disposition = nullptr);
  std::string KeyName(uint32_t key);
  // The index-th key below key, or "<none>".
  std::string EnumKeyAt(uint32_t key, int index);

  PelRegModule module_;
  LoadedModule factory_module_;
  IAllocator* allocator_ = nullptr;
  IRegisterFront* front_ = nullptr;
};

// Root codes routed to the kind-1 (memory) table.
constexpr uint32_t MemoryRoot(uint32_t root_code) { return RootOfKind(root_code, kind::kMemory); }

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_REGISTRY_FRONT_FIXTURE_H_

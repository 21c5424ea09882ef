// Component references and the child holder, on the module's own framework code built into the
// test program, against the recording factory module.
#include <cstring>
#include <string>

#include "framework/child_component_holder.h"
#include "framework/pelok_ptr.h"
#include "gtest/gtest.h"
#include "framework/module_state.h"
#include "tests/support/debug_capture.h"
#include "tests/support/module_loader.h"
#include "tests/support/recording_factory.h"

namespace pelok {
namespace {

using test::BinPath;
using test::JoinPath;

class FrameworkReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    factory_ = test::LoadedModule(JoinPath(BinPath("fake"), "PelFact.dll"));
    ASSERT_TRUE(factory_.loaded());
    calls_ = factory_.Get<test::RecordingFactoryCallsFn>("RecordingFactoryCalls")();
    std::memset(calls_, 0, sizeof(*calls_));
    host::SetFactoryModule(nullptr);
    host::SetDllRegistryPath(JoinPath(BinPath("fake"), "Pelok.ini").c_str());
  }

  test::LoadedModule factory_;
  test::RecordingFactoryCalls* calls_ = nullptr;
  ChildComponentHolder holder_;
};

TEST_F(FrameworkReferenceTest, AReferenceToIdZeroIsReportedAndStillAsked) {
  test::DebugCapture capture;
  TPelokPtr<IComponent> reference(nullptr, 0);
  EXPECT_EQ("[Pelok_Error] TPelokPtr with ComponentId = 0\n", capture.Text());
  EXPECT_FALSE(reference);
  EXPECT_EQ(1, calls_->create_instance[0]);
}

TEST_F(FrameworkReferenceTest, AReferenceSetsTheAutoFreeMarkOfWhatItObtains) {
  TPelokPtr<IComponent> reference("", component_id::kComponentFactory);
  ASSERT_TRUE(reference);
  reference->SetAutoFree(1);
  TPelokPtr<IComponent> again(nullptr, component_id::kComponentFactory);
  EXPECT_EQ(0, again->GetAutoFree());
  IdleNotifier notifier;
  ASSERT_NE(nullptr, notifier.get());
  EXPECT_EQ(1, notifier.get()->GetAutoFree()) << "the idle notification marks it auto-free";
}

TEST_F(FrameworkReferenceTest, CreateChildWithIdZeroAsksTheFactoryAndLeavesTheSlot) {
  IComponent* slot = reinterpret_cast<IComponent*>(&holder_);
  test::DebugCapture capture;
  EXPECT_EQ(0, holder_.CreateChild(&slot, 0, nullptr));
  EXPECT_EQ(reinterpret_cast<IComponent*>(&holder_), slot);
  EXPECT_EQ(1, calls_->create_instance[0]);
  EXPECT_EQ(0, holder_.CreateChild(nullptr, component_id::kAllocator, nullptr));
}

TEST_F(FrameworkReferenceTest, AChildIsReleasedDirectlyAndItsSlotNulled) {
  IComponent* child = nullptr;
  ASSERT_EQ(1, holder_.CreateChild(&child, component_id::kAllocator, nullptr));
  ASSERT_NE(nullptr, child);
  EXPECT_EQ(component_id::kAllocator, child->GetComponentId());
  EXPECT_EQ(1, holder_.ReleaseChild(&child));
  EXPECT_EQ(nullptr, child);
  EXPECT_EQ(0, holder_.ReleaseChild(&child)) << "a null slot is refused";
  EXPECT_EQ(0, holder_.ReleaseChild(nullptr));
}

TEST_F(FrameworkReferenceTest, TheAllocatorIsObtainedOnceAndItsBlocksAreZeroFilledOnRequest) {
  void* first = nullptr;
  void* second = nullptr;
  ASSERT_EQ(1, holder_.AllocateBlock(&first, 64, 1, component_id::kMemoryKeyValues));
  ASSERT_EQ(1, holder_.AllocateBlock(&second, 16, 1, component_id::kMemoryKeyValues));
  EXPECT_EQ(1, calls_->create_instance[component_id::kAllocator]);
  const unsigned char* bytes = static_cast<const unsigned char*>(first);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(0, bytes[i]) << i;
  EXPECT_EQ(2, calls_->allocations);
  EXPECT_EQ(1, holder_.FreeBlock(first));
  EXPECT_EQ(1, holder_.FreeBlock(second));
  EXPECT_EQ(0, calls_->allocations);
  EXPECT_EQ(0, holder_.AllocateBlock(nullptr, 8, 1, 1)) << "a block nobody receives is refused";
  EXPECT_EQ(0, calls_->allocations);

  holder_.ReleaseAllChildren();
  void* third = nullptr;
  ASSERT_EQ(1, holder_.AllocateBlock(&third, 8, 0, 1));
  EXPECT_EQ(2, calls_->create_instance[component_id::kAllocator]) << "asked again after release";
  EXPECT_EQ(1, holder_.FreeBlock(third));
}

TEST_F(FrameworkReferenceTest, WithoutAFactoryEveryRequestFailsCleanly) {
  host::SetDllRegistryPath("no-such-registry.ini");
  IComponent* child = nullptr;
  void* block = nullptr;
  test::DebugCapture capture;
  EXPECT_EQ(0, holder_.CreateChild(&child, component_id::kAllocator, nullptr));
  EXPECT_EQ(0, holder_.AllocateBlock(&block, 8, 1, 1));
  EXPECT_EQ(0, holder_.FreeBlock(nullptr));
  EXPECT_EQ(nullptr, child);
  EXPECT_EQ(nullptr, block);
  EXPECT_EQ(0u, capture.Text().find("[Pelok_Error] Load PelFact.dll Fail.\n"));
}

}  // namespace
}  // namespace pelok

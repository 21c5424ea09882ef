// The front component's life: one instance per module, plain releases ignored, destruction with
// a force releasing everything, and a fresh instance after it.
#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/registry_front_fixture.h"

namespace pelok {
namespace test {
namespace {

using RegisterFrontLifetimeTest = RegisterFrontTest;

TEST_F(RegisterFrontLifetimeTest, EveryCreationReturnsTheOneInstance) {
  EXPECT_EQ(front_, CreateFront());
  EXPECT_EQ(front_, CreateFront());
  EXPECT_EQ(0, front_->GetAutoFree());
}

TEST_F(RegisterFrontLifetimeTest, ThreadsCreatingAtOnceAllGetTheSameInstance) {
  front_->Destroy(1);
  front_ = nullptr;
  constexpr int kThreads = 8;
  std::vector<IRegisterFront*> got(kThreads, nullptr);
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      ++ready;
      while (ready.load() < kThreads) std::this_thread::yield();
      got[i] = CreateFront();
    });
  }
  for (auto& thread : threads) thread.join();
  front_ = got[0];
  ASSERT_NE(nullptr, front_);
  for (IRegisterFront* front : got) EXPECT_EQ(front_, front);
}

TEST_F(RegisterFrontLifetimeTest, DestroyWithoutForceLeavesTheFrontWorking) {
  const uint32_t key = CreateMemoryKey(root::kUser, "kept");
  ASSERT_EQ(1, front_->SetValue(key, "v", value_type::kText, "text", 5));
  front_->Destroy(0);
  EXPECT_EQ(0, module_.PelokDllCanUnloadNow());
  EXPECT_EQ(1, front_->HasValue(key, "v"));
  EXPECT_EQ(front_, CreateFront());
}

TEST_F(RegisterFrontLifetimeTest, FreeMapDoesNotDestroyTheFrontEvenWhenMarked) {
  const uint32_t key = CreateMemoryKey(root::kUser, "kept");
  front_->SetAutoFree(1);
  module_.PelokDllFreeMap();
  EXPECT_EQ(1, front_->GetAutoFree());
  EXPECT_EQ("user/kept", KeyName(key));
}

TEST_F(RegisterFrontLifetimeTest, DestroyWithForceReleasesEverythingItHeld) {
  for (const char* path : {"a", "b", "a/c"}) {
    const uint32_t key = CreateMemoryKey(root::kShare, path);
    ASSERT_EQ(1, front_->SetValue(key, "text", value_type::kText, "some text", 10));
    ASSERT_EQ(1, front_->SetValue(key, "blob", value_type::kBinary, "\x01\x02", 2));
    ASSERT_EQ(1, front_->SetValue(key, "n", value_type::kUint32, "\x01\x00\x00\x00", 4));
  }
  EXPECT_EQ(6, LiveMemoryValueBlocks());
  EXPECT_EQ(0, module_.PelokDllCanUnloadNow());
  front_->Destroy(1);
  front_ = nullptr;
  EXPECT_EQ(0, LiveMemoryValueBlocks());
  EXPECT_EQ(1, module_.PelokDllCanUnloadNow());
}

TEST_F(RegisterFrontLifetimeTest, ACreationAfterDestructionBuildsAFreshRegistry) {
  const uint32_t key = CreateMemoryKey(root::kShare, "old");
  CreateMemoryKey(root::kShare, "older");
  front_->Destroy(1);
  front_ = CreateFront();
  ASSERT_NE(nullptr, front_);
  EXPECT_EQ(991, front_->GetComponentId());
  uint32_t found = 1;
  EXPECT_EQ(0, front_->OpenKey(root::kShare, "old", kind::kMemory, 0, &found));
  EXPECT_EQ(0, front_->CloseKey(key));
  EXPECT_EQ(0x40000001u, CreateMemoryKey(root::kShare, "new")) << "a new table";
  EXPECT_EQ(front_, CreateFront());
}

}  // namespace
}  // namespace test
}  // namespace pelok

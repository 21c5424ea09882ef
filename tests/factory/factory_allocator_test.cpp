// The allocator (component 3) of the real factory module: tagged blocks, counted per owner,
// and pointers it did not hand out refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/debug_capture.h"
#include "tests/support/factory_module.h"

namespace pelok {
namespace {

using test::Factory;

class AllocatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Factory().complete());
    allocator_ = Factory().allocator;
  }

  IAllocator* allocator_ = nullptr;
};

TEST_F(AllocatorTest, OneAllocatorThatDestroyNeverEnds) {
  EXPECT_EQ(component_id::kAllocator, allocator_->GetComponentId());
  EXPECT_EQ(allocator_, Factory().CreateComponent(component_id::kAllocator, 7));
  EXPECT_EQ(allocator_, Factory().factory->CreateInstance(component_id::kAllocator, nullptr));
  allocator_->Destroy(0);
  allocator_->Destroy(1);
  EXPECT_EQ(allocator_, Factory().CreateComponent(component_id::kAllocator, 0));
  void* block = allocator_->AllocateTagged(7001, 8);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(1, allocator_->FreeTagged(block));
}

TEST_F(AllocatorTest, CountsLiveBlocksPerOwner) {
  const int before = allocator_->CountLiveBlocks(0);
  std::vector<void*> first;
  std::vector<void*> second;
  for (unsigned size : {1u, 64u, 4096u}) {
    void* block = allocator_->AllocateTagged(7101, size);
    ASSERT_NE(nullptr, block);
    std::memset(block, 0xab, size);  // the whole size is the caller's
    first.push_back(block);
  }
  for (unsigned size : {16u, 300u}) {
    void* block = allocator_->AllocateTagged(7102, size);
    ASSERT_NE(nullptr, block);
    std::memset(block, 0xcd, size);
    second.push_back(block);
  }
  EXPECT_EQ(3, allocator_->CountLiveBlocks(7101));
  EXPECT_EQ(2, allocator_->CountLiveBlocks(7102));
  EXPECT_EQ(before + 5, allocator_->CountLiveBlocks(0));

  EXPECT_EQ(1, allocator_->FreeTagged(first[1]));
  EXPECT_EQ(2, allocator_->CountLiveBlocks(7101));
  EXPECT_EQ(2, allocator_->CountLiveBlocks(7102));
  for (void* block : {first[0], first[2], second[0], second[1]}) {
    EXPECT_EQ(1, allocator_->FreeTagged(block));
  }
  EXPECT_EQ(0, allocator_->CountLiveBlocks(7101));
  EXPECT_EQ(0, allocator_->CountLiveBlocks(7102));
  EXPECT_EQ(before, allocator_->CountLiveBlocks(0));
}

TEST_F(AllocatorTest, RefusesPointersItDidNotHandOut) {
  int on_stack = 0;
  EXPECT_EQ(0, allocator_->FreeTagged(&on_stack));
  EXPECT_EQ(0, allocator_->FreeTagged(nullptr));
  void* foreign = std::malloc(32);
  ASSERT_NE(nullptr, foreign);
  EXPECT_EQ(0, allocator_->FreeTagged(foreign));
  std::memset(foreign, 0, 32);  // still ours: the allocator left it alone
  std::free(foreign);

  auto* block = static_cast<char*>(allocator_->AllocateTagged(7103, 32));
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(0, allocator_->FreeTagged(block + 1));
  EXPECT_EQ(1, allocator_->CountLiveBlocks(7103));
  EXPECT_EQ(1, allocator_->FreeTagged(block));
  EXPECT_EQ(0, allocator_->FreeTagged(block));  // twice is refused, not freed again
  EXPECT_EQ(0, allocator_->CountLiveBlocks(7103));
}

TEST_F(AllocatorTest, SizesThatCannotBeAllocatedGiveNull) {
  const int before = allocator_->CountLiveBlocks(0);
  EXPECT_EQ(nullptr, allocator_->AllocateTagged(7104, 0xffffffffu));
  EXPECT_EQ(nullptr, allocator_->AllocateTagged(7104, 0x80000000u));
  EXPECT_EQ(0, allocator_->CountLiveBlocks(7104));
  EXPECT_EQ(before, allocator_->CountLiveBlocks(0));

  // Empty blocks are still distinct blocks, each given back once.
  void* empty1 = allocator_->AllocateTagged(7104, 0);
  void* empty2 = allocator_->AllocateTagged(7104, 0);
  ASSERT_NE(nullptr, empty1);
  ASSERT_NE(nullptr, empty2);
  EXPECT_NE(empty1, empty2);
  EXPECT_EQ(2, allocator_->CountLiveBlocks(7104));
  EXPECT_EQ(1, allocator_->FreeTagged(empty1));
  EXPECT_EQ(1, allocator_->FreeTagged(empty2));
}

TEST_F(AllocatorTest, ReportWritesOneLinePerLiveBlock) {
  void* small = allocator_->AllocateTagged(7105, 16);
  void* large = allocator_->AllocateTagged(7105, 333);
  ASSERT_NE(nullptr, small);
  ASSERT_NE(nullptr, large);
  std::string text;
  int reported = 0;
  {
    test::DebugCapture capture;
    reported = allocator_->ReportLiveBlocks();
    text = capture.Text();
  }
  EXPECT_EQ(allocator_->CountLiveBlocks(0), reported);
  int lines = 0;
  int ours = 0;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    const std::string line = text.substr(start, end - start);
    if (line.find("live block") != std::string::npos) ++lines;
    if (line.find("owner component 7105") != std::string::npos) ++ours;
    start = end + 1;
  }
  EXPECT_EQ(reported, lines) << text;
  EXPECT_EQ(2, ours) << text;
  EXPECT_NE(std::string::npos, text.find("333 bytes")) << text;

  EXPECT_EQ(1, allocator_->FreeTagged(small));
  EXPECT_EQ(1, allocator_->FreeTagged(large));
  test::DebugCapture capture;
  EXPECT_EQ(allocator_->CountLiveBlocks(0), allocator_->ReportLiveBlocks());
  EXPECT_EQ(std::string::npos, capture.Text().find("owner component 7105"));
}

TEST_F(AllocatorTest, ThreadsShareTheAllocator) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t, &failures] {
      const int owner = 7200 + t;
      std::vector<void*> live;
      for (int round = 0; round < kRounds; ++round) {
        void* block = allocator_->AllocateTagged(owner, 24);
        if (block == nullptr) {
          ++failures[t];
          continue;
        }
        std::memset(block, t, 24);
        live.push_back(block);
        if (live.size() == 16) {
          for (void* p : live) failures[t] += allocator_->FreeTagged(p) == 1 ? 0 : 1;
          live.clear();
        }
      }
      for (void* p : live) failures[t] += allocator_->FreeTagged(p) == 1 ? 0 : 1;
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(0, failures[t]) << "thread " << t;
    EXPECT_EQ(0, allocator_->CountLiveBlocks(7200 + t));
  }
}

}  // namespace
}  // namespace pelok

// The in-memory value set when its allocator refuses a block. This program is its own factory
// module: it exports CreateComponent, gives the module its own handle as the factory module's,
// and hands out an allocator that fails on request.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "pelok/component_factory.h"
#include "gtest/gtest.h"
#include "framework/module_state.h"
#include "pelok/export.h"
#include "platform/win32_api.h"
#include "registry/memory_key_values.h"

namespace pelok {
namespace {

class FailingAllocator : public IAllocator {
 public:
  int GetComponentId() override { return component_id::kAllocator; }
  int GetVersion() override { return 1; }
  void Destroy(int) override {}
  int GetAutoFree() override { return 0; }
  void SetAutoFree(int) override {}

  void* AllocateTagged(int owner_id, unsigned size) override {
    if (fail) return nullptr;
    void* block = std::malloc(size);
    if (block != nullptr) live_[block] = owner_id;
    return block;
  }
  int FreeTagged(void* block) override {
    if (live_.erase(block) == 0) return 0;
    std::free(block);
    return 1;
  }
  int CountLiveBlocks(int owner_id) override {
    int count = 0;
    for (const auto& entry : live_) count += entry.second == owner_id ? 1 : 0;
    return count;
  }
  int ReportLiveBlocks() override { return static_cast<int>(live_.size()); }

  bool fail = false;

 private:
  std::map<void*, int> live_;
};

class FakeFactory : public IComponentFactory {
 public:
  int GetComponentId() override { return component_id::kComponentFactory; }
  int GetVersion() override { return 1; }
  void Destroy(int) override {}
  int GetAutoFree() override { return 0; }
  void SetAutoFree(int) override {}
  IComponent* CreateInstance(int component_id, const char*) override {
    if (component_id == component_id::kAllocator) return &allocator;
    if (component_id == component_id::kComponentFactory) return this;
    return nullptr;
  }
  int RegisterRecord(const char*, int, RegistrationRecord*, int32_t*, intptr_t**) override {
    return 0;
  }
  int RegisterSingleton(IComponent*) override { return 0; }
  int Reserved8() override { return 0; }
  int Reserved9() override { return 0; }
  int OnModuleIdle(void*) override { return 0; }

  FailingAllocator allocator;
};

FakeFactory factory;

}  // namespace
}  // namespace pelok

extern "C" PELOK_EXPORT pelok::IComponent* CreateComponent(int component_id, int) {
  return component_id == pelok::component_id::kComponentFactory ? &pelok::factory : nullptr;
}

namespace pelok {
namespace {

class MemoryValuesAllocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::SetFactoryModule(reinterpret_cast<void*>(GetModuleHandleA(nullptr)));
    factory.allocator.fail = false;
    values_ = static_cast<IMemoryKeyValues*>(
        host::CreateRecordedComponent(component_id::kMemoryKeyValues, 0));
    ASSERT_NE(nullptr, values_);
  }
  void TearDown() override {
    factory.allocator.fail = false;
    if (values_ != nullptr) values_->Destroy(0);
    EXPECT_EQ(0, factory.allocator.CountLiveBlocks(component_id::kMemoryKeyValues));
  }
  std::string Text(const char* name) {
    char data[32] = {};
    int type = 0;
    unsigned size = sizeof(data);
    if (!values_->QueryValue(name, &type, data, &size)) return "<none>";
    return std::to_string(type) + ":" + std::string(data, size);
  }

  IMemoryKeyValues* values_ = nullptr;
};

TEST_F(MemoryValuesAllocationTest, TheAllocatorComesFromThisProgram) {
  ASSERT_EQ(1, values_->SetValue("t", value_type::kText, "abc", 3));
  EXPECT_EQ(1, factory.allocator.CountLiveBlocks(component_id::kMemoryKeyValues));
}

TEST_F(MemoryValuesAllocationTest, ANewValueWithoutABlockIsNotCreated) {
  factory.allocator.fail = true;
  EXPECT_EQ(0, values_->SetValue("t", value_type::kText, "abc", 3));
  EXPECT_EQ(0, values_->HasValue("t"));
  EXPECT_EQ(1, values_->SetValue("n", value_type::kUint32, "\x01\x00\x00\x00", 4))
      << "a number needs no block";
}

TEST_F(MemoryValuesAllocationTest, AReplacementWithoutABlockLeavesTheOldValue) {
  ASSERT_EQ(1, values_->SetValue("t", value_type::kText, "old", 3));
  ASSERT_EQ(1, values_->SetValue("n", value_type::kUint32, "\x07\x00\x00\x00", 4));
  factory.allocator.fail = true;
  EXPECT_EQ(0, values_->SetValue("t", value_type::kBinary, "newer", 5));
  EXPECT_EQ(0, values_->SetValue("n", value_type::kText, "text", 4));
  EXPECT_EQ("1:old", Text("t"));
  uint32_t number = 0;
  int type = 0;
  unsigned size = 4;
  EXPECT_EQ(1, values_->QueryValue("n", &type, &number, &size));
  EXPECT_EQ(2, type);
  EXPECT_EQ(7u, number);
  EXPECT_EQ(1, factory.allocator.CountLiveBlocks(component_id::kMemoryKeyValues));

  factory.allocator.fail = false;
  EXPECT_EQ(1, values_->SetValue("t", value_type::kBinary, "newer", 5));
  EXPECT_EQ("3:newer", Text("t"));
  EXPECT_EQ(1, factory.allocator.CountLiveBlocks(component_id::kMemoryKeyValues));
}

}  // namespace
}  // namespace pelok

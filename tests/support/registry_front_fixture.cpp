#include "tests/support/registry_front_fixture.h"

namespace pelok {
namespace test {

void RegisterFrontTest::SetUp() {
  ASSERT_TRUE(module_.complete()) << "PelReg.dll with its seven exports";
  module_.SetDLLRegistry(BinPath("Pelok.ini").c_str());
  factory_module_ = LoadedModule(BinPath("PelFact.dll"));
  auto create = factory_module_.Get<CreateComponentFn>("CreateComponent");
  ASSERT_NE(nullptr, create) << "PelFact.dll beside the test";
  allocator_ = static_cast<IAllocator*>(create(component_id::kAllocator, 0));
  ASSERT_NE(nullptr, allocator_);
  front_ = CreateFront();
  ASSERT_NE(nullptr, front_);
}

void RegisterFrontTest::TearDown() {
  if (front_ != nullptr) front_->Destroy(1);
  front_ = nullptr;
  if (module_.complete()) {
    EXPECT_EQ(1, module_.PelokDllCanUnloadNow()) << "an instance of the module is left";
  }
  if (allocator_ != nullptr) {
    EXPECT_EQ(0, LiveMemoryValueBlocks()) << "value blocks leaked";
  }
}

IRegisterFront* RegisterFrontTest::CreateFront() {
  return static_cast<IRegisterFront*>(module_.CreateComponent(component_id::kRegisterFront, 0));
}

int RegisterFrontTest::LiveMemoryValueBlocks() const {
  return allocator_->CountLiveBlocks(component_id::kMemoryKeyValues);
}

uint32_t RegisterFrontTest::CreateMemoryKey(uint32_t parent, const char* sub_key,
                                            int* disposition) {
  uint32_t key = 0;
  int created = 0;
  EXPECT_EQ(1, front_->CreateKey(parent, sub_key, kind::kMemory, 0, &key, &created)) << sub_key;
  if (disposition != nullptr) *disposition = created;
  return key;
}

std::string RegisterFrontTest::KeyName(uint32_t key) {
  char buf[260] = {};
  if (!front_->GetKeyName(key, buf, sizeof(buf))) return "<none>";
  return buf;
}

std::string RegisterFrontTest::EnumKeyAt(uint32_t key, int index) {
  char buf[260] = {};
  if (!front_->EnumKey(key, index, buf, sizeof(buf))) return "<none>";
  return buf;
}

}  // namespace test
}  // namespace pelok

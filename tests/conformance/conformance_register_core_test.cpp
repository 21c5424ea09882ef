// The register core (component 1140) of the real module, created through the module's export
// and driven through IRegisterCore: what it refuses on its own (the front guards some of it
// before it), closing every key of every kind, and flushing the stored tables in kind order.
#include <cstdint>
#include <string>
#include <vector>

#include "pelok/component_factory.h"
#include "gtest/gtest.h"
#include "registry/registry_interfaces.h"
#include "tests/support/pelreg_module.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {
namespace {

class RegisterCoreConformanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.complete());
    module_.SetDLLRegistry(BinPath("Pelok.ini").c_str());
    factory_module_ = LoadedModule(BinPath("PelFact.dll"));
    auto create = factory_module_.Get<CreateComponentFn>("CreateComponent");
    ASSERT_NE(nullptr, create);
    allocator_ = static_cast<IAllocator*>(create(component_id::kAllocator, 0));
    ASSERT_NE(nullptr, allocator_);
    core_ = static_cast<IRegisterCore*>(module_.CreateComponent(component_id::kRegisterCore, 0));
    ASSERT_NE(nullptr, core_);
    ASSERT_EQ(1, core_->SetStoreFile(dir_.Join("registry.xml").c_str()));
  }
  void TearDown() override {
    if (core_ != nullptr) core_->Destroy(0);
    EXPECT_EQ(1, module_.PelokDllCanUnloadNow()) << "an instance of the module is left";
    if (allocator_ != nullptr) {
      EXPECT_EQ(0, MemoryValueBlocks()) << "value blocks leaked";
    }
  }

  uint32_t CreateKey(uint32_t parent, const char* sub_key, int key_kind) {
    uint32_t key = 0;
    int disposition = 0;
    EXPECT_EQ(1, core_->CreateKey(parent, sub_key, key_kind, 0, &key, &disposition)) << sub_key;
    return key;
  }
  int MemoryValueBlocks() { return allocator_->CountLiveBlocks(component_id::kMemoryKeyValues); }

  PelRegModule module_;
  LoadedModule factory_module_;
  IAllocator* allocator_ = nullptr;
  TempDir dir_;
  IRegisterCore* core_ = nullptr;
};

TEST_F(RegisterCoreConformanceTest, ANullSubKeyOrParentZeroOpensNothingAndWritesNothing) {
  for (int key_kind : {kind::kMemory, kind::kStored}) {
    uint32_t key = 0x12345678u;
    int disposition = 0x55;
    EXPECT_EQ(0, core_->CreateKey(root::kUser, nullptr, key_kind, 0, &key, &disposition));
    EXPECT_EQ(0, core_->OpenKey(root::kUser, nullptr, key_kind, 0, &key));
    EXPECT_EQ(0, core_->CreateKey(0, "app", key_kind, 0, &key, &disposition));
    EXPECT_EQ(0, core_->OpenKey(0, "app", key_kind, 0, &key));
    EXPECT_EQ(0x12345678u, key);
    EXPECT_EQ(0x55, disposition);
  }
  EXPECT_EQ(0, core_->SetStoreFile(nullptr));
}

TEST_F(RegisterCoreConformanceTest, CloseAllKeysClosesEveryKeyOfEveryKindAndEveryTable) {
  const int kinds[] = {kind::kMemory, kind::kStored, kind::kStored3};
  std::vector<uint32_t> keys;
  for (int key_kind : kinds) {
    for (const char* sub_key : {"a", "b", "a/c"}) {
      keys.push_back(CreateKey(RootOfKind(root::kShare, key_kind), sub_key, key_kind));
      ASSERT_EQ(1, core_->SetValue(keys.back(), "v", value_type::kBinary, "xyz", 3));
    }
  }
  ASSERT_EQ(3, MemoryValueBlocks());

  core_->CloseAllKeys();
  EXPECT_EQ(0, MemoryValueBlocks()) << "every in-memory value set was released";
  EXPECT_EQ(1, core_->Flush()) << "no stored table is left to fail";
  for (uint32_t key : keys) EXPECT_EQ(0, core_->CloseKey(key)) << std::hex << key;
  char name[260] = "keep";
  for (int key_kind : kinds) {
    EXPECT_EQ(0, core_->EnumKey(RootOfKind(root::kShare, key_kind), 0, name, sizeof(name)));
  }
  EXPECT_STREQ("keep", name);

  core_->CloseAllKeys();  // nothing open: nothing happens
  // New tables: each issues its first handle again; the store kept the stored values.
  for (int key_kind : kinds) {
    const uint32_t key = CreateKey(RootOfKind(root::kShare, key_kind), "a", key_kind);
    EXPECT_EQ(KindTag(key_kind) | 1u, key);
    EXPECT_EQ(key_kind == kind::kMemory ? 0 : 1, core_->HasValue(key, "v")) << key_kind;
  }
}

TEST_F(RegisterCoreConformanceTest, FlushVisitsTheStoredTablesInKindOrderAndStopsAtAFailure) {
  const uint32_t three = CreateKey(root::kShare, "app", kind::kStored3);
  EXPECT_EQ(1, core_->Flush()) << "the kind-3 table flushes through its key";

  // A kind-2 table that holds no key fails, and comes first.
  const uint32_t two = CreateKey(root::kShare, "other", kind::kStored);
  ASSERT_EQ(1, core_->CloseKey(two));
  EXPECT_EQ(0, core_->Flush());
  CreateKey(root::kShare, "other", kind::kStored);
  EXPECT_EQ(1, core_->Flush());

  // The kind-1 table is left out, open keys or not.
  CreateKey(root::kUser, "memory", kind::kMemory);
  ASSERT_EQ(1, core_->CloseKey(three));
  EXPECT_EQ(0, core_->Flush()) << "the kind-3 table is empty now";
}

TEST_F(RegisterCoreConformanceTest, DeletingAKeyWhoseStoredDataIsGoneStillTakesItOut) {
  // The same path is open in both stored tables; deleting it through one removes the element.
  const uint32_t two = CreateKey(root::kShare, "app", kind::kStored);
  const uint32_t three = CreateKey(root::kShare, "app", kind::kStored3);
  ASSERT_EQ(1, core_->SetValue(three, "v", value_type::kText, "x", 2));
  EXPECT_EQ(1, core_->DeleteKey(two));
  EXPECT_EQ(0, core_->HasValue(three, "v")) << "the key's element left the store";

  EXPECT_EQ(1, core_->DeleteKey(three)) << "its value set came back from the table";
  uint32_t found = 7;
  EXPECT_EQ(0, core_->OpenKey(root::kShare, "app", kind::kStored3, 0, &found));
  EXPECT_EQ(0u, found);
  EXPECT_EQ(0, core_->CloseKey(three));
}

}  // namespace
}  // namespace test
}  // namespace pelok

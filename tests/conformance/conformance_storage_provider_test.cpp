// The storage provider (component 1152) of the real module, created through the module's export
// and driven through IStorageProvider as the register core drives it: value sets and key tables
// of every kind, the one store it makes on first need, and its store file path.
#include <cstdint>
#include <string>

#include "gtest/gtest.h"
#include "registry/registry_interfaces.h"
#include "tests/support/pelreg_module.h"
#include "tests/support/store_text.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {
namespace {

class StorageProviderConformanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.complete());
    module_.SetDLLRegistry(BinPath("Pelok.ini").c_str());
    provider_ =
        static_cast<IStorageProvider*>(module_.CreateComponent(component_id::kStorageProvider, 0));
    ASSERT_NE(nullptr, provider_);
    EXPECT_EQ(component_id::kStorageProvider, provider_->GetComponentId());
  }
  void TearDown() override {
    DestroyProvider();
    EXPECT_EQ(1, module_.PelokDllCanUnloadNow()) << "an instance of the module is left";
  }
  void DestroyProvider() {
    if (provider_ != nullptr) provider_->Destroy(0);
    provider_ = nullptr;
  }
  std::string FileText(const std::string& path) {
    std::string bytes;
    return ReadStoreText(path, &bytes) ? bytes : "<missing>";
  }

  PelRegModule module_;
  TempDir dir_;
  std::string path_ = dir_.Join("registry.xml");
  IStorageProvider* provider_ = nullptr;
  // Stands for whatever the caller's pointer held before a call.
  char placeholder_ = 0;
  IKeyValues* const unset_values_ = reinterpret_cast<IKeyValues*>(&placeholder_);
  IKeyTable* const unset_table_ = reinterpret_cast<IKeyTable*>(&placeholder_);
};

TEST_F(StorageProviderConformanceTest, AMemoryValueSetKeepsItsPathAndMakesNoStore) {
  IKeyValues* values = unset_values_;
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kMemory, "User/App", &values));
  ASSERT_NE(nullptr, values);
  EXPECT_EQ(component_id::kMemoryKeyValues, values->GetComponentId());
  char path[16] = {};
  EXPECT_EQ(1, values->GetKeyPath(path, sizeof(path)));
  EXPECT_STREQ("user/app", path);
  provider_->ReleaseKeyValues(&values);
  EXPECT_EQ(nullptr, values);

  // No store was made for kind 1: the first stored value set makes it, on the file set now.
  provider_->SetStoreFile(path_.c_str());
  IKeyValues* stored = nullptr;
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kStored, "share/app", &stored));
  EXPECT_EQ(component_id::kStoredKeyValues, stored->GetComponentId());
  EXPECT_NE(std::string::npos, FileText(path_).find("<app")) << FileText(path_);
  provider_->ReleaseKeyValues(&stored);
  EXPECT_EQ(nullptr, stored);
}

TEST_F(StorageProviderConformanceTest, AStoreMadeWithoutAFileIsNeverOpenedLater) {
  for (int stored_kind : {kind::kStored, kind::kStored3}) {
    IKeyValues* values = unset_values_;
    EXPECT_EQ(0, provider_->OpenKeyValues(stored_kind, "share/app", &values));
    EXPECT_EQ(nullptr, values);
  }
  provider_->SetStoreFile(path_.c_str());
  IKeyValues* values = unset_values_;
  EXPECT_EQ(0, provider_->OpenKeyValues(kind::kStored, "share/app", &values));
  EXPECT_EQ(nullptr, values);
  EXPECT_FALSE(FileExistsAt(path_));
}

TEST_F(StorageProviderConformanceTest, KindsWithoutValueSetsOrTablesGiveNull) {
  for (int bad_kind : {0, 4, -1}) {
    SCOPED_TRACE(bad_kind);
    IKeyValues* values = unset_values_;
    EXPECT_EQ(0, provider_->OpenKeyValues(bad_kind, "share/app", &values));
    EXPECT_EQ(nullptr, values);
    IKeyTable* table = unset_table_;
    EXPECT_EQ(0, provider_->CreateKeyTable(bad_kind, &table));
    EXPECT_EQ(nullptr, table);
  }
  IKeyValues* values = unset_values_;
  EXPECT_EQ(0, provider_->OpenKeyValues(kind::kMemory, nullptr, &values));
  EXPECT_EQ(unset_values_, values) << "a refused call writes nothing";
  EXPECT_EQ(0, provider_->OpenKeyValues(kind::kMemory, "user/app", nullptr));
  EXPECT_EQ(0, provider_->CreateKeyTable(kind::kMemory, nullptr));

  // Giving back nothing does nothing.
  provider_->ReleaseKeyValues(nullptr);
  IKeyValues* no_values = nullptr;
  provider_->ReleaseKeyValues(&no_values);
  provider_->ReleaseKeyTable(nullptr);
  IKeyTable* no_table = nullptr;
  provider_->ReleaseKeyTable(&no_table);
  EXPECT_EQ(nullptr, no_values);
  EXPECT_EQ(nullptr, no_table);
}

TEST_F(StorageProviderConformanceTest, EveryKeyTableIsANewTableOfItsKind) {
  IKeyTable* first = unset_table_;
  IKeyTable* second = nullptr;
  IKeyTable* kind2 = nullptr;
  IKeyTable* kind3 = nullptr;
  ASSERT_EQ(1, provider_->CreateKeyTable(kind::kMemory, &first));
  ASSERT_EQ(1, provider_->CreateKeyTable(kind::kMemory, &second));
  ASSERT_EQ(1, provider_->CreateKeyTable(kind::kStored, &kind2));
  ASSERT_EQ(1, provider_->CreateKeyTable(kind::kStored3, &kind3));
  EXPECT_NE(first, second);
  EXPECT_EQ(component_id::kKeyTable1, first->GetComponentId());
  EXPECT_EQ(component_id::kKeyTable1, second->GetComponentId());
  EXPECT_EQ(component_id::kKeyTable2, kind2->GetComponentId());
  EXPECT_EQ(component_id::kKeyTable3, kind3->GetComponentId());

  // Each issues its own first handle.
  IKeyValues* values = nullptr;
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kMemory, "user/app", &values));
  EXPECT_EQ(0x40000001u, first->AddKey("user/app", values));
  EXPECT_EQ(0x40000001u, second->AddKey("user/app", values));
  EXPECT_EQ(values, first->CloseKey(0x40000001u));
  EXPECT_EQ(values, second->CloseKey(0x40000001u));
  provider_->ReleaseKeyValues(&values);

  for (IKeyTable** table : {&first, &second, &kind2, &kind3}) {
    provider_->ReleaseKeyTable(table);
    EXPECT_EQ(nullptr, *table);
  }
}

TEST_F(StorageProviderConformanceTest, BothStoredKindsShareTheOneStore) {
  provider_->SetStoreFile(path_.c_str());
  IKeyValues* two = nullptr;
  IKeyValues* three = nullptr;
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kStored, "share/app", &two));
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kStored3, "share/app", &three));
  ASSERT_NE(two, three);

  // Set through one, not written to the file yet, read through the other: one document.
  const uint32_t port = 8080;
  ASSERT_EQ(1, two->SetValue("port", value_type::kUint32, &port, 4));
  EXPECT_EQ(std::string::npos, FileText(path_).find("port"));
  int type = 0;
  uint32_t read = 0;
  unsigned size = 4;
  ASSERT_EQ(1, three->QueryValue("port", &type, &read, &size));
  EXPECT_EQ(value_type::kUint32, type);
  EXPECT_EQ(port, read);
  EXPECT_EQ(1, three->Flush());
  EXPECT_NE(std::string::npos, FileText(path_).find("port"));

  provider_->ReleaseKeyValues(&two);
  provider_->ReleaseKeyValues(&three);
}

TEST_F(StorageProviderConformanceTest, AStoreFilePathIsTakenUpTo259Characters) {
  // The longest path the provider keeps: 259 characters.
  const size_t room = 259 - dir_.path().size() - 1;
  const std::string longest = dir_.Join(std::string(room - 4, 'p') + ".xml");
  ASSERT_EQ(259u, longest.size());
  const std::string too_long = longest + "x";

  provider_->SetStoreFile(path_.c_str());
  provider_->SetStoreFile(too_long.c_str());  // dropped: the previous path stays
  IKeyValues* values = nullptr;
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kStored, "share/app", &values));
  provider_->ReleaseKeyValues(&values);
  DestroyProvider();
  EXPECT_TRUE(FileExistsAt(path_));
  EXPECT_FALSE(FileExistsAt(too_long));

  provider_ =
      static_cast<IStorageProvider*>(module_.CreateComponent(component_id::kStorageProvider, 0));
  ASSERT_NE(nullptr, provider_);
  provider_->SetStoreFile(longest.c_str());
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kStored, "share/app", &values));
  const char text[] = "long";
  ASSERT_EQ(1, values->SetValue("name", value_type::kText, text, sizeof(text)));
  EXPECT_EQ(1, values->Flush());
  provider_->ReleaseKeyValues(&values);
  EXPECT_NE(std::string::npos, FileText(longest).find("long")) << FileText(longest);
}

TEST_F(StorageProviderConformanceTest, DestroyingTheProviderClosesItsStoreWhichWritesTheFile) {
  provider_->SetStoreFile(path_.c_str());
  IKeyValues* values = nullptr;
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kStored3, "share/app", &values));
  const char text[] = "written";
  ASSERT_EQ(1, values->SetValue("marker", value_type::kText, text, sizeof(text)));
  provider_->ReleaseKeyValues(&values);
  EXPECT_EQ(std::string::npos, FileText(path_).find("written"));

  DestroyProvider();
  EXPECT_NE(std::string::npos, FileText(path_).find("written")) << FileText(path_);
  EXPECT_EQ(1, module_.PelokDllCanUnloadNow()) << "the store went with the provider";
}

// A stored value set whose store was taken away (its destroy hook) reaches the store no more.
TEST_F(StorageProviderConformanceTest, ADetachedStoredValueSetFailsEveryStoreOperation) {
  provider_->SetStoreFile(path_.c_str());
  IKeyValues* values = nullptr;
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kStored, "share/app", &values));
  const uint32_t number = 5;
  ASSERT_EQ(1, values->SetValue("n", value_type::kUint32, &number, 4));

  static_cast<IStoredKeyValues*>(values)->DetachStore();
  int type = 0;
  uint32_t read = 0;
  unsigned size = 4;
  char name[8] = "keep";
  EXPECT_EQ(0, values->SetValue("m", value_type::kUint32, &number, 4));
  EXPECT_EQ(0, values->QueryValue("n", &type, &read, &size));
  EXPECT_EQ(0, values->EnumValue(1, name, sizeof(name), &type, &read, &size));
  EXPECT_EQ(0, values->HasValue("n"));
  EXPECT_EQ(0, values->DeleteValue("n"));
  EXPECT_EQ(0, values->DeleteKey());
  EXPECT_EQ(0, values->Flush());
  EXPECT_STREQ("keep", name);
  EXPECT_EQ(0u, read);
  char path[16] = {};
  EXPECT_EQ(1, values->GetKeyPath(path, sizeof(path)));
  EXPECT_STREQ("share/app", path);
  provider_->ReleaseKeyValues(&values);

  // The store itself still holds the key and its value.
  ASSERT_EQ(1, provider_->OpenKeyValues(kind::kStored, "share/app", &values));
  EXPECT_EQ(1, values->QueryValue("n", &type, &read, &size));
  EXPECT_EQ(number, read);
  provider_->ReleaseKeyValues(&values);
}

}  // namespace
}  // namespace test
}  // namespace pelok

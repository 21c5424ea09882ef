// The value set of a stored key (component 1135), built into the test program, on a fake store
// that records what reaches it and writes as the real one does (a number always as 4 bytes).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "framework/module_state.h"
#include "registry/stored_key_values.h"
#include "util/bounded_string.h"

namespace pelok {
namespace {

class FakeStore : public IRegisterStore {
 public:
  int GetComponentId() override { return component_id::kXmlRegisterStore; }
  int GetVersion() override { return 1; }
  void Destroy(int) override { ++destroy_calls; }
  int GetAutoFree() override { return 0; }
  void SetAutoFree(int) override {}

  int OpenStoreFile(const char*) override { return Record("OpenStoreFile", ""); }
  int CreateKeyPath(const char* key_path) override { return Record("CreateKeyPath", key_path); }
  int SetValue(const char* key_path, const char* name, int type, const void* data,
               unsigned size) override {
    last_name = name != nullptr ? name : "<null>";
    last_type = type;
    last_data = data;
    last_size = size;
    if (data != nullptr && type == value_type::kUint32) std::memcpy(&number, data, 4);
    return Record("SetValue", key_path);
  }
  int QueryValue(const char* key_path, const char* name, int* type, void* data,
                 unsigned* size) override {
    last_name = name != nullptr ? name : "<null>";
    if (result == 0 || type == nullptr || data == nullptr || size == nullptr) {
      return Record("QueryValue", key_path);
    }
    *type = value_type::kUint32;
    const unsigned capacity = *size;
    *size = stored_size;
    if (stored_size <= capacity) std::memcpy(data, &number, 4);  // whatever the capacity
    return stored_size <= capacity ? Record("QueryValue", key_path) : 0;
  }
  int HasValue(const char* key_path, const char* name) override {
    last_name = name != nullptr ? name : "<null>";
    return Record("HasValue", key_path);
  }
  int DeleteValue(const char* key_path, const char* name) override {
    last_name = name != nullptr ? name : "<null>";
    return Record("DeleteValue", key_path);
  }
  int DeleteKey(const char* key_path) override { return Record("DeleteKey", key_path); }
  int GetChildName(const char* key_path, int, char*, int) override {
    return Record("GetChildName", key_path);
  }
  int GetValueName(const char* key_path, int index, char* buf, int len) override {
    Record("GetValueName", key_path);
    if (index < 1 || index > static_cast<int>(value_names.size())) return 0;
    return CopyText(buf, len, value_names[index - 1].c_str());
  }
  int Save() override { return Record("Save", ""); }
  void CloseStore() override {}
  void GetDllRegistryPath(const char*, char*, int) override {}

  int result = 1;
  std::vector<std::string> calls;  // "Operation key/path"
  // A copy: the name often lives in the caller's stack buffer, gone when the test reads it.
  std::string last_name;
  int last_type = 0;
  const void* last_data = nullptr;
  unsigned last_size = 0;
  uint32_t number = 0;
  unsigned stored_size = 4;
  std::vector<std::string> value_names;
  int destroy_calls = 0;

 private:
  int Record(const char* operation, const char* key_path) {
    calls.push_back(std::string(operation) + " " + key_path);
    return result;
  }
};

class StoredKeyValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    values_ = static_cast<IStoredKeyValues*>(
        host::CreateRecordedComponent(component_id::kStoredKeyValues, 0));
    ASSERT_NE(nullptr, values_);
  }
  void TearDown() override {
    if (values_ != nullptr) values_->Destroy(0);
    EXPECT_EQ(0, store_.destroy_calls) << "the store is borrowed, never released";
  }
  std::string KeyPath() {
    char buf[260] = "<none>";
    values_->GetKeyPath(buf, sizeof(buf));
    return buf;
  }

  FakeStore store_;
  IStoredKeyValues* values_ = nullptr;
};

TEST_F(StoredKeyValuesTest, WithoutAStoreOnlyThePathIsKept) {
  EXPECT_EQ(1135, values_->GetComponentId());
  EXPECT_EQ(1, values_->SetKeyPath("Share/A"));
  EXPECT_EQ("Share/A", KeyPath()) << "the register core lower-cases, not this component";
  int type = 0;
  char data[4];
  unsigned size = 4;
  EXPECT_EQ(0, values_->SetValue("v", 1, "x", 2));
  EXPECT_EQ(0, values_->QueryValue("v", &type, data, &size));
  EXPECT_EQ(0, values_->EnumValue(1, nullptr, 0, &type, data, &size));
  EXPECT_EQ(0, values_->HasValue("v"));
  EXPECT_EQ(0, values_->DeleteValue("v"));
  EXPECT_EQ(0, values_->DeleteKey());
  EXPECT_EQ(0, values_->Flush());
  EXPECT_EQ(0, values_->SetKeyPath(nullptr));
}

TEST_F(StoredKeyValuesTest, AnOverLongPathIsForgottenAndTheBufferMustHoldThePathAndItsEnd) {
  values_->SetKeyPath("share/a");
  char buf[8] = "keep";
  EXPECT_EQ(0, values_->GetKeyPath(buf, 7));
  EXPECT_STREQ("keep", buf);
  EXPECT_EQ(0, values_->GetKeyPath(nullptr, 8));
  EXPECT_EQ(0, values_->GetKeyPath(buf, 0));
  EXPECT_EQ(1, values_->GetKeyPath(buf, 8));
  EXPECT_STREQ("share/a", buf);

  EXPECT_EQ(1, values_->SetKeyPath(std::string(260, 'x').c_str()));
  EXPECT_EQ("", KeyPath());
}

TEST_F(StoredKeyValuesTest, ThePathIsCreatedInTheStoreWhicheverComesFirst) {
  values_->AttachStore(&store_);
  store_.result = 0;
  EXPECT_EQ(0, values_->SetKeyPath("share/a")) << "the store's result";
  EXPECT_EQ((std::vector<std::string>{"CreateKeyPath share/a"}), store_.calls);

  values_->DetachStore();
  store_.calls.clear();
  values_->AttachStore(&store_);
  EXPECT_EQ((std::vector<std::string>{"CreateKeyPath share/a"}), store_.calls);
  values_->AttachStore(nullptr);
  EXPECT_EQ(1u, store_.calls.size()) << "no store: no call";
  EXPECT_EQ(0, values_->Flush());
}

TEST_F(StoredKeyValuesTest, OperationsReachTheStoreWithTheKeyPathFirst) {
  values_->AttachStore(&store_);
  values_->SetKeyPath("share/app");
  store_.calls.clear();
  store_.result = 9;
  const unsigned char bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(9, values_->SetValue("blob", value_type::kBinary, bytes, 10));
  EXPECT_EQ("blob", store_.last_name);
  EXPECT_EQ(3, store_.last_type);
  EXPECT_EQ(static_cast<const void*>(bytes), store_.last_data);
  EXPECT_EQ(10u, store_.last_size);
  EXPECT_EQ(9, values_->HasValue("h"));
  EXPECT_EQ(9, values_->DeleteValue("d"));
  EXPECT_EQ(9, values_->DeleteKey());
  EXPECT_EQ(9, values_->Flush());
  EXPECT_EQ(0, values_->HasValue(nullptr));
  EXPECT_EQ(0, values_->DeleteValue(nullptr));
  EXPECT_EQ((std::vector<std::string>{"SetValue share/app", "HasValue share/app",
                                      "DeleteValue share/app", "DeleteKey share/app", "Save "}),
            store_.calls);
}

TEST_F(StoredKeyValuesTest, EnumValueNamesThePositionFromOneAndThenQueriesThatName) {
  values_->AttachStore(&store_);
  values_->SetKeyPath("share/app");
  store_.value_names = {"port"};
  store_.number = 8080;
  char name[16] = "keep";
  int type = 0;
  uint32_t data = 0;
  unsigned size = 4;
  EXPECT_EQ(0, values_->EnumValue(0, name, sizeof(name), &type, &data, &size));
  EXPECT_STREQ("", name) << "the empty name of a refused position is copied out";
  EXPECT_EQ(1, values_->EnumValue(1, name, sizeof(name), &type, &data, &size));
  EXPECT_STREQ("port", name);
  EXPECT_EQ("port", store_.last_name);
  EXPECT_EQ(8080u, data);

  char small[4] = "abc";
  EXPECT_EQ(1, values_->EnumValue(1, small, sizeof(small), &type, &data, &size))
      << "a name that does not fit is left out; the value is still read";
  EXPECT_STREQ("abc", small);
}

TEST_F(StoredKeyValuesTest, ANumberReachesOnlyTheBytesTheCallerHas) {
  values_->AttachStore(&store_);
  values_->SetKeyPath("share/app");

  const unsigned char two[2] = {0x34, 0x12};
  ASSERT_EQ(1, values_->SetValue("n", value_type::kUint32, two, 2));
  EXPECT_EQ(2u, store_.last_size) << "the size is passed on unchanged";
  EXPECT_EQ(0x1234u, store_.number) << "zero-extended from the two bytes given";

  // The fake writes a number as 4 bytes whatever the capacity, as the store may.
  store_.stored_size = 2;
  store_.value_names = {"n"};
  for (unsigned capacity : {2u, 3u}) {
    unsigned char out[4] = {0xaa, 0xaa, 0xaa, 0xaa};
    int type = 0;
    unsigned size = capacity;
    EXPECT_EQ(0, values_->QueryValue("n", &type, out, &size));
    EXPECT_EQ(4u, size) << "what the caller needs";
    for (unsigned char byte : out) EXPECT_EQ(0xaa, byte);
    size = capacity;
    EXPECT_EQ(0, values_->EnumValue(1, nullptr, 0, &type, out, &size));
    EXPECT_EQ(4u, size);
    for (unsigned char byte : out) EXPECT_EQ(0xaa, byte);
  }
  uint32_t number = 0;
  int type = 0;
  unsigned size = 4;
  ASSERT_EQ(1, values_->QueryValue("n", &type, &number, &size));
  EXPECT_EQ(0x1234u, number);
}

TEST_F(StoredKeyValuesTest, SizesThatWereNegativeNeverReachTheStore) {
  values_->AttachStore(&store_);
  values_->SetKeyPath("share/app");
  store_.calls.clear();
  store_.value_names = {"n"};
  int type = 0;
  char data[8] = "keep";
  char name[8] = "keep";
  unsigned size = static_cast<unsigned>(-1);
  EXPECT_EQ(0, values_->SetValue("n", value_type::kBinary, data, static_cast<unsigned>(-8)));
  EXPECT_EQ(0, values_->QueryValue("n", &type, data, &size));
  EXPECT_EQ(0, values_->EnumValue(1, name, sizeof(name), &type, data, &size));
  EXPECT_TRUE(store_.calls.empty());
  EXPECT_STREQ("keep", name);
  EXPECT_EQ(static_cast<unsigned>(-1), size);
}

}  // namespace
}  // namespace pelok

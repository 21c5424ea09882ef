// Keys of kinds 2 and 3 through the front component, on a store file in a fresh directory: the
// two stored tables side by side, their handles and enumeration, value positions counted from 1
// by the store, and numbers read or written with fewer than 4 bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/support/registry_front_fixture.h"
#include "tests/support/store_text.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {
namespace {

class RegisterFrontStoredKeysTest : public RegisterFrontTest {
 protected:
  void SetUp() override {
    RegisterFrontTest::SetUp();
    if (front_ != nullptr) {
      ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
    }
  }
  uint32_t CreateStoredKey(int key_kind, const char* sub_key, int* disposition = nullptr) {
    uint32_t key = 0;
    int created = 0;
    EXPECT_EQ(1, front_->CreateKey(root::kShare, sub_key, key_kind, 0, &key, &created)) << sub_key;
    if (disposition != nullptr) *disposition = created;
    return key;
  }

  TempDir dir_;
  std::string path_ = dir_.Join("registry.xml");
};

TEST_F(RegisterFrontStoredKeysTest, TheSamePathIsOpenInBothStoredTablesWithSeparateHandles) {
  const uint32_t two = CreateStoredKey(kind::kStored, "App");
  const uint32_t three = CreateStoredKey(kind::kStored3, "app");
  EXPECT_EQ(0x80000001u, two);
  EXPECT_EQ(0xc0000001u, three);
  EXPECT_EQ("share/app", KeyName(two));
  EXPECT_EQ("share/app", KeyName(three));

  uint32_t found = 0;
  ASSERT_EQ(1, front_->OpenKey(root::kShare, "app", kind::kStored, 0, &found));
  EXPECT_EQ(two, found);
  ASSERT_EQ(1, front_->OpenKey(root::kShare, "app", kind::kStored3, 0, &found));
  EXPECT_EQ(three, found);
  EXPECT_EQ(0, front_->OpenKey(root::kShare, "app", kind::kMemory, 0, &found));

  // One store behind both: a value set through one handle is seen through the other.
  ASSERT_EQ(1, front_->SetValue(two, "port", value_type::kUint32, "\x50\x1f\x00\x00", 4));
  int port = 0;
  EXPECT_EQ(1, front_->QueryIntValue(three, "port", &port));
  EXPECT_EQ(8016, port);
}

TEST_F(RegisterFrontStoredKeysTest, EachStoredRootListsOnlyTheKeysOpenInItsTable) {
  CreateStoredKey(kind::kStored, "a");
  CreateStoredKey(kind::kStored, "a/b");
  CreateStoredKey(kind::kStored3, "c");
  EXPECT_EQ("share/a", EnumKeyAt(RootOfKind(root::kShare, kind::kStored), 0));
  EXPECT_EQ("share/a/b", EnumKeyAt(RootOfKind(root::kShare, kind::kStored), 1));
  EXPECT_EQ("<none>", EnumKeyAt(RootOfKind(root::kShare, kind::kStored), 2));
  EXPECT_EQ("share/c", EnumKeyAt(RootOfKind(root::kShare, kind::kStored3), 0));
  EXPECT_EQ("<none>", EnumKeyAt(RootOfKind(root::kShare, kind::kStored3), 1));
}

TEST_F(RegisterFrontStoredKeysTest, AStoredKeyComesBackCreatedAfterCloseWithItsValues) {
  const uint32_t key = CreateStoredKey(kind::kStored, "app");
  ASSERT_EQ(1, front_->SetValue(key, "name", value_type::kText, "kept", 5));
  ASSERT_EQ(1, front_->CloseKey(key));

  uint32_t found = 7;
  EXPECT_EQ(0, front_->OpenKey(root::kShare, "app", kind::kStored, 0, &found))
      << "OpenKey finds open keys only, never the store";
  EXPECT_EQ(0u, found);
  int disposition = 0;
  const uint32_t again = CreateStoredKey(kind::kStored, "app", &disposition);
  EXPECT_EQ(disposition::kCreated, disposition) << "the disposition reflects the table";
  char text[8] = {};
  int size = sizeof(text);
  EXPECT_EQ(1, front_->QueryStringValue(again, "name", text, &size));
  EXPECT_STREQ("kept", text);
}

TEST_F(RegisterFrontStoredKeysTest, StoredValuesEnumerateFromPositionOne) {
  const uint32_t key = CreateStoredKey(kind::kStored3, "app");
  ASSERT_EQ(1, front_->SetValue(key, "first", value_type::kText, "1", 2));
  ASSERT_EQ(1, front_->SetValue(key, "second", value_type::kBinary, "\x02", 1));

  char name[16] = "keep";
  int type = 0;
  char data[8] = {};
  int size = sizeof(data);
  EXPECT_EQ(0, front_->EnumValue(key, 0, name, sizeof(name), &type, data, &size));
  EXPECT_STREQ("", name) << "an empty name for a position the store refuses";
  EXPECT_EQ(1, front_->EnumValue(key, 1, name, sizeof(name), &type, data, &size));
  EXPECT_STREQ("first", name);
  EXPECT_EQ(value_type::kText, type);
  size = sizeof(data);
  EXPECT_EQ(1, front_->EnumValue(key, 2, name, sizeof(name), &type, data, &size));
  EXPECT_STREQ("second", name);
  EXPECT_EQ(1, size);
  size = sizeof(data);
  EXPECT_EQ(0, front_->EnumValue(key, 3, name, sizeof(name), &type, data, &size));
}

TEST_F(RegisterFrontStoredKeysTest, ANumberNeedsFourBytesWhateverSizeItWasSetWith) {
  const uint32_t key = CreateStoredKey(kind::kStored, "app");
  // Two readable bytes given for a number: only they may be read.
  const unsigned char two[2] = {0x34, 0x12};
  ASSERT_EQ(1, front_->SetValue(key, "short", value_type::kUint32, two, 2));

  for (int capacity : {2, 3}) {
    unsigned char out[4] = {0xaa, 0xaa, 0xaa, 0xaa};
    int type = 0;
    int size = capacity;
    EXPECT_EQ(0, front_->QueryValue(key, "short", &type, out, &size));
    EXPECT_EQ(4, size) << "what the caller needs";
    for (unsigned char byte : out) EXPECT_EQ(0xaa, byte) << "written past the capacity";
  }
  int value = 0;
  ASSERT_EQ(1, front_->QueryIntValue(key, "short", &value));
  EXPECT_EQ(0x1234, value);
}

TEST_F(RegisterFrontStoredKeysTest, NegativeSizesNeverReachTheStore) {
  const uint32_t key = CreateStoredKey(kind::kStored, "app");
  ASSERT_EQ(1, front_->SetValue(key, "text", value_type::kText, "hello", 6));
  EXPECT_EQ(0, front_->SetValue(key, "bad", value_type::kBinary, "abcd", -1));
  EXPECT_EQ(0, front_->HasValue(key, "bad"));
  char data[8] = "keep";
  char name[8] = "keep";
  int type = 7;
  int size = -1;
  EXPECT_EQ(0, front_->QueryValue(key, "text", &type, data, &size));
  EXPECT_EQ(0, front_->EnumValue(key, 1, name, sizeof(name), &type, data, &size));
  EXPECT_EQ(-1, size);
  EXPECT_EQ(7, type);
  EXPECT_STREQ("keep", data);
  EXPECT_STREQ("keep", name);
}

TEST_F(RegisterFrontStoredKeysTest, FlushWritesTheStoreFileThroughEitherStoredTable) {
  const uint32_t key = CreateStoredKey(kind::kStored3, "app");
  ASSERT_EQ(1, front_->SetValue(key, "marker", value_type::kText, "written", 8));
  EXPECT_EQ(1, front_->Flush());
  std::string file;
  ASSERT_TRUE(ReadStoreText(path_, &file));
  EXPECT_NE(std::string::npos, file.find("marker"));
  EXPECT_NE(std::string::npos, file.find("written"));
}

TEST_F(RegisterFrontStoredKeysTest, DeleteKeyRemovesTheKeyFromTheStore) {
  const uint32_t key = CreateStoredKey(kind::kStored, "gone");
  ASSERT_EQ(1, front_->SetValue(key, "v", value_type::kText, "x", 2));
  EXPECT_EQ(1, front_->DeleteKey(key));
  EXPECT_EQ(0, front_->DeleteKey(key));
  const uint32_t again = CreateStoredKey(kind::kStored, "gone");
  EXPECT_EQ(0, front_->HasValue(again, "v"));
}

TEST_F(RegisterFrontStoredKeysTest, ALaterStoreFileDoesNotMoveAnOpenStore) {
  CreateStoredKey(kind::kStored, "app");
  const std::string other = dir_.Join("other.xml");
  EXPECT_EQ(1, front_->SetStoreFile(other.c_str()));
  EXPECT_EQ(1, front_->Flush());
  EXPECT_TRUE(FileExistsAt(path_));
  EXPECT_FALSE(FileExistsAt(other));
}

}  // namespace
}  // namespace test
}  // namespace pelok

// Bad input through the front component: null pointers, zero and negative sizes and indexes,
// handles never issued or already closed, root codes in the place of keys, over-long paths.
// Every such call returns 0, writes nothing it should not, and leaks nothing.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/registry_front_fixture.h"

namespace pelok {
namespace test {
namespace {

class RegisterFrontBadInputTest : public RegisterFrontTest {
 protected:
  void SetUp() override {
    RegisterFrontTest::SetUp();
    if (front_ == nullptr) return;
    key_ = CreateMemoryKey(root::kShare, "app");
    ASSERT_EQ(1, front_->SetValue(key_, "text", value_type::kText, "hello", 6));
    closed_ = CreateMemoryKey(root::kShare, "closed");
    ASSERT_EQ(1, front_->CloseKey(closed_));
  }
  // Keys that name no open key of a table: never issued, closed, kind 0, root codes.
  std::vector<uint32_t> NoKeys() const {
    return {0u,           closed_,
            0x40000077u,  0x80000001u,
            0xc0000001u,  key_ & 0x3fffffffu,
            root::kShare, MemoryRoot(root::kShare),
            0xfffffff3u};
  }

  uint32_t key_ = 0;
  uint32_t closed_ = 0;
};

TEST_F(RegisterFrontBadInputTest, CreateAndOpenRefuseANullSubKeyAndWriteNothing) {
  uint32_t key = 0x12345678u;
  int disposition = 0x55;
  EXPECT_EQ(0, front_->CreateKey(root::kShare, nullptr, kind::kMemory, 0, &key, &disposition));
  EXPECT_EQ(0, front_->OpenKey(root::kShare, nullptr, kind::kMemory, 0, &key));
  EXPECT_EQ(0x12345678u, key);
  EXPECT_EQ(0x55, disposition);
}

TEST_F(RegisterFrontBadInputTest, CreateAndOpenRefuseAMissingPlaceForTheHandle) {
  int disposition = 0x55;
  EXPECT_EQ(0, front_->CreateKey(root::kUser, "new", kind::kMemory, 0, nullptr, &disposition));
  EXPECT_EQ(0x55, disposition);
  EXPECT_EQ(0, front_->OpenKey(root::kShare, "app", kind::kMemory, 0, nullptr));
  EXPECT_EQ("<none>", EnumKeyAt(MemoryRoot(root::kUser), 0)) << "nothing was created";

  uint32_t key = 0;
  EXPECT_EQ(1, front_->CreateKey(root::kShare, "app", kind::kMemory, 0, &key, nullptr))
      << "the disposition may be left out";
  EXPECT_EQ(key_, key);
}

TEST_F(RegisterFrontBadInputTest, ParentsThatAreNoKeyGiveNoSubKey) {
  for (uint32_t parent : {0u, closed_, 0x40000077u, 0xc0000001u, 0x3ffffff6u, 0x3ffffff0u}) {
    uint32_t key = 0x12345678u;
    int disposition = 0x55;
    EXPECT_EQ(0, front_->CreateKey(parent, "x", kind::kMemory, 0, &key, &disposition))
        << std::hex << parent;
    EXPECT_EQ(0, front_->OpenKey(parent, "x", kind::kMemory, 0, &key)) << std::hex << parent;
    EXPECT_EQ(0x12345678u, key);
    EXPECT_EQ(0x55, disposition);
  }
}

TEST_F(RegisterFrontBadInputTest, EveryOperationOnAKeyThatIsNotOpenFails) {
  for (uint32_t key : NoKeys()) {
    SCOPED_TRACE(key);
    char data[8] = "keep";
    int type = 7;
    int size = sizeof(data);
    char name[8] = "keep";
    int value = 3;
    EXPECT_EQ(0, front_->SetValue(key, "v", value_type::kText, "x", 2));
    EXPECT_EQ(0, front_->QueryValue(key, "text", &type, data, &size));
    EXPECT_EQ(0, front_->EnumValue(key, 0, name, sizeof(name), &type, data, &size));
    EXPECT_EQ(0, front_->QueryStringValue(key, "text", data, &size));
    EXPECT_EQ(0, front_->QueryIntValue(key, "text", &value));
    EXPECT_EQ(0, front_->QueryBinaryValue(key, "text", data, &size));
    EXPECT_EQ(0, front_->HasValue(key, "text"));
    EXPECT_EQ(0, front_->DeleteValue(key, "text"));
    EXPECT_EQ(0, front_->CloseKey(key));
    EXPECT_EQ(0, front_->ReleaseKey(key));
    EXPECT_EQ(0, front_->DeleteKey(key));
    EXPECT_STREQ("keep", data);
    EXPECT_STREQ("keep", name);
    EXPECT_EQ(7, type);
    EXPECT_EQ(8, size);
    EXPECT_EQ(3, value);
  }
  EXPECT_EQ(1, front_->HasValue(key_, "text")) << "the open key was not touched";
}

TEST_F(RegisterFrontBadInputTest, NullNamesAndBuffersAreRefused) {
  char data[8] = "keep";
  int type = 7;
  int size = sizeof(data);
  EXPECT_EQ(0, front_->SetValue(key_, nullptr, value_type::kText, "x", 2));
  EXPECT_EQ(0, front_->SetValue(key_, "v", value_type::kText, nullptr, 2));
  EXPECT_EQ(0, front_->QueryValue(key_, nullptr, &type, data, &size));
  EXPECT_EQ(0, front_->QueryValue(key_, "text", nullptr, data, &size));
  EXPECT_EQ(0, front_->QueryValue(key_, "text", &type, nullptr, &size));
  EXPECT_EQ(0, front_->QueryValue(key_, "text", &type, data, nullptr));
  EXPECT_EQ(0, front_->QueryStringValue(key_, "text", nullptr, &size));
  EXPECT_EQ(0, front_->QueryStringValue(key_, "text", data, nullptr));
  EXPECT_EQ(0, front_->QueryIntValue(key_, "text", nullptr));
  EXPECT_EQ(0, front_->QueryBinaryValue(key_, "text", nullptr, &size));
  EXPECT_EQ(0, front_->EnumValue(key_, 0, data, sizeof(data), nullptr, data, &size));
  EXPECT_EQ(0, front_->EnumValue(key_, 0, data, sizeof(data), &type, nullptr, &size));
  EXPECT_EQ(0, front_->EnumValue(key_, 0, data, sizeof(data), &type, data, nullptr));
  EXPECT_EQ(0, front_->HasValue(key_, nullptr));
  EXPECT_EQ(0, front_->DeleteValue(key_, nullptr));
  EXPECT_EQ(0, front_->GetKeyName(key_, nullptr, 260));
  EXPECT_EQ(0, front_->GetKeyName(root::kShare, nullptr, 260));
  EXPECT_EQ(0, front_->EnumKey(MemoryRoot(root::kShare), 0, nullptr, 260));
  EXPECT_EQ(0, front_->SetStoreFile(nullptr));
  EXPECT_STREQ("keep", data);
  EXPECT_EQ(7, type);
  EXPECT_EQ(8, size);
  EXPECT_EQ(1, front_->HasValue(key_, "text"));
}

TEST_F(RegisterFrontBadInputTest, ZeroAndNegativeSizesAreRefused) {
  for (int bad : {0, -1, -4, INT32_MIN}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(0, front_->SetValue(key_, "new", value_type::kBinary, "abcd", bad));
    EXPECT_EQ(0, front_->SetValue(key_, "new", value_type::kUint32, "abcd", bad));
    EXPECT_EQ(0, front_->HasValue(key_, "new")) << "nothing was stored";

    unsigned char data[8];
    std::memset(data, 0xee, sizeof(data));
    int type = 7;
    int size = bad;
    EXPECT_EQ(0, front_->QueryValue(key_, "text", &type, data, &size));
    EXPECT_EQ(bad, size);
    EXPECT_EQ(0, front_->QueryStringValue(key_, "text", reinterpret_cast<char*>(data), &size));
    EXPECT_EQ(0, front_->QueryBinaryValue(key_, "text", data, &size));
    char name[8] = "keep";
    EXPECT_EQ(0, front_->EnumValue(key_, 0, name, sizeof(name), &type, data, &size));
    EXPECT_EQ(bad, size);
    EXPECT_STREQ("keep", name);
    EXPECT_EQ(7, type);
    for (unsigned char byte : data) EXPECT_EQ(0xee, byte);
  }
}

TEST_F(RegisterFrontBadInputTest, NegativeIndexesAndLengthsFindNothing) {
  CreateMemoryKey(key_, "child");
  char buf[16] = "keep";
  int type = 7;
  char data[8] = "keep";
  int size = sizeof(data);
  EXPECT_EQ(0, front_->EnumValue(key_, -1, buf, sizeof(buf), &type, data, &size));
  EXPECT_EQ(0, front_->EnumValue(key_, 1, buf, sizeof(buf), &type, data, &size));
  EXPECT_EQ(0, front_->EnumKey(key_, -1, buf, sizeof(buf)));
  EXPECT_EQ(0, front_->EnumKey(key_, 1, buf, sizeof(buf)));
  EXPECT_EQ(0, front_->EnumKey(key_, 0, buf, 0));
  EXPECT_EQ(0, front_->EnumKey(key_, 0, buf, -1));
  EXPECT_EQ(0, front_->GetKeyName(key_, buf, 0));
  EXPECT_EQ(0, front_->GetKeyName(key_, buf, -1));
  EXPECT_EQ(0, front_->GetKeyName(root::kUser, buf, -5));
  EXPECT_STREQ("keep", buf);
  EXPECT_STREQ("keep", data);
  EXPECT_EQ(7, type);
}

TEST_F(RegisterFrontBadInputTest, NamesThatDoNotFitLeaveTheBufferUnchanged) {
  char buf[9] = "keepkeep";
  EXPECT_EQ(0, front_->GetKeyName(key_, buf, 9)) << "share/app needs 10 bytes";
  EXPECT_EQ(0, front_->EnumKey(MemoryRoot(root::kShare), 0, buf, 9));
  EXPECT_STREQ("keepkeep", buf);
  char ten[10];
  EXPECT_EQ(1, front_->GetKeyName(key_, ten, 10));
  EXPECT_STREQ("share/app", ten);
}

TEST_F(RegisterFrontBadInputTest, PathsOf260CharactersAreRefused) {
  const std::string path(260, 'p');
  uint32_t key = 0x12345678u;
  int disposition = 0x55;
  EXPECT_EQ(0, front_->CreateKey(root::kShare, path.c_str(), kind::kMemory, 0, &key, &disposition));
  EXPECT_EQ(0, front_->CreateKey(key_, path.c_str(), kind::kMemory, 0, &key, &disposition));
  EXPECT_EQ(0x12345678u, key);
  EXPECT_EQ(0x55, disposition);
  EXPECT_EQ(0, front_->SetStoreFile(path.c_str())) << "a store file that cannot be kept";

  const std::string long_name(300, 'n');
  ASSERT_EQ(1, front_->SetValue(key_, long_name.c_str(), value_type::kText, "v", 2))
      << "value names are not limited by the registry";
  char name[260] = "keep";
  int type = 0;
  char data[8] = {};
  int size = sizeof(data);
  int index = 0;
  while (front_->EnumValue(key_, index, nullptr, 0, &type, data, &size) == 1) {
    size = sizeof(data);
    ++index;
  }
  EXPECT_EQ(2, index);
  EXPECT_EQ(0, front_->EnumValue(key_, 0, name, sizeof(name), &type, data, &size))
      << "the 300-character name sorts first and does not fit";
  EXPECT_STREQ("keep", name);
}

TEST_F(RegisterFrontBadInputTest, ValueOperationsOnARootCodeFail) {
  for (uint32_t code : {0x3ffffff4u, 0x7ffffff4u, 0xbffffff4u, 0xfffffff4u}) {
    EXPECT_EQ(0, front_->SetValue(code, "v", value_type::kText, "x", 2));
    EXPECT_EQ(0, front_->HasValue(code, "v"));
    EXPECT_EQ(0, front_->CloseKey(code));
  }
}

}  // namespace
}  // namespace test
}  // namespace pelok

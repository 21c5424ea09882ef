// Values through the front component: the three types, the typed queries, buffers that are too
// small, enumeration, presence and deletion, on memory keys.
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/support/registry_front_fixture.h"

namespace pelok {
namespace test {
namespace {

class RegisterFrontValuesTest : public RegisterFrontTest {
 protected:
  void SetUp() override {
    RegisterFrontTest::SetUp();
    if (front_ != nullptr) key_ = CreateMemoryKey(root::kShare, "app");
  }
  int SetText(const char* name, const std::string& text) {
    return front_->SetValue(key_, name, value_type::kText, text.c_str(),
                            static_cast<int>(text.size() + 1));
  }
  int SetNumber(const char* name, uint32_t number) {
    return front_->SetValue(key_, name, value_type::kUint32, &number, 4);
  }
  std::string NameAt(int index) {
    char name[64] = {};
    int type = 0;
    char data[64];
    int size = sizeof(data);
    if (!front_->EnumValue(key_, index, name, sizeof(name), &type, data, &size)) return "<none>";
    return name;
  }

  uint32_t key_ = 0;
};

TEST_F(RegisterFrontValuesTest, TextComesBackWithItsTypeAndSize) {
  ASSERT_EQ(1, SetText("title", "hello"));
  char data[16] = {};
  int type = 0;
  int size = sizeof(data);
  EXPECT_EQ(1, front_->QueryValue(key_, "title", &type, data, &size));
  EXPECT_EQ(value_type::kText, type);
  EXPECT_EQ(6, size);
  EXPECT_STREQ("hello", data);

  char text[16] = {};
  size = sizeof(text);
  EXPECT_EQ(1, front_->QueryStringValue(key_, "title", text, &size));
  EXPECT_STREQ("hello", text);
  EXPECT_EQ(6, size);
}

TEST_F(RegisterFrontValuesTest, ANumberComesBackThroughQueryIntValue) {
  ASSERT_EQ(1, SetNumber("port", 8080));
  int value = 0;
  EXPECT_EQ(1, front_->QueryIntValue(key_, "port", &value));
  EXPECT_EQ(8080, value);
  int type = 0;
  uint32_t data = 0;
  int size = 4;
  EXPECT_EQ(1, front_->QueryValue(key_, "port", &type, &data, &size));
  EXPECT_EQ(value_type::kUint32, type);
  EXPECT_EQ(4, size);
  EXPECT_EQ(8080u, data);
}

TEST_F(RegisterFrontValuesTest, BinaryBytesComeBackExactly) {
  const unsigned char bytes[6] = {0x00, 0xff, 0x10, 0x00, 0x7f, 0x80};
  ASSERT_EQ(1, front_->SetValue(key_, "blob", value_type::kBinary, bytes, 6));
  unsigned char out[8];
  std::memset(out, 0xee, sizeof(out));
  int size = sizeof(out);
  EXPECT_EQ(1, front_->QueryBinaryValue(key_, "blob", out, &size));
  EXPECT_EQ(6, size);
  EXPECT_EQ(0, std::memcmp(bytes, out, 6));
  EXPECT_EQ(0xee, out[6]);
}

TEST_F(RegisterFrontValuesTest, ABufferTooSmallLearnsTheSizeAndReceivesNothing) {
  ASSERT_EQ(1, SetText("title", "hello"));
  char data[8] = "#######";
  int type = 99;
  int size = 3;
  EXPECT_EQ(0, front_->QueryValue(key_, "title", &type, data, &size));
  EXPECT_EQ(6, size);
  EXPECT_EQ(99, type);
  EXPECT_STREQ("#######", data);

  size = 5;
  EXPECT_EQ(0, front_->QueryStringValue(key_, "title", data, &size));
  EXPECT_EQ(6, size);
  EXPECT_STREQ("#######", data);
  EXPECT_EQ(1, front_->QueryStringValue(key_, "title", data, &size)) << "with the size learnt";
  EXPECT_STREQ("hello", data);
}

TEST_F(RegisterFrontValuesTest, TheTypedQueriesDoNotCheckTheStoredType) {
  // QueryIntValue is QueryValue with a capacity of 4: a value of up to 4 bytes of any type is
  // read, a longer one is refused.
  ASSERT_EQ(1, front_->SetValue(key_, "short", value_type::kBinary, "\x01\x02\x03", 3));
  ASSERT_EQ(1, SetText("long", "hello"));
  int value = 0;
  EXPECT_EQ(1, front_->QueryIntValue(key_, "short", &value));
  EXPECT_EQ(0x030201, value);
  value = 17;
  EXPECT_EQ(0, front_->QueryIntValue(key_, "long", &value));
  EXPECT_EQ(17, value);

  ASSERT_EQ(1, SetNumber("number", 5));
  char text[8] = {};
  int size = sizeof(text);
  EXPECT_EQ(1, front_->QueryStringValue(key_, "number", text, &size));
  EXPECT_EQ(4, size);
  EXPECT_EQ(5, text[0]);
}

TEST_F(RegisterFrontValuesTest, ANumberNeedsFourBytesWhateverSizeItWasSetWith) {
  const unsigned char two[2] = {0x34, 0x12};
  ASSERT_EQ(1, front_->SetValue(key_, "short", value_type::kUint32, two, 2));
  for (int capacity : {2, 3}) {
    unsigned char out[4] = {0xaa, 0xaa, 0xaa, 0xaa};
    int type = 0;
    int size = capacity;
    EXPECT_EQ(0, front_->QueryValue(key_, "short", &type, out, &size));
    EXPECT_EQ(4, size) << "what the caller needs";
    for (unsigned char byte : out) EXPECT_EQ(0xaa, byte) << "written past the capacity";
  }
  int value = 0;
  ASSERT_EQ(1, front_->QueryIntValue(key_, "short", &value));
  EXPECT_EQ(0x1234, value);
}

TEST_F(RegisterFrontValuesTest, ValuesEnumerateFromZeroInByteOrderOfTheirNames) {
  ASSERT_EQ(1, SetNumber("b", 2));
  ASSERT_EQ(1, SetNumber("a", 1));
  ASSERT_EQ(1, SetText("B", "upper"));
  EXPECT_EQ("B", NameAt(0));
  EXPECT_EQ("a", NameAt(1));
  EXPECT_EQ("b", NameAt(2));
  EXPECT_EQ("<none>", NameAt(3));

  char name[8] = {};
  int type = 0;
  char data[8] = {};
  int size = sizeof(data);
  ASSERT_EQ(1, front_->EnumValue(key_, 0, name, sizeof(name), &type, data, &size));
  EXPECT_EQ(value_type::kText, type);
  EXPECT_EQ(6, size);
  EXPECT_STREQ("upper", data);
}

// In a memory key, testing a value empties it: it stays listed with type 0 and size 0.
TEST_F(RegisterFrontValuesTest, HasValueFindsAMemoryValueAndEmptiesIt) {
  ASSERT_EQ(1, SetText("title", "hello"));
  EXPECT_EQ(0, front_->HasValue(key_, "Title")) << "names are compared exactly";
  EXPECT_EQ(1, front_->HasValue(key_, "title"));
  char data[8] = "unset";
  int type = 9;
  int size = sizeof(data);
  EXPECT_EQ(1, front_->QueryValue(key_, "title", &type, data, &size));
  EXPECT_EQ(0, type);
  EXPECT_EQ(0, size);
  EXPECT_STREQ("unset", data);
  EXPECT_EQ(1, front_->HasValue(key_, "title")) << "the name stays";
  EXPECT_EQ(0, front_->HasValue(key_, "other"));
}

TEST_F(RegisterFrontValuesTest, DeleteValueRemovesOnlyThatValue) {
  ASSERT_EQ(1, SetText("a", "1"));
  ASSERT_EQ(1, SetText("b", "2"));
  EXPECT_EQ(1, front_->DeleteValue(key_, "a"));
  EXPECT_EQ(0, front_->DeleteValue(key_, "a"));
  EXPECT_EQ("b", NameAt(0));
  EXPECT_EQ("<none>", NameAt(1));
  EXPECT_EQ(1, LiveMemoryValueBlocks());
}

TEST_F(RegisterFrontValuesTest, EachKeyHasItsOwnValues) {
  const uint32_t other = CreateMemoryKey(root::kShare, "other");
  ASSERT_EQ(1, SetNumber("n", 1));
  ASSERT_EQ(1, front_->SetValue(other, "n", value_type::kUint32, "\x02\x00\x00\x00", 4));
  int value = 0;
  EXPECT_EQ(1, front_->QueryIntValue(key_, "n", &value));
  EXPECT_EQ(1, value);
  EXPECT_EQ(1, front_->QueryIntValue(other, "n", &value));
  EXPECT_EQ(2, value);
  EXPECT_EQ(1, front_->CloseKey(other));
  EXPECT_EQ(1, front_->QueryIntValue(key_, "n", &value));
  EXPECT_EQ(1, value);
}

TEST_F(RegisterFrontValuesTest, ReplacingAValueReplacesItsTypeAndContent) {
  ASSERT_EQ(1, SetNumber("v", 3));
  ASSERT_EQ(1, SetText("v", "now text"));
  char data[16] = {};
  int type = 0;
  int size = sizeof(data);
  EXPECT_EQ(1, front_->QueryValue(key_, "v", &type, data, &size));
  EXPECT_EQ(value_type::kText, type);
  EXPECT_STREQ("now text", data);
  ASSERT_EQ(1, SetNumber("v", 4));
  EXPECT_EQ(0, LiveMemoryValueBlocks());
  EXPECT_EQ("v", NameAt(0));
  EXPECT_EQ("<none>", NameAt(1));
}

}  // namespace
}  // namespace test
}  // namespace pelok

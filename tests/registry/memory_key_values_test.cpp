// The in-memory value set of a kind-1 key (component 1134), built into the test program. Its
// content blocks come from the allocator of the real factory module, which counts them by owner.
#include "registry/memory_key_values.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "pelok/component_factory.h"
#include "framework/pelok_ptr.h"
#include "gtest/gtest.h"
#include "framework/module_state.h"

namespace pelok {
namespace {

constexpr int kOwner = component_id::kMemoryKeyValues;

class MemoryKeyValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(allocator_) << "the allocator comes from PelFact.dll beside the test";
    baseline_ = allocator_->CountLiveBlocks(kOwner);
    values_ = static_cast<IMemoryKeyValues*>(
        host::CreateRecordedComponent(component_id::kMemoryKeyValues, 0));
    ASSERT_NE(nullptr, values_);
  }
  void TearDown() override {
    if (values_ != nullptr) values_->Destroy(0);
    if (allocator_) {
      EXPECT_EQ(baseline_, allocator_->CountLiveBlocks(kOwner)) << "blocks leaked";
    }
  }
  int LiveBlocks() { return allocator_->CountLiveBlocks(kOwner) - baseline_; }
  int SetNumber(const char* name, uint32_t number) {
    return values_->SetValue(name, value_type::kUint32, &number, 4);
  }
  int SetText(const char* name, const std::string& text) {
    return values_->SetValue(name, value_type::kText, text.c_str(),
                             static_cast<unsigned>(text.size() + 1));
  }
  std::string NameAt(int index) {
    char name[64] = {};
    int type = 0;
    char data[64];
    unsigned size = sizeof(data);
    if (!values_->EnumValue(index, name, sizeof(name), &type, data, &size)) return "<none>";
    return name;
  }

  TPelokPtr<IAllocator> allocator_{nullptr, component_id::kAllocator};
  int baseline_ = 0;
  IMemoryKeyValues* values_ = nullptr;
};

TEST_F(MemoryKeyValuesTest, ANumberComesBackWithItsTypeAndSizeAndNeedsNoBlock) {
  EXPECT_EQ(1134, values_->GetComponentId());
  ASSERT_EQ(1, SetNumber("port", 7));
  EXPECT_EQ(0, LiveBlocks());
  int type = 0;
  uint32_t data = 0;
  unsigned size = 4;
  EXPECT_EQ(1, values_->QueryValue("port", &type, &data, &size));
  EXPECT_EQ(2, type);
  EXPECT_EQ(4u, size);
  EXPECT_EQ(7u, data);
}

TEST_F(MemoryKeyValuesTest, TextAndBinaryAreCopiedExactlyAsManyBytesAsGiven) {
  const unsigned char bytes[5] = {0, 1, 0xfe, 0xff, 0x80};
  ASSERT_EQ(1, values_->SetValue("blob", value_type::kBinary, bytes, 5));
  ASSERT_EQ(1, values_->SetValue("text", value_type::kText, "abc", 3));  // no terminator
  EXPECT_EQ(2, LiveBlocks());

  unsigned char out[8];
  std::memset(out, '#', sizeof(out));
  int type = 0;
  unsigned size = sizeof(out);
  EXPECT_EQ(1, values_->QueryValue("blob", &type, out, &size));
  EXPECT_EQ(3, type);
  EXPECT_EQ(5u, size);
  EXPECT_EQ(0, std::memcmp(bytes, out, 5));
  EXPECT_EQ('#', out[5]);

  std::memset(out, '#', sizeof(out));
  size = sizeof(out);
  EXPECT_EQ(1, values_->QueryValue("text", &type, out, &size));
  EXPECT_EQ(1, type);
  EXPECT_EQ(3u, size);
  EXPECT_EQ("abc#", std::string(reinterpret_cast<char*>(out), 4));
}

TEST_F(MemoryKeyValuesTest, ABufferTooSmallGetsNothingButLearnsTheSize) {
  const unsigned char bytes[3] = {1, 2, 3};
  ASSERT_EQ(1, values_->SetValue("blob", value_type::kBinary, bytes, 3));
  unsigned char out[2] = {9, 9};
  int type = 77;
  unsigned size = 2;
  EXPECT_EQ(0, values_->QueryValue("blob", &type, out, &size));
  EXPECT_EQ(3u, size);
  EXPECT_EQ(77, type);
  EXPECT_EQ(9, out[0]);
  EXPECT_EQ(9, out[1]);
}

TEST_F(MemoryKeyValuesTest, ANumberNeedsFourBytesWhateverSizeItWasSetWith) {
  // Set from 2 readable bytes: reading all 4 would cross the caller's buffer.
  const unsigned char two[2] = {0x34, 0x12};
  ASSERT_EQ(1, values_->SetValue("short", value_type::kUint32, two, 2));

  // Read into 2 or 3 bytes: writing the number would cross the buffer, so nothing is written
  // and the caller learns that it needs 4.
  for (unsigned capacity : {2u, 3u}) {
    unsigned char out[4] = {0xaa, 0xaa, 0xaa, 0xaa};
    int type = 0;
    unsigned size = capacity;
    EXPECT_EQ(0, values_->QueryValue("short", &type, out, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(0, type);
    for (unsigned char byte : out) EXPECT_EQ(0xaa, byte);
    size = capacity;
    EXPECT_EQ(0, values_->EnumValue(0, nullptr, 0, &type, out, &size));
    EXPECT_EQ(4u, size);
  }

  uint32_t number = 0xaaaaaaaau;
  int type = 0;
  unsigned size = 4;
  EXPECT_EQ(1, values_->QueryValue("short", &type, &number, &size));
  EXPECT_EQ(2, type);
  EXPECT_EQ(2u, size) << "the size it was set with";
  EXPECT_EQ(0x1234u, number) << "zero-extended";
}

TEST_F(MemoryKeyValuesTest, ReplacingAValueChangesItsTypeAndFreesOnlyRealBlocks) {
  ASSERT_EQ(1, SetNumber("v", 42));
  ASSERT_EQ(1, SetText("v", "hello"));
  EXPECT_EQ(1, LiveBlocks());
  char text[16] = {};
  int type = 0;
  unsigned size = sizeof(text);
  EXPECT_EQ(1, values_->QueryValue("v", &type, text, &size));
  EXPECT_EQ(1, type);
  EXPECT_STREQ("hello", text);

  ASSERT_EQ(1, SetText("v", "a much longer text"));
  EXPECT_EQ(1, LiveBlocks());
  ASSERT_EQ(1, SetNumber("v", 9));
  EXPECT_EQ(0, LiveBlocks());
  uint32_t number = 0;
  size = 4;
  EXPECT_EQ(1, values_->QueryValue("v", &type, &number, &size));
  EXPECT_EQ(2, type);
  EXPECT_EQ(9u, number);
}

TEST_F(MemoryKeyValuesTest, HasValueReportsPresenceAndEmptiesTheValueButKeepsItsName) {
  ASSERT_EQ(1, SetText("name", "content"));
  EXPECT_EQ(0, values_->HasValue("missing"));
  EXPECT_EQ(0, values_->HasValue("Name"));
  EXPECT_EQ(0, values_->HasValue(nullptr));
  EXPECT_EQ(1, values_->HasValue("name"));
  EXPECT_EQ(0, LiveBlocks()) << "the content block is freed";

  char data[16] = "untouched";
  int type = 7;
  unsigned size = sizeof(data);
  EXPECT_EQ(1, values_->QueryValue("name", &type, data, &size));
  EXPECT_EQ(0, type);
  EXPECT_EQ(0u, size);
  EXPECT_STREQ("untouched", data);

  char name[8] = {};
  type = 7;
  size = sizeof(data);
  EXPECT_EQ(1, values_->EnumValue(0, name, sizeof(name), &type, data, &size));
  EXPECT_STREQ("name", name) << "the emptied value is still listed";
  EXPECT_EQ(1, values_->HasValue("name"));
}

TEST_F(MemoryKeyValuesTest, HasValueOnANumberEmptiesItToo) {
  ASSERT_EQ(1, SetNumber("n", 42));
  EXPECT_EQ(1, values_->HasValue("n"));
  uint32_t data = 5;
  int type = 7;
  unsigned size = 4;
  EXPECT_EQ(1, values_->QueryValue("n", &type, &data, &size));
  EXPECT_EQ(0, type);
  EXPECT_EQ(0u, size);
  EXPECT_EQ(5u, data);
}

TEST_F(MemoryKeyValuesTest, ValuesEnumerateInByteOrderOfTheirNamesFromZero) {
  for (const char* name : {"b", "a", "B", "ab"}) ASSERT_EQ(1, SetNumber(name, 1));
  EXPECT_EQ("B", NameAt(0));
  EXPECT_EQ("a", NameAt(1));
  EXPECT_EQ("ab", NameAt(2));
  EXPECT_EQ("b", NameAt(3));
  EXPECT_EQ("<none>", NameAt(4));
  EXPECT_EQ("<none>", NameAt(-1));

  int type = 0;
  uint32_t data = 0;
  unsigned size = 4;
  EXPECT_EQ(1, values_->EnumValue(0, nullptr, 0, &type, &data, &size)) << "the value alone";
  EXPECT_EQ(2, type);
}

TEST_F(MemoryKeyValuesTest, ANameThatDoesNotFitFailsAfterTheValueWasWritten) {
  ASSERT_EQ(1, SetNumber("longname", 31));
  char name[4] = "xyz";
  int type = 0;
  uint32_t data = 0;
  unsigned size = 4;
  EXPECT_EQ(0, values_->EnumValue(0, name, sizeof(name), &type, &data, &size));
  EXPECT_STREQ("xyz", name);
  EXPECT_EQ(2, type);
  EXPECT_EQ(31u, data);
}

TEST_F(MemoryKeyValuesTest, NamesAreCaseSensitive) {
  ASSERT_EQ(1, SetNumber("Port", 1));
  ASSERT_EQ(1, SetNumber("port", 2));
  uint32_t data = 0;
  int type = 0;
  unsigned size = 4;
  EXPECT_EQ(1, values_->QueryValue("Port", &type, &data, &size));
  EXPECT_EQ(1u, data);
  EXPECT_EQ(0, values_->DeleteValue("PORT"));
  EXPECT_EQ(1, values_->DeleteValue("port"));
  EXPECT_EQ(0, values_->QueryValue("port", &type, &data, &size));
  EXPECT_EQ(1, values_->HasValue("Port"));
}

TEST_F(MemoryKeyValuesTest, DeleteValueRemovesTheValueAndItsBlock) {
  ASSERT_EQ(1, SetText("t", "text"));
  EXPECT_EQ(1, values_->DeleteValue("t"));
  EXPECT_EQ(0, LiveBlocks());
  EXPECT_EQ(0, values_->DeleteValue("t"));
  EXPECT_EQ(0, values_->DeleteValue(nullptr));
  EXPECT_EQ("<none>", NameAt(0));
}

TEST_F(MemoryKeyValuesTest, RefusedWritesStoreNothing) {
  const uint32_t number = 5;
  EXPECT_EQ(0, values_->SetValue(nullptr, 2, &number, 4));
  EXPECT_EQ(0, values_->SetValue("v", 2, nullptr, 4));
  EXPECT_EQ(0, values_->SetValue("v", 2, &number, 0));
  // A negative size on the public interface arrives here as a huge unsigned one.
  EXPECT_EQ(0, values_->SetValue("v", 3, &number, static_cast<unsigned>(-1)));
  EXPECT_EQ(0, values_->SetValue("v", 2, &number, 0x80000000u));
  EXPECT_EQ("<none>", NameAt(0));
  EXPECT_EQ(0, LiveBlocks());
}

TEST_F(MemoryKeyValuesTest, RefusedReadsLeaveEveryOutputAlone) {
  ASSERT_EQ(1, SetText("t", "text"));
  char data[8] = "keep";
  int type = 9;
  unsigned size = 8;
  EXPECT_EQ(0, values_->QueryValue(nullptr, &type, data, &size));
  EXPECT_EQ(0, values_->QueryValue("t", nullptr, data, &size));
  EXPECT_EQ(0, values_->QueryValue("t", &type, nullptr, &size));
  EXPECT_EQ(0, values_->QueryValue("t", &type, data, nullptr));
  EXPECT_EQ(0, values_->QueryValue("missing", &type, data, &size));
  EXPECT_EQ(0, values_->EnumValue(0, nullptr, 0, nullptr, data, &size));
  EXPECT_EQ(0, values_->EnumValue(0, nullptr, 0, &type, nullptr, &size));
  EXPECT_EQ(0, values_->EnumValue(0, nullptr, 0, &type, data, nullptr));
  EXPECT_EQ(8u, size);
  for (unsigned bad : {0u, static_cast<unsigned>(-1), 0x80000000u}) {
    size = bad;
    EXPECT_EQ(0, values_->QueryValue("t", &type, data, &size));
    EXPECT_EQ(bad, size);
    EXPECT_EQ(0, values_->EnumValue(0, nullptr, 0, &type, data, &size));
    EXPECT_EQ(bad, size);
  }
  EXPECT_EQ(9, type);
  EXPECT_STREQ("keep", data);
}

TEST_F(MemoryKeyValuesTest, TheKeyPathIsKeptLowerCasedAndCopiedOutOnlyWhenItFits) {
  EXPECT_EQ(1, values_->SetKeyPath("User/App"));
  char buf[16] = "unchanged";
  EXPECT_EQ(0, values_->GetKeyPath(buf, 8)) << "8 bytes: the path, no room for its end";
  EXPECT_STREQ("unchanged", buf);
  EXPECT_EQ(0, values_->GetKeyPath(nullptr, 16));
  EXPECT_EQ(0, values_->GetKeyPath(buf, -1));
  EXPECT_EQ(1, values_->GetKeyPath(buf, 9));
  EXPECT_STREQ("user/app", buf);

  EXPECT_EQ(1, values_->SetKeyPath(nullptr)) << "changes nothing";
  EXPECT_EQ(1, values_->GetKeyPath(buf, 9));
  EXPECT_STREQ("user/app", buf);

  EXPECT_EQ(1, values_->SetKeyPath(std::string(260, 'k').c_str()));
  EXPECT_EQ(1, values_->GetKeyPath(buf, 16));
  EXPECT_STREQ("", buf);
  EXPECT_EQ(1, values_->SetKeyPath(std::string(259, 'K').c_str()));
  char long_buf[260];
  EXPECT_EQ(1, values_->GetKeyPath(long_buf, 260));
  EXPECT_EQ(std::string(259, 'k'), long_buf);
}

TEST_F(MemoryKeyValuesTest, DeleteKeyAndFlushSucceedAndKeepEveryValue) {
  ASSERT_EQ(1, SetText("t", "text"));
  EXPECT_EQ(1, values_->DeleteKey());
  EXPECT_EQ(1, values_->Flush());
  EXPECT_EQ("t", NameAt(0));
  EXPECT_EQ(1, LiveBlocks());
}

TEST_F(MemoryKeyValuesTest, DestroyingTheComponentFreesEveryBlock) {
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(1, SetText(("t" + std::to_string(i)).c_str(), std::string(i + 1, 'x')));
    ASSERT_EQ(1, SetNumber(("n" + std::to_string(i)).c_str(), i));
  }
  EXPECT_EQ(20, LiveBlocks());
  values_->Destroy(0);
  values_ = nullptr;
  EXPECT_EQ(0, LiveBlocks());
}

}  // namespace
}  // namespace pelok

// The open-key tables: handles, paths, the cursor, key enumeration and the forwarding of value
// operations, on tables built into the test program and fake value sets.
#include "registry/key_table.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "gtest/gtest.h"
#include "framework/module_state.h"
#include "tests/support/registry_fakes.h"

namespace pelok {
namespace {

using test::FakeKeyValues;

// A table of class T, recorded by the test program's own host like any created component.
template <class T>
class Table {
 public:
  Table() : table_(static_cast<T*>(host::CreateRecordedComponent(T::kComponentId, 0))) {}
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;
  ~Table() {
    if (table_ != nullptr) table_->Destroy(0);
  }
  T* get() const { return table_; }
  IKeyTable* operator->() const { return table_; }

 private:
  T* table_;
};

std::string KeyName(IKeyTable* table, uint32_t key) {
  char buf[260] = {};
  if (!table->GetKeyName(key, buf, sizeof(buf))) return "<none>";
  return buf;
}

std::string EnumKeyAt(IKeyTable* table, uint32_t key, int index) {
  char buf[260] = {};
  if (!table->EnumKey(key, index, buf, sizeof(buf))) return "<none>";
  return buf;
}

TEST(KeyTableTest, EachTableIssuesHandlesTaggedWithItsKindInSequence) {
  FakeKeyValues a, b;
  Table<KeyTable3> table3;
  Table<KeyTable2> table2;
  Table<KeyTable1> table1;
  ASSERT_NE(nullptr, table3.get());
  ASSERT_NE(nullptr, table2.get());
  ASSERT_NE(nullptr, table1.get());
  EXPECT_EQ(1137, table3->GetComponentId());
  EXPECT_EQ(1136, table2->GetComponentId());
  EXPECT_EQ(1138, table1->GetComponentId());

  EXPECT_EQ(0xc0000001u, table3->AddKey("share/a", &a));
  EXPECT_EQ(0u, table3->AddKey("share/b", nullptr)) << "refused: no value set";
  EXPECT_EQ(0u, table3->AddKey(nullptr, &b)) << "refused: no path";
  EXPECT_EQ(0xc0000002u, table3->AddKey("share/b", &b)) << "a refusal uses no sequence number";

  EXPECT_EQ(0x80000001u, table2->AddKey("share/a", &a));
  EXPECT_EQ(0x80000002u, table2->AddKey("share/b", &b));
  EXPECT_EQ(0x40000001u, table1->AddKey("share/a", &a));
  EXPECT_EQ(0x40000002u, table1->AddKey("share/b", &b));
}

TEST(KeyTableTest, AddKeyFilesThePathLowerCasedAndFindKeyMatchesExactly) {
  FakeKeyValues values;
  Table<KeyTable3> table;
  const uint32_t key = table->AddKey("Share/App", &values);
  EXPECT_EQ(key, table->FindKey("share/app"));
  EXPECT_EQ(0u, table->FindKey("Share/App"));
  EXPECT_EQ(0u, table->FindKey(nullptr));
  EXPECT_EQ(0u, table->FindKey("share"));
}

TEST(KeyTableTest, APathOfTwoHundredSixtyCharactersIsFiledAsTheEmptyPath) {
  FakeKeyValues values;
  Table<KeyTable3> table;
  const std::string long_path = "share/" + std::string(254, 'x');
  ASSERT_EQ(260u, long_path.size());
  const uint32_t key = table->AddKey(long_path.c_str(), &values);
  ASSERT_NE(0u, key);
  EXPECT_EQ(0u, table->FindKey(long_path.c_str()));
  EXPECT_EQ(key, table->FindKey(""));
  int type = 0;
  char data[4];
  int size = 4;
  EXPECT_EQ(1, table->QueryValue(key, "v", &type, data, &size)) << "still reachable by handle";

  const std::string longest = long_path.substr(0, 259);
  const uint32_t second = table->AddKey(longest.c_str(), &values);
  EXPECT_EQ(second, table->FindKey(longest.c_str()));
}

TEST(KeyTableTest, AddingAPathAgainNamesTheNewHandleAndKeepsTheOldOneWorking) {
  FakeKeyValues first_values, second_values;
  Table<KeyTable3> table;
  const uint32_t first = table->AddKey("share/app", &first_values);
  const uint32_t second = table->AddKey("SHARE/app", &second_values);
  ASSERT_NE(first, second);
  EXPECT_EQ(second, table->FindKey("share/app"));

  EXPECT_EQ(1, table->HasValue(first, "v"));
  EXPECT_EQ(1u, first_values.calls.size());
  EXPECT_TRUE(second_values.calls.empty());

  EXPECT_EQ(&second_values, table->CloseKey(second));
  EXPECT_EQ(0u, table->FindKey("share/app")) << "the path entry left with the second handle";
  EXPECT_EQ(1, table->HasValue(first, "v")) << "the first handle is still open";
  EXPECT_EQ(&first_values, table->CloseKey(first));
  EXPECT_EQ(0, table->HasValue(first, "v"));
  EXPECT_EQ(nullptr, table->CloseKey(first));
}

TEST(KeyTableTest, GetNextKeyReadsTheCursorWithoutMovingIt) {
  FakeKeyValues a, b;
  Table<KeyTable3> table;
  const uint32_t ka = table->AddKey("share/a", &a);
  const uint32_t kb = table->AddKey("share/b", &b);

  uint32_t key = 0;
  EXPECT_EQ(&a, table->GetFirstKey(&key));
  EXPECT_EQ(ka, key);
  key = 0;
  EXPECT_EQ(&a, table->GetNextKey(&key)) << "the same key again: nothing was taken out";
  EXPECT_EQ(ka, key);
  EXPECT_EQ(&a, table->GetNextKey(&key));
  EXPECT_EQ(&a, table->CloseKey(ka));
  EXPECT_EQ(&b, table->GetNextKey(&key)) << "b moved to the cursor's position";
  EXPECT_EQ(kb, key);
}

TEST(KeyTableTest, ClosingEachKeyReceivedVisitsAllInHandleOrderAndEndsWithHandleZero) {
  FakeKeyValues values[3];
  Table<KeyTable2> table;
  // Added in an order whose paths sort differently from their handles.
  const uint32_t k0 = table->AddKey("user/z", &values[0]);
  const uint32_t k1 = table->AddKey("share/m", &values[1]);
  const uint32_t k2 = table->AddKey("root/a", &values[2]);

  std::vector<uint32_t> visited;
  std::vector<IKeyValues*> sets;
  uint32_t key = 0;
  IKeyValues* got = table->GetFirstKey(&key);
  while (key != 0) {
    visited.push_back(key);
    sets.push_back(got);
    EXPECT_EQ(got, table->CloseKey(key));
    got = table->GetNextKey(&key);
  }
  EXPECT_EQ((std::vector<uint32_t>{k0, k1, k2}), visited);
  EXPECT_EQ((std::vector<IKeyValues*>{&values[0], &values[1], &values[2]}), sets);
  EXPECT_EQ(nullptr, got);
  EXPECT_EQ(0u, table->FindKey("share/m"));
}

TEST(KeyTableTest, AnEmptyTableLeavesTheFirstHandleAloneAndWritesZeroForTheNext) {
  Table<KeyTable3> table;
  uint32_t key = 0x12345678u;
  EXPECT_EQ(nullptr, table->GetFirstKey(&key));
  EXPECT_EQ(0x12345678u, key);
  EXPECT_EQ(nullptr, table->GetNextKey(&key));
  EXPECT_EQ(nullptr, table->GetFirstKey(nullptr));
  EXPECT_EQ(nullptr, table->GetNextKey(nullptr)) << "no place for the handle: nothing written";
}

TEST(KeyTableTest, ACursorRaisedOnAnEmptyTableMissesALaterKeyUntilGetFirstKey) {
  FakeKeyValues values;
  Table<KeyTable3> table;
  uint32_t key = 7;
  EXPECT_EQ(nullptr, table->GetNextKey(&key));  // cursor 0 -> 1
  EXPECT_EQ(0u, key);
  const uint32_t added = table->AddKey("share/a", &values);
  key = 7;
  EXPECT_EQ(nullptr, table->GetNextKey(&key)) << "cursor 1 is past the single key";
  EXPECT_EQ(0u, key);
  key = 7;
  EXPECT_EQ(nullptr, table->GetNextKey(&key)) << "cursor 2: still nothing";
  EXPECT_EQ(0u, key);
  EXPECT_EQ(&values, table->GetFirstKey(&key));
  EXPECT_EQ(added, key);
  key = 0;
  EXPECT_EQ(&values, table->GetNextKey(&key));
  EXPECT_EQ(added, key);
}

class KeyEnumerationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* path : {"share/c", "user/x", "share/ab", "share/a/b", "share/a"}) {
      values_.emplace_back(path);
    }
    for (auto& values : values_) keys_.push_back(table_->AddKey(values.path.c_str(), &values));
  }
  uint32_t KeyOf(const std::string& path) { return table_->FindKey(path.c_str()); }

  std::vector<FakeKeyValues> values_;  // filled once, never moved afterwards
  std::vector<uint32_t> keys_;
  Table<KeyTable3> table_;
};

TEST_F(KeyEnumerationTest, TheRootListsEveryKeyBelowItInPathOrder) {
  EXPECT_EQ("share/a", EnumKeyAt(table_.get(), 0xfffffff3u, 0));
  EXPECT_EQ("share/a/b", EnumKeyAt(table_.get(), 0xfffffff3u, 1));
  EXPECT_EQ("share/ab", EnumKeyAt(table_.get(), 0xfffffff3u, 2));
  EXPECT_EQ("share/c", EnumKeyAt(table_.get(), 0xfffffff3u, 3));
  EXPECT_EQ("<none>", EnumKeyAt(table_.get(), 0xfffffff3u, 4));
  EXPECT_EQ("user/x", EnumKeyAt(table_.get(), 0x3ffffff4u, 0)) << "any top bits name the root";
  EXPECT_EQ("<none>", EnumKeyAt(table_.get(), 0xfffffff1u, 0)) << "nothing open below root";
}

TEST_F(KeyEnumerationTest, AKeyListsItsDescendantsButNeitherItselfNorASiblingSharingItsName) {
  const uint32_t a = KeyOf("share/a");
  ASSERT_NE(0u, a);
  EXPECT_EQ("share/a/b", EnumKeyAt(table_.get(), a, 0));
  EXPECT_EQ("<none>", EnumKeyAt(table_.get(), a, 1));
  EXPECT_EQ("<none>", EnumKeyAt(table_.get(), KeyOf("share/a/b"), 0));
}

TEST_F(KeyEnumerationTest, BadArgumentsAndSmallBuffersGiveZeroAndLeaveTheBufferAlone) {
  char buf[9];
  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(0, table_->EnumKey(0xfffffff3u, -1, buf, sizeof(buf)));
  EXPECT_EQ(0, table_->EnumKey(0xfffffff3u, 0, nullptr, 260));
  EXPECT_EQ(0, table_->EnumKey(0xfffffff3u, 0, buf, 0));
  EXPECT_EQ(0, table_->EnumKey(0xfffffff3u, 1, buf, 9)) << "share/a/b needs 10 bytes";
  EXPECT_EQ(0, table_->EnumKey(0xc0000099u, 0, buf, sizeof(buf))) << "never issued";
  EXPECT_EQ(std::string(9, '#'), std::string(buf, sizeof(buf)));
  char fits[10];
  EXPECT_EQ(1, table_->EnumKey(0xfffffff3u, 1, fits, sizeof(fits)));
  EXPECT_STREQ("share/a/b", fits);
}

TEST_F(KeyEnumerationTest, ClosedKeysAreNotListed) {
  table_->CloseKey(KeyOf("share/a/b"));
  EXPECT_EQ("share/a", EnumKeyAt(table_.get(), 0xfffffff3u, 0));
  EXPECT_EQ("share/ab", EnumKeyAt(table_.get(), 0xfffffff3u, 1));
}

TEST(KeyTableTest, GetKeyNameKnowsRootsByTheirLowBitsAndKeysByTheirValueSets) {
  FakeKeyValues values("share/app");
  Table<KeyTable3> table;
  const uint32_t key = table->AddKey("share/app", &values);
  char buf[6];
  EXPECT_EQ(1, table->GetKeyName(0xbffffff2u, buf, 6));
  EXPECT_STREQ("pelok", buf);
  EXPECT_EQ(0, table->GetKeyName(0xfffffff3u, buf, 5)) << "share needs 6 bytes";
  EXPECT_EQ(0, table->GetKeyName(0x3ffffff5u, nullptr, 260));
  EXPECT_EQ("winreg", KeyName(table.get(), 0x3ffffff5u));
  EXPECT_EQ("root", KeyName(table.get(), 0x7ffffff1u));
  EXPECT_EQ("share/app", KeyName(table.get(), key));
  EXPECT_EQ("<none>", KeyName(table.get(), key + 1));
  EXPECT_EQ("<none>", KeyName(table.get(), 0x3ffffff6u)) << "not a root code";
}

TEST(KeyTableTest, ValueOperationsReachTheKeysValueSetWithTheirArgumentsUnchanged) {
  FakeKeyValues values;
  values.result = 7;
  Table<KeyTable3> table;
  const uint32_t key = table->AddKey("share/app", &values);
  const char* name = "port";
  int type = 0;
  char data[16];
  int size = 16;
  char name_buf[32];

  EXPECT_EQ(7, table->SetValue(key, name, 2, data, 4));
  EXPECT_EQ(name, values.last_name);
  EXPECT_EQ(2, values.last_type);
  EXPECT_EQ(static_cast<const void*>(data), values.last_data);
  EXPECT_EQ(4u, values.last_size);

  EXPECT_EQ(7, table->QueryValue(key, name, &type, data, &size));
  EXPECT_EQ(&type, values.last_type_out);
  EXPECT_EQ(static_cast<void*>(&size), static_cast<void*>(values.last_size_ptr));

  EXPECT_EQ(7, table->EnumValue(key, 3, name_buf, 32, &type, data, &size));
  EXPECT_EQ(3, values.last_index);
  EXPECT_EQ(name_buf, values.last_name_buf);
  EXPECT_EQ(32, values.last_name_len);

  EXPECT_EQ(7, table->HasValue(key, "h"));
  EXPECT_STREQ("h", values.last_name);
  EXPECT_EQ(7, table->DeleteValue(key, "d"));
  EXPECT_STREQ("d", values.last_name);
  EXPECT_EQ(
      (std::vector<std::string>{"SetValue", "QueryValue", "EnumValue", "HasValue", "DeleteValue"}),
      values.calls);
}

TEST(KeyTableTest, ValueOperationsOnHandlesNotOpenHereCallNothing) {
  FakeKeyValues values;
  Table<KeyTable3> table;
  const uint32_t key = table->AddKey("share/app", &values);
  int type = 0;
  char data[4];
  int size = 4;
  for (uint32_t other : {0u, key + 1, 0xfffffff3u, 0x80000001u, key & 0x3fffffffu}) {
    EXPECT_EQ(0, table->SetValue(other, "v", 1, data, 1));
    EXPECT_EQ(0, table->QueryValue(other, "v", &type, data, &size));
    EXPECT_EQ(0, table->EnumValue(other, 0, nullptr, 0, &type, data, &size));
    EXPECT_EQ(0, table->HasValue(other, "v"));
    EXPECT_EQ(0, table->DeleteValue(other, "v"));
    EXPECT_EQ(nullptr, table->CloseKey(other));
    EXPECT_EQ(nullptr, table->ReleaseKey(other));
    EXPECT_EQ(nullptr, table->DeleteKey(other));
  }
  EXPECT_TRUE(values.calls.empty());
  EXPECT_EQ(key, table->FindKey("share/app"));
}

TEST(KeyTableTest, DeleteKeyAsksTheValueSetFirstAndRemovesTheKeyWhateverItSays) {
  FakeKeyValues values;
  values.result = 0;  // the stored key cannot be deleted
  Table<KeyTable2> table;
  const uint32_t key = table->AddKey("share/app", &values);
  EXPECT_EQ(&values, table->DeleteKey(key));
  EXPECT_EQ((std::vector<std::string>{"DeleteKey"}), values.calls);
  EXPECT_EQ(0u, table->FindKey("share/app"));
  EXPECT_EQ(nullptr, table->CloseKey(key));
  EXPECT_EQ(0, values.destroy_calls) << "the table never releases a value set";
}

TEST(KeyTableTest, ReleaseKeyClosesTheKey) {
  FakeKeyValues values;
  Table<KeyTable1> table;
  const uint32_t key = table->AddKey("user/x", &values);
  EXPECT_EQ(&values, table->ReleaseKey(key));
  EXPECT_EQ(0u, table->FindKey("user/x"));
  EXPECT_TRUE(values.calls.empty()) << "closing tells the value set nothing";
}

TEST(KeyTableTest, StoredTablesFlushThroughTheOldestKeyAndFailWhenEmpty) {
  Table<KeyTable3> table3;
  Table<KeyTable2> table2;
  EXPECT_EQ(0, table3->Flush());
  EXPECT_EQ(0, table2->Flush());

  FakeKeyValues oldest, newer;
  oldest.result = 5;
  table3->AddKey("share/z", &oldest);
  table3->AddKey("share/a", &newer);
  EXPECT_EQ(5, table3->Flush());
  EXPECT_EQ((std::vector<std::string>{"Flush"}), oldest.calls);
  EXPECT_TRUE(newer.calls.empty());
}

TEST(KeyTableTest, TheMemoryTableFlushesNothingAndSucceeds) {
  Table<KeyTable1> table;
  EXPECT_EQ(1, table->Flush());
  FakeKeyValues values;
  values.result = 0;
  table->AddKey("user/x", &values);
  EXPECT_EQ(1, table->Flush());
  EXPECT_TRUE(values.calls.empty());
}

TEST(KeyTableTest, DestroyingATableLeavesTheValueSetsItListsAlone) {
  FakeKeyValues values;
  {
    Table<KeyTable3> table;
    table->AddKey("share/app", &values);
  }
  EXPECT_TRUE(values.calls.empty());
  EXPECT_EQ(0, values.destroy_calls);
}

TEST(KeyTableTest, AfterTheSequenceWrapsNoOpenHandleZeroOrRootCodeIsIssued) {
  FakeKeyValues values[4];
  Table<KeyTable3> table;
  const uint32_t first = table->AddKey("share/a", &values[0]);
  const uint32_t second = table->AddKey("share/b", &values[1]);
  ASSERT_EQ(0xc0000001u, first);
  ASSERT_EQ(0xc0000002u, second);

  // The last numbers before the wrap include the five that read as root codes.
  table.get()->SetIssuedCountForTesting(0x3ffffff0u);
  const uint32_t before_roots = table->AddKey("share/c", &values[2]);
  EXPECT_EQ(0xfffffff6u, before_roots) << "0x3ffffff1..5 are root codes";
  EXPECT_EQ(1, table->HasValue(before_roots, "v"));

  table.get()->SetIssuedCountForTesting(0x3fffffffu);
  const uint32_t wrapped = table->AddKey("share/d", &values[3]);
  EXPECT_EQ(0xc0000003u, wrapped) << "0 means no key; 1 and 2 are still open";
  EXPECT_EQ(&values[0], table->CloseKey(first));
  EXPECT_EQ(&values[1], table->CloseKey(second));
  EXPECT_EQ(&values[3], table->CloseKey(wrapped));

  table.get()->SetIssuedCountForTesting(0xffffffffu);  // the counter itself wraps
  EXPECT_EQ(0xc0000001u, table->AddKey("share/e", &values[0])) << "closed: free again";
}

}  // namespace
}  // namespace pelok

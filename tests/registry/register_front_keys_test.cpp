// Keys through the front component: creation and dispositions under the five roots, handles,
// names, enumeration, closing and reopening, CloseAllKeys, and the kinds without a store.
#include <string>
#include <vector>

#include "tests/support/registry_front_fixture.h"

namespace pelok {
namespace test {
namespace {

using RegisterFrontKeysTest = RegisterFrontTest;

TEST_F(RegisterFrontKeysTest, TheFrontIsComponent991) {
  EXPECT_EQ(991, front_->GetComponentId());
  EXPECT_EQ(1, front_->GetVersion());
}

TEST_F(RegisterFrontKeysTest, EveryRootTakesKeysThatAreCreatedOnceAndThenOpened) {
  const std::vector<std::pair<uint32_t, std::string>> roots = {
      {root::kRoot, "root"}, {root::kPelok, "pelok"},   {root::kShare, "share"},
      {root::kUser, "user"}, {root::kWinreg, "winreg"},
  };
  uint32_t expected_handle = 0x40000001u;
  for (const auto& root_entry : roots) {
    SCOPED_TRACE(root_entry.second);
    uint32_t key = 0;
    int disposition = 0;
    ASSERT_EQ(1,
              front_->CreateKey(root_entry.first, "App/Sub", kind::kMemory, 0, &key, &disposition));
    EXPECT_EQ(disposition::kCreated, disposition);
    EXPECT_EQ(expected_handle++, key) << "kind 1 in the top bits, then the table's sequence";
    EXPECT_EQ(root_entry.second + "/app/sub", KeyName(key));

    uint32_t again = 0;
    ASSERT_EQ(
        1, front_->CreateKey(root_entry.first, "app/SUB", kind::kMemory, 0, &again, &disposition));
    EXPECT_EQ(disposition::kOpenedExisting, disposition);
    EXPECT_EQ(key, again);

    uint32_t opened = 0;
    EXPECT_EQ(1, front_->OpenKey(root_entry.first, "APP/sub", kind::kMemory, 0, &opened));
    EXPECT_EQ(key, opened);
  }
}

TEST_F(RegisterFrontKeysTest, ARootCodeNamesItsRootWhateverItsTopBits) {
  for (uint32_t code : {0x3ffffff3u, 0x7ffffff3u, 0xbffffff3u, 0xfffffff3u}) {
    char buf[6] = "xxxxx";
    EXPECT_EQ(1, front_->GetKeyName(code, buf, 6)) << std::hex << code;
    EXPECT_STREQ("share", buf);
    char small[5] = "keep";
    EXPECT_EQ(0, front_->GetKeyName(code, small, 5)) << std::hex << code;
    EXPECT_STREQ("keep", small);
  }
  // The parent's top bits do not choose the kind of the new key; the kind argument does.
  const uint32_t key = CreateMemoryKey(0xfffffff4u, "x");
  EXPECT_EQ(0x40000001u, key);
  EXPECT_EQ("user/x", KeyName(key));
}

TEST_F(RegisterFrontKeysTest, ASubKeyBuildsOnItsParentsPathAndMayReachSeveralLevels) {
  const uint32_t app = CreateMemoryKey(root::kShare, "App");
  const uint32_t deep = CreateMemoryKey(app, "Window/Size");
  EXPECT_EQ("share/app/window/size", KeyName(deep));
  const uint32_t empty = CreateMemoryKey(app, "");
  EXPECT_EQ("share/app/", KeyName(empty));

  uint32_t found = 0;
  EXPECT_EQ(1, front_->OpenKey(root::kShare, "app/window/size", kind::kMemory, 0, &found));
  EXPECT_EQ(deep, found);
}

TEST_F(RegisterFrontKeysTest, FullPathsUpTo259CharactersAreAccepted) {
  // "share/" is 6 characters.
  const std::string longest(253, 'k');
  const std::string too_long(254, 'k');
  const uint32_t key = CreateMemoryKey(root::kShare, longest.c_str());
  EXPECT_EQ("share/" + longest, KeyName(key));

  uint32_t out = 0x11111111u;
  int disposition = 0x2222;
  EXPECT_EQ(
      0, front_->CreateKey(root::kShare, too_long.c_str(), kind::kMemory, 0, &out, &disposition));
  EXPECT_EQ(0x11111111u, out);
  EXPECT_EQ(0x2222, disposition);
  EXPECT_EQ(0, front_->OpenKey(root::kShare, too_long.c_str(), kind::kMemory, 0, &out));
  EXPECT_EQ(0x11111111u, out);
}

TEST_F(RegisterFrontKeysTest, AClosedKeyIsNoLongerOpenAndComesBackEmptyUnderANewHandle) {
  const uint32_t key = CreateMemoryKey(root::kUser, "session");
  ASSERT_EQ(1, front_->SetValue(key, "id", value_type::kText, "abc", 4));
  EXPECT_EQ(1, front_->CloseKey(key));
  EXPECT_EQ(0, front_->CloseKey(key));

  uint32_t opened = 0x5555u;
  EXPECT_EQ(0, front_->OpenKey(root::kUser, "session", kind::kMemory, 0, &opened));
  EXPECT_EQ(0u, opened) << "the look-up's result is written";
  EXPECT_EQ(0, front_->HasValue(key, "id"));

  int disposition = 0;
  const uint32_t again = CreateMemoryKey(root::kUser, "session", &disposition);
  EXPECT_EQ(disposition::kCreated, disposition);
  EXPECT_NE(key, again);
  EXPECT_EQ(0, front_->HasValue(again, "id")) << "memory values go with their key";
}

TEST_F(RegisterFrontKeysTest, ReleaseKeyAndDeleteKeyTakeAMemoryKeyOut) {
  const uint32_t released = CreateMemoryKey(root::kUser, "a");
  const uint32_t deleted = CreateMemoryKey(root::kUser, "b");
  EXPECT_EQ(1, front_->ReleaseKey(released));
  EXPECT_EQ(1, front_->DeleteKey(deleted));
  EXPECT_EQ(0, front_->ReleaseKey(released));
  EXPECT_EQ(0, front_->DeleteKey(deleted));
  EXPECT_EQ("<none>", EnumKeyAt(MemoryRoot(root::kUser), 0));
}

TEST_F(RegisterFrontKeysTest, EnumKeyListsOpenKeysBelowAKeyAtAnyDepthInPathOrder) {
  for (const char* path : {"c", "ab", "a/b", "a"}) CreateMemoryKey(root::kShare, path);
  CreateMemoryKey(root::kUser, "x");
  const uint32_t share = MemoryRoot(root::kShare);
  EXPECT_EQ("share/a", EnumKeyAt(share, 0));
  EXPECT_EQ("share/a/b", EnumKeyAt(share, 1));
  EXPECT_EQ("share/ab", EnumKeyAt(share, 2));
  EXPECT_EQ("share/c", EnumKeyAt(share, 3));
  EXPECT_EQ("<none>", EnumKeyAt(share, 4));
  EXPECT_EQ("user/x", EnumKeyAt(MemoryRoot(root::kUser), 0));

  uint32_t a = 0;
  ASSERT_EQ(1, front_->OpenKey(root::kShare, "a", kind::kMemory, 0, &a));
  EXPECT_EQ("share/a/b", EnumKeyAt(a, 0));
  EXPECT_EQ("<none>", EnumKeyAt(a, 1));
  EXPECT_EQ("<none>", EnumKeyAt(root::kShare, 0)) << "a root code of kind 0 has no table";
}

TEST_F(RegisterFrontKeysTest, CloseAllKeysClosesEverythingAndTheRegistryStartsOver) {
  std::vector<uint32_t> keys;
  for (const char* path : {"a", "b", "c", "a/b"}) {
    keys.push_back(CreateMemoryKey(root::kPelok, path));
    ASSERT_EQ(1, front_->SetValue(keys.back(), "v", value_type::kBinary, "xyz", 3));
  }
  ASSERT_EQ(4, LiveMemoryValueBlocks());
  front_->CloseAllKeys();
  EXPECT_EQ(0, LiveMemoryValueBlocks());
  for (uint32_t key : keys) EXPECT_EQ(0, front_->CloseKey(key));
  EXPECT_EQ("<none>", EnumKeyAt(MemoryRoot(root::kPelok), 0));

  front_->CloseAllKeys();  // nothing left: does nothing
  EXPECT_EQ(0x40000001u, CreateMemoryKey(root::kPelok, "a")) << "a new table after the first";
}

TEST_F(RegisterFrontKeysTest, StoredKindsWithoutAStoreFileCreateNothing) {
  for (int stored_kind : {kind::kStored, kind::kStored3}) {
    uint32_t key = 0x12345678u;
    int disposition = 0x77;
    EXPECT_EQ(0, front_->CreateKey(root::kShare, "app", stored_kind, 0, &key, &disposition));
    EXPECT_EQ(0u, key) << "the table's look-up found nothing";
    EXPECT_EQ(0x77, disposition);
    EXPECT_EQ("<none>", EnumKeyAt(RootOfKind(root::kShare, stored_kind), 0));
  }
  // The stored tables exist now but hold no key, so there is nothing to flush through.
  EXPECT_EQ(0, front_->Flush());
}

TEST_F(RegisterFrontKeysTest, KindsWithoutATableCreateNothingAndWriteNothing) {
  for (int bad_kind : {0, 4, -1, 0x7fffffff}) {
    uint32_t key = 0x12345678u;
    int disposition = 0x77;
    EXPECT_EQ(0, front_->CreateKey(root::kShare, "app", bad_kind, 0, &key, &disposition));
    EXPECT_EQ(0x12345678u, key);
    EXPECT_EQ(0x77, disposition);
    EXPECT_EQ(0, front_->OpenKey(root::kShare, "app", bad_kind, 0, &key));
    EXPECT_EQ(0x12345678u, key);
  }
}

TEST_F(RegisterFrontKeysTest, FlushSucceedsWhenOnlyMemoryKeysAreOpen) {
  EXPECT_EQ(1, front_->Flush()) << "no table at all";
  CreateMemoryKey(root::kUser, "x");
  EXPECT_EQ(1, front_->Flush()) << "the memory table is left out";
}

TEST_F(RegisterFrontKeysTest, TheRootDirectorySettingIsAnOrdinaryMemoryKey) {
  const uint32_t key = CreateMemoryKey(root::kUser, "pelok_rootpath");
  const std::string dir = "/var/lib/app";
  ASSERT_EQ(1, front_->SetValue(key, "pelok_rootpath_data", value_type::kText, dir.c_str(),
                                static_cast<int>(dir.size() + 1)));
  uint32_t opened = 0;
  ASSERT_EQ(1, front_->OpenKey(root::kUser, "pelok_rootpath", kind::kMemory, 0, &opened));
  char buf[260] = {};
  int size = sizeof(buf);
  EXPECT_EQ(1, front_->QueryStringValue(opened, "pelok_rootpath_data", buf, &size));
  EXPECT_EQ(dir, buf);
}

}  // namespace
}  // namespace test
}  // namespace pelok

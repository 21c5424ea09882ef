// The root directory for relative store file names comes from the registry's own setting
// user/pelok_rootpath "pelok_rootpath_data" (kind 1), as it stands at the first store use of
// the module. A program of its own: the root is kept for the life of the module.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "pelok/register_front.h"
#include "tests/support/persistence_host.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::FileExistsAt;
using test::RegistryHost;
using test::TempDir;

uint32_t SetRootSetting(IRegisterFront* front, const std::string& directory) {
  uint32_t key = 0;
  int disposition = 0;
  EXPECT_EQ(
      1, front->CreateKey(RootOfKind(root::kUser, 1), "pelok_rootpath", 1, 0, &key, &disposition));
  EXPECT_EQ(1, front->SetValue(key, "pelok_rootpath_data", 1, directory.c_str(),
                               static_cast<int>(directory.size() + 1)));
  return key;
}

uint32_t StoredKey(IRegisterFront* front, const char* sub_key) {
  uint32_t key = 0;
  int disposition = 0;
  EXPECT_EQ(1, front->CreateKey(RootOfKind(root::kShare, 2), sub_key, 2, 0, &key, &disposition));
  return key;
}

TEST(PersistenceRootPathTest, RelativeStoreFileLiesInTheDirectorySetBeforeTheFirstUse) {
  TempDir first;
  TempDir second;
  RegistryHost host;
  ASSERT_TRUE(host.ready());
  IRegisterFront* front = host.front();
  // The setting program keeps its key open for as long as the setting is to hold.
  SetRootSetting(front, first.path());
  ASSERT_EQ(1, front->SetStoreFile("registry.xml"));
  const uint32_t key = StoredKey(front, "app");
  const uint32_t number = 7;
  ASSERT_EQ(1, front->SetValue(key, "n", 2, &number, 4));
  ASSERT_EQ(1, front->Flush());
  EXPECT_TRUE(FileExistsAt(first.Join("registry.xml")));

  // Set after the first use, the setting no longer moves relative store files.
  front = host.Restart();
  ASSERT_NE(nullptr, front);
  SetRootSetting(front, second.path());
  ASSERT_EQ(1, front->SetStoreFile("other.xml"));
  StoredKey(front, "app");
  ASSERT_EQ(1, front->Flush());
  EXPECT_TRUE(FileExistsAt(first.Join("other.xml")));
  EXPECT_FALSE(FileExistsAt(second.Join("other.xml")));
}

}  // namespace
}  // namespace pelok

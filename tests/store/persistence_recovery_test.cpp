// Store files that are read-only or no longer load: nothing a user stored is lost.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pelok/register_front.h"
#include "platform/win32_api.h"
#include "tests/support/persistence_host.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ReadFileBytes;
using test::RegistryHost;
using test::TempDir;
using test::WriteFileBytes;

class PersistenceRecoveryTest : public ::testing::Test {
 protected:
  std::unique_ptr<RegistryHost> Start() {
    auto host = std::make_unique<RegistryHost>();
    EXPECT_TRUE(host->ready());
    if (host->ready()) {
      EXPECT_EQ(1, host->front()->SetStoreFile(path_.c_str()));
    }
    return host;
  }
  static int OpenApp(RegistryHost& host, uint32_t* key) {
    int disposition = 0;
    return host.front()->CreateKey(RootOfKind(root::kShare, 2), "app", 2, 0, key, &disposition);
  }
  static int Number(RegistryHost& host, uint32_t key, const char* name) {
    int value = -1;
    EXPECT_EQ(1, host.front()->QueryIntValue(key, name, &value)) << name;
    return value;
  }
  std::vector<std::string> KeptAside() {
    std::vector<std::string> names;
    const std::string prefix = std::filesystem::path(path_).filename().string() + ".corrupt-";
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
    }
    return names;
  }

  TempDir dir_;
  std::string path_ = dir_.Join("registry.xml");
};

TEST_F(PersistenceRecoveryTest, ReadOnlyStoreFileIsLoadedAndWrittenAgain) {
  {
    auto host = Start();
    uint32_t key = 0;
    ASSERT_EQ(1, OpenApp(*host, &key));
    const uint32_t one = 1;
    ASSERT_EQ(1, host->front()->SetValue(key, "n", 2, &one, 4));
  }
  ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  {
    auto host = Start();
    uint32_t key = 0;
    ASSERT_EQ(1, OpenApp(*host, &key));
    EXPECT_EQ(1, Number(*host, key, "n"));
    const uint32_t two = 2;
    ASSERT_EQ(1, host->front()->SetValue(key, "n", 2, &two, 4));
    EXPECT_EQ(1, host->front()->Flush());
  }
  auto host = Start();
  uint32_t key = 0;
  ASSERT_EQ(1, OpenApp(*host, &key));
  EXPECT_EQ(2, Number(*host, key, "n"));
}

TEST_F(PersistenceRecoveryTest, UnloadableStoreFileIsKeptAsideAndANewStoreServes) {
  const std::string damaged = "<?xml version=\"1.0\"?>\n<processregister>\n\t<share>\n\t\t<app";
  ASSERT_TRUE(WriteFileBytes(path_, damaged));
  {
    auto host = Start();
    uint32_t key = 0;
    ASSERT_EQ(1, OpenApp(*host, &key));
    const uint32_t three = 3;
    ASSERT_EQ(1, host->front()->SetValue(key, "n", 2, &three, 4));
  }
  const auto kept = KeptAside();
  ASSERT_EQ(1u, kept.size());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(dir_.Join(kept[0]), &bytes));
  EXPECT_EQ(damaged, bytes);

  auto host = Start();
  uint32_t key = 0;
  ASSERT_EQ(1, OpenApp(*host, &key));
  EXPECT_EQ(3, Number(*host, key, "n"));
  EXPECT_EQ(1u, KeptAside().size());
}

TEST_F(PersistenceRecoveryTest, StoreFileThatCannotBeKeptAsideIsNeverWrittenOver) {
  // No ".corrupt-" name fits beside a name this long, so the file cannot be moved away.
  const size_t room = kPathBufferSize - 1 - dir_.path().size() - 1;
  ASSERT_GT(room, 60u);
  path_ = dir_.Join(std::string(room - 10, 'r') + ".xml");
  const std::string damaged = "<processregister><share>";
  ASSERT_TRUE(WriteFileBytes(path_, damaged));
  {
    auto host = Start();
    uint32_t key = 0;
    EXPECT_EQ(0, OpenApp(*host, &key));
    EXPECT_EQ(0, host->front()->Flush());
  }
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path_, &bytes));
  EXPECT_EQ(damaged, bytes);
  EXPECT_TRUE(KeptAside().empty());
}

}  // namespace
}  // namespace pelok

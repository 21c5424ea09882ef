// A well-formed store file too large for the memory left (every block above a size fails, as
// under a limit of the process's memory): opening it fails, and the file is neither set aside
// as damaged nor written over. Running out of memory is a failure of the call, never a verdict
// on the file. With the memory back, the same file opens with everything in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/fault_memory.h"
#include "tests/support/fault_registry_host.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace fault {
namespace {

constexpr uint32_t kShare = 0xbffffff3u;  // share, kind 2
constexpr size_t kValueBytes = 64 * 1024;
constexpr int kValues = 32;  // 2 MB of text

class FaultMemoryLimitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseInProcessFactory();
    InstallMemoryFaults();
  }
  void TearDown() override { RestoreMemory(); }

  std::string StoreBytes() const {
    std::string bytes = "<?xml version=\"1.0\"?>\n<processregister><share><app>";
    for (int i = 0; i < kValues; ++i) {
      const std::string name = "v" + std::to_string(i);
      bytes += "<" + name + " type=\"1\" size=\"" + std::to_string(kValueBytes + 1) + "\">" +
               std::string(kValueBytes, static_cast<char>('a' + i % 26)) + "</" + name + ">";
    }
    return bytes + "</app></share></processregister>\n";
  }

  bool AnythingSetAside() const {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      if (entry.path().filename().string().find(".corrupt-") != std::string::npos) return true;
    }
    return false;
  }

  test::TempDir dir_;
  std::string path_ = dir_.Join("registry.xml");
};

TEST_F(FaultMemoryLimitTest, AStoreTooLargeForTheMemoryLeftIsNeverSetAside) {
  const std::string bytes = StoreBytes();
  ASSERT_TRUE(test::WriteFileBytes(path_, bytes));
  for (const size_t limit : {size_t{256} * 1024, size_t{1} << 20, bytes.size() - 1}) {
    IRegisterFront* front = CreateFront();
    ASSERT_NE(nullptr, front);
    ASSERT_EQ(1, front->SetStoreFile(path_.c_str()));
    FailAllocationsLargerThan(limit);
    uint32_t app = 0;
    int disposition = 0;
    EXPECT_EQ(0, front->CreateKey(kShare, "app", 2, 0, &app, &disposition)) << limit;
    front->Destroy(1);
    RestoreMemory();
    EXPECT_FALSE(AnythingSetAside()) << "limit " << limit;
    std::string now;
    ASSERT_TRUE(test::ReadFileBytes(path_, &now));
    EXPECT_TRUE(now == bytes) << "limit " << limit << ": the store file was changed";
    EXPECT_EQ(0, LiveInstances());
    EXPECT_EQ(0, LiveDocuments());
  }

  IRegisterFront* front = CreateFront();
  ASSERT_NE(nullptr, front);
  ASSERT_EQ(1, front->SetStoreFile(path_.c_str()));
  uint32_t app = 0;
  int disposition = 0;
  ASSERT_EQ(1, front->CreateKey(kShare, "app", 2, 0, &app, &disposition));
  std::string text(kValueBytes + 1, '\0');
  int type = 0;
  int size = static_cast<int>(text.size());
  EXPECT_EQ(1, front->QueryValue(app, "v31", &type, &text[0], &size));
  EXPECT_EQ(std::string(kValueBytes, 'f'), text.c_str());
  front->Destroy(1);
}

TEST_F(FaultMemoryLimitTest, ADamagedStoreIsStillSetAside) {
  // The same path with a file that reads whole and is no XML: damage, which PelXml tells.
  const std::string damaged = "<?xml version=\"1.0\"?>\n<processregister><share><app>";
  ASSERT_TRUE(test::WriteFileBytes(path_, damaged));
  IRegisterFront* front = CreateFront();
  ASSERT_NE(nullptr, front);
  ASSERT_EQ(1, front->SetStoreFile(path_.c_str()));
  uint32_t app = 0;
  int disposition = 0;
  EXPECT_EQ(1, front->CreateKey(kShare, "app", 2, 0, &app, &disposition));
  front->Destroy(1);
  EXPECT_TRUE(AnythingSetAside());
}

}  // namespace
}  // namespace fault
}  // namespace pelok

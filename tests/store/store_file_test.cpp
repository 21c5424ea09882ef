// Keeping a damaged store file aside, and creating a new one exclusively.
#include "store/store_file.h"

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "pelok/component.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::TempDir;

SYSTEMTIME Time() {
  SYSTEMTIME time = {};
  time.wYear = 2026;
  time.wMonth = 12;
  time.wDay = 8;
  time.wHour = 21;
  time.wMinute = 30;
  time.wSecond = 0;
  time.wMilliseconds = 123;
  return time;
}

TEST(SetAsideNameTest, AppendsTheTimeStampAndTheAttempt) {
  char out[kPathBufferSize] = {};
  ASSERT_EQ(1, SetAsideName("C:\\data\\registry.xml", Time(), 0, out, kPathBufferSize));
  EXPECT_STREQ("C:\\data\\registry.xml.corrupt-20261208-213000-123", out);
  ASSERT_EQ(1, SetAsideName("C:\\data\\registry.xml", Time(), 2, out, kPathBufferSize));
  EXPECT_STREQ("C:\\data\\registry.xml.corrupt-20261208-213000-123-2", out);
}

TEST(SetAsideNameTest, RefusesANameThatDoesNotFit) {
  const std::string path(kPathBufferSize - 20, 'p');
  char out[kPathBufferSize] = "keep";
  EXPECT_EQ(0, SetAsideName(path.c_str(), Time(), 0, out, kPathBufferSize));
  EXPECT_STREQ("", out);
  EXPECT_EQ(0, SetAsideName(nullptr, Time(), 0, out, kPathBufferSize));
}

// Files of dir whose names begin with prefix.
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
  }
  return names;
}

TEST(SetStoreFileAsideTest, MovesTheBytesToAFreeName) {
  TempDir dir;
  const std::string path = dir.Join("registry.xml");
  ASSERT_TRUE(test::WriteFileBytes(path, "<processregister><a>"));
  ASSERT_EQ(1, SetStoreFileAside(path.c_str()));
  EXPECT_FALSE(test::FileExistsAt(path));

  // A second damaged file in the same millisecond still finds a name of its own.
  ASSERT_TRUE(test::WriteFileBytes(path, "second"));
  ASSERT_EQ(1, SetStoreFileAside(path.c_str()));

  const auto kept = FilesStartingWith(dir.path(), "registry.xml.corrupt-");
  ASSERT_EQ(2u, kept.size());
  std::string first;
  std::string second;
  for (const auto& name : kept) {
    std::string bytes;
    ASSERT_TRUE(test::ReadFileBytes(dir.Join(name), &bytes));
    (bytes == "second" ? second : first) = bytes;
  }
  EXPECT_EQ("<processregister><a>", first);
  EXPECT_EQ("second", second);
}

TEST(SetStoreFileAsideTest, MissingFileStaysUnmoved) {
  TempDir dir;
  EXPECT_EQ(0, SetStoreFileAside(dir.Join("missing.xml").c_str()));
  EXPECT_EQ(0, SetStoreFileAside(""));
  EXPECT_TRUE(FilesStartingWith(dir.path(), "missing.xml").empty());
}

TEST(CreateNewEmptyFileTest, CreatesOnlyWhatDoesNotExist) {
  TempDir dir;
  const std::string path = dir.Join("registry.xml");
  EXPECT_EQ(1, CreateNewEmptyFile(path.c_str()));
  std::string bytes = "x";
  ASSERT_TRUE(test::ReadFileBytes(path, &bytes));
  EXPECT_EQ("", bytes);

  ASSERT_TRUE(test::WriteFileBytes(path, "kept"));
  EXPECT_EQ(0, CreateNewEmptyFile(path.c_str()));
  ASSERT_TRUE(test::ReadFileBytes(path, &bytes));
  EXPECT_EQ("kept", bytes);
  EXPECT_EQ(0, CreateNewEmptyFile(dir.Join("no\\such\\dir.xml").c_str()));
}

TEST(StoreFileKindTest, OnlyAFileIsReadOrSetAside) {
  TempDir dir;
  const std::string file = dir.Join("registry.xml");
  ASSERT_TRUE(test::WriteFileBytes(file, "<processregister/>"));
  EXPECT_EQ(0, IsSpecialFile(file.c_str()));
  EXPECT_EQ(1, FileReadsWhole(file.c_str()));
  EXPECT_EQ(0, IsSpecialFile(dir.Join("missing.xml").c_str()));
  EXPECT_EQ(0, FileReadsWhole(dir.Join("missing.xml").c_str()));
  EXPECT_EQ(0, IsSpecialFile(dir.path().c_str())) << "a directory is no special file";
  EXPECT_EQ(0, FileReadsWhole(dir.path().c_str()));
}

#if !defined(_WIN32)
TEST(StoreFileKindTest, AFifoOrADeviceIsNeverRead) {
  TempDir dir;
  const std::string fifo = dir.Join("registry.xml");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  // Each of these would wait for ever for a writer if it opened the FIFO to read it.
  EXPECT_EQ(1, IsSpecialFile(fifo.c_str()));
  EXPECT_EQ(0, FileReadsWhole(fifo.c_str()));
  EXPECT_EQ(0, SetStoreFileAside(fifo.c_str()));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo)) << "not moved";
  // /dev/zero never ends.
  EXPECT_EQ(1, IsSpecialFile("/dev/zero"));
  EXPECT_EQ(0, FileReadsWhole("/dev/zero"));
  EXPECT_EQ(1, IsSpecialFile("/dev/null"));
  EXPECT_EQ(0, FileReadsWhole("/dev/null"));
}
#endif

}  // namespace
}  // namespace pelok

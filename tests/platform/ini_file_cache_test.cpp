// INI files whose text the POSIX layer keeps between reads: every edit is still seen at once, also
// one that leaves the file's size and modification time as they were, and a settled file is
// read from the disk only once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/fault_injection.h"
#include "platform/win32_api.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

class IniFileCacheTest : public ::testing::Test {
 protected:
  void TearDown() override { fault_injection::Restore(); }

  // Writes text and waits until the write lies further back than the time stamps' granularity,
  // so that the next read keeps the text.
  static void WriteSettled(const std::string& path, const std::string& text) {
    ASSERT_TRUE(test::WriteFileBytes(path, text));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }

  std::string Read(const std::string& path) const {
    char buf[64] = {0};
    GetPrivateProfileStringA("s", "k", "default", buf, sizeof(buf), path.c_str());
    return buf;
  }

  static struct timespec ModifiedAt(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(0, stat(path.c_str(), &info));
    return info.st_mtim;
  }

  static void SetModifiedAt(const std::string& path, const struct timespec& modified) {
    const struct timespec times[2] = {modified, modified};
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
  }

  test::TempDir dir_;
  std::string path_ = dir_.Join("test.ini");
};

TEST_F(IniFileCacheTest, SettledFileIsReadFromTheDiskOnce) {
  WriteSettled(path_, "[s]\nk=kept\n");
  fault_injection::Restore();
  EXPECT_EQ("kept", Read(path_));
  EXPECT_EQ("kept", Read(path_));
  EXPECT_EQ("kept", Read(path_));
  EXPECT_EQ(1, fault_injection::UseCount("open"));
}

TEST_F(IniFileCacheTest, EditInPlaceOfTheSameSizeIsSeen) {
  WriteSettled(path_, "[s]\nk=old\n");
  ASSERT_EQ("old", Read(path_));
  ASSERT_TRUE(test::WriteFileBytes(path_, "[s]\nk=new\n"));
  EXPECT_EQ("new", Read(path_));
}

TEST_F(IniFileCacheTest, EditWithTheModificationTimeSetBackIsSeen) {
  WriteSettled(path_, "[s]\nk=old\n");
  ASSERT_EQ("old", Read(path_));
  const struct timespec modified = ModifiedAt(path_);
  ASSERT_TRUE(test::WriteFileBytes(path_, "[s]\nk=new\n"));
  SetModifiedAt(path_, modified);
  EXPECT_EQ("new", Read(path_));
}

TEST_F(IniFileCacheTest, ReplacementByAFileOfTheSameSizeAndTimeIsSeen) {
  const std::string other = dir_.Join("other.ini");
  ASSERT_TRUE(test::WriteFileBytes(path_, "[s]\nk=old\n"));
  ASSERT_TRUE(test::WriteFileBytes(other, "[s]\nk=new\n"));
  SetModifiedAt(other, ModifiedAt(path_));
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  ASSERT_EQ("old", Read(path_));
  ASSERT_EQ(0, std::rename(other.c_str(), path_.c_str()));
  EXPECT_EQ("new", Read(path_));
}

TEST_F(IniFileCacheTest, RemovedFileGivesTheDefault) {
  WriteSettled(path_, "[s]\nk=old\n");
  ASSERT_EQ("old", Read(path_));
  ASSERT_EQ(0, std::remove(path_.c_str()));
  EXPECT_EQ("default", Read(path_));
}

TEST_F(IniFileCacheTest, FilesAreKeptApart) {
  const std::string other = dir_.Join("other.ini");
  ASSERT_TRUE(test::WriteFileBytes(other, "[s]\nk=two\n"));
  WriteSettled(path_, "[s]\nk=one\n");
  EXPECT_EQ("one", Read(path_));
  EXPECT_EQ("two", Read(other));
  EXPECT_EQ("one", Read(path_));
}

}  // namespace
}  // namespace pelok

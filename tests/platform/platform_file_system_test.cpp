// Files and directories by path: attributes, deleting, directories, moving. Run against the real
// Win32 API in the Windows build as well.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32_api.h"
#include "tests/support/temp_dir.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace pelok {
namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  std::string Contents(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(test::ReadFileBytes(path, &bytes));
    return bytes;
  }

  test::TempDir dir_;
  std::string file_ = dir_.Join("file.txt");
  std::string other_ = dir_.Join("other.txt");
  std::string sub_ = dir_.Join("sub");
};

TEST_F(FileSystemTest, AttributesOfFilesDirectoriesAndMissingPaths) {
  ASSERT_TRUE(test::WriteFileBytes(file_, "x"));
  const DWORD file = GetFileAttributesA(file_.c_str());
  ASSERT_NE(file, INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(file & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(file & FILE_ATTRIBUTE_READONLY);
#if !defined(_WIN32)
  EXPECT_EQ(file, FILE_ATTRIBUTE_NORMAL);  // Windows adds its archive bit
#endif
  const DWORD dir = GetFileAttributesA(dir_.path().c_str());
  ASSERT_NE(dir, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(dir & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(dir & FILE_ATTRIBUTE_READONLY);

  EXPECT_EQ(GetFileAttributesA(other_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA(dir_.Join("no_dir/file.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileSystemTest, ReadOnlyAttributeComesAndGoes) {
  ASSERT_TRUE(test::WriteFileBytes(file_, "x"));
  ASSERT_TRUE(SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(GetFileAttributesA(file_.c_str()) & FILE_ATTRIBUTE_READONLY);
#if !defined(_WIN32)
  struct stat info;
  ASSERT_EQ(stat(file_.c_str(), &info), 0);
  EXPECT_FALSE(info.st_mode & S_IWUSR);
  EXPECT_TRUE(info.st_mode & S_IRUSR);  // only the write bit goes
#endif
  ASSERT_TRUE(SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(GetFileAttributesA(file_.c_str()) & FILE_ATTRIBUTE_READONLY);
#if !defined(_WIN32)
  ASSERT_EQ(stat(file_.c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IWUSR);
#endif
  EXPECT_FALSE(SetFileAttributesA(other_.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemTest, DeleteFileTakesOnlyWritableFiles) {
  ASSERT_TRUE(test::WriteFileBytes(file_, "x"));
  EXPECT_TRUE(DeleteFileA(file_.c_str()));
  EXPECT_FALSE(test::FileExistsAt(file_));
  EXPECT_FALSE(DeleteFileA(file_.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  ASSERT_TRUE(CreateDirectoryA(sub_.c_str(), nullptr));
  EXPECT_FALSE(DeleteFileA(sub_.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(test::FileExistsAt(sub_));

  // A read-only file stays until its attribute is cleared.
  ASSERT_TRUE(test::WriteFileBytes(file_, "x"));
  ASSERT_TRUE(SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(DeleteFileA(file_.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(test::FileExistsAt(file_));
  ASSERT_TRUE(SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileA(file_.c_str()));
}

TEST_F(FileSystemTest, CreateDirectoryMakesOneLevel) {
  ASSERT_TRUE(CreateDirectoryA(sub_.c_str(), nullptr));
  EXPECT_TRUE(GetFileAttributesA(sub_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(CreateDirectoryA(sub_.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

  ASSERT_TRUE(test::WriteFileBytes(file_, "x"));
  EXPECT_FALSE(CreateDirectoryA(file_.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

  const std::string deep = dir_.Join("missing/deeper");
  EXPECT_FALSE(CreateDirectoryA(deep.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(test::FileExistsAt(dir_.Join("missing")));
}

TEST_F(FileSystemTest, RemoveDirectoryTakesOnlyEmptyDirectories) {
  ASSERT_TRUE(CreateDirectoryA(sub_.c_str(), nullptr));
  const std::string inner = sub_ + "/inner.txt";
  ASSERT_TRUE(test::WriteFileBytes(inner, "x"));
  EXPECT_FALSE(RemoveDirectoryA(sub_.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(RemoveDirectoryA(inner.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  ASSERT_TRUE(DeleteFileA(inner.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(sub_.c_str()));
  EXPECT_FALSE(test::FileExistsAt(sub_));
  EXPECT_FALSE(RemoveDirectoryA(sub_.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemTest, MoveReplacesOnlyWhenAsked) {
  ASSERT_TRUE(test::WriteFileBytes(file_, "new"));
  ASSERT_TRUE(test::WriteFileBytes(other_, "old"));
  EXPECT_FALSE(MoveFileExA(file_.c_str(), other_.c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Contents(file_), "new");
  EXPECT_EQ(Contents(other_), "old");

  EXPECT_TRUE(MoveFileExA(file_.c_str(), other_.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(test::FileExistsAt(file_));
  EXPECT_EQ(Contents(other_), "new");

  EXPECT_TRUE(MoveFileExA(other_.c_str(), file_.c_str(), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(Contents(file_), "new");
  EXPECT_TRUE(MoveFileExA(file_.c_str(), other_.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(Contents(other_), "new");
}

TEST_F(FileSystemTest, MoveFailures) {
  EXPECT_FALSE(MoveFileExA(file_.c_str(), other_.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  ASSERT_TRUE(test::WriteFileBytes(file_, "x"));
  ASSERT_TRUE(CreateDirectoryA(sub_.c_str(), nullptr));
  EXPECT_FALSE(MoveFileExA(file_.c_str(), sub_.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Contents(file_), "x");
  EXPECT_TRUE(GetFileAttributesA(sub_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FileSystemTest, MoveTakesADirectory) {
  ASSERT_TRUE(CreateDirectoryA(sub_.c_str(), nullptr));
  ASSERT_TRUE(test::WriteFileBytes(sub_ + "/inner.txt", "x"));
  const std::string moved = dir_.Join("moved");
  EXPECT_TRUE(MoveFileExA(sub_.c_str(), moved.c_str(), 0));
  EXPECT_EQ(Contents(moved + "/inner.txt"), "x");
  EXPECT_FALSE(test::FileExistsAt(sub_));
}

TEST_F(FileSystemTest, PathsMayUseBackslashes) {
  const std::string sub = dir_.path() + "\\sub";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(test::WriteFileBytes(sub_ + "/a.txt", "x"));
  EXPECT_NE(GetFileAttributesA((sub + "\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(SetFileAttributesA((sub + "\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(SetFileAttributesA((sub + "\\a.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(MoveFileExA((sub + "\\a.txt").c_str(), (sub + "\\b.txt").c_str(), 0));
  EXPECT_TRUE(DeleteFileA((sub + "\\b.txt").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(sub.c_str()));
  EXPECT_FALSE(test::FileExistsAt(sub_));
}

}  // namespace
}  // namespace pelok

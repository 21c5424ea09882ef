// Store file names against the root directory, and the file and directory steps of the store.
#include "store/root_path.h"

#include <gtest/gtest.h>

#include <string>

#include "pelok/component.h"
#include "platform/win32_api.h"
#include "tests/support/temp_dir.h"
#include "util/path.h"

namespace pelok {
namespace {

using test::TempDir;

std::string Resolved(const char* name) {
  char out[kPathBufferSize] = {};
  EXPECT_EQ(1, ResolvePath(name, out, kPathBufferSize)) << name;
  return out;
}

std::string Root() { return GetRootPath(); }

TEST(ResolvePathTest, AbsoluteNamesStayAsTheyAre) {
  EXPECT_EQ("C:\\x\\reg.xml", Resolved("C:\\x\\reg.xml"));
  EXPECT_EQ("\\\\server\\share\\reg.xml", Resolved("\\\\server\\share\\reg.xml"));
  EXPECT_EQ("\\reg.xml", Resolved("\\reg.xml"));
}

TEST(ResolvePathTest, RelativeNamesAreJoinedToTheRootWithABackslash) {
  EXPECT_EQ(Root() + "\\reg.xml", Resolved("reg.xml"));
  EXPECT_EQ(Root() + "\\data\\reg.xml", Resolved("data\\reg.xml"));
  EXPECT_EQ(Root() + "\\data/reg.xml", Resolved("data/reg.xml"));
}

TEST(ResolvePathTest, LeadingSlashIsAbsoluteOnlyOnPosix) {
#if defined(_WIN32)
  EXPECT_EQ(Root() + "\\/srv/reg.xml", Resolved("/srv/reg.xml"));
#else
  EXPECT_EQ("/srv/reg.xml", Resolved("/srv/reg.xml"));
#endif
}

TEST(ResolvePathTest, AbsoluteNameMustFitWithItsTerminator) {
  const std::string fits = "C:\\" + std::string(6, 'a');  // 9 characters
  char out[10] = {};
  EXPECT_EQ(1, ResolvePath(fits.c_str(), out, sizeof(out)));
  EXPECT_EQ(fits, out);
  const std::string too_long = fits + "b";
  char untouched[10] = "keep";
  EXPECT_EQ(0, ResolvePath(too_long.c_str(), untouched, sizeof(untouched)));
  EXPECT_STREQ("keep", untouched);
  EXPECT_EQ(0, ResolvePath("C:\\x", nullptr, 10));
  EXPECT_EQ(0, ResolvePath("C:\\x", out, 0));
}

TEST(ResolvePathTest, RelativeNameThatDoesNotFitIsRefusedNotCut) {
  // A path cut short would name some other file.
  const std::string name(kPathBufferSize, 'n');
  char out[kPathBufferSize] = "keep";
  EXPECT_EQ(0, ResolvePath(name.c_str(), out, kPathBufferSize));
  EXPECT_STREQ("", out);
  EXPECT_EQ(0, ResolvePath(nullptr, out, kPathBufferSize));
  EXPECT_EQ(0, RootJoin("x", out, 1));
}

TEST(GetRootPathTest, WithoutTheSettingTheExecutablesDirectoryIsTheRoot) {
  // This program never sets "pelok_rootpath_data".
  EXPECT_STREQ(ExeDirectory(), GetRootPath());
  EXPECT_EQ(GetRootPath(), GetRootPath());
}

TEST(DirectoryPartTest, CutsAtTheLastSeparator) {
  char out[kPathBufferSize] = {};
  ASSERT_EQ(1, DirectoryPart("C:\\a\\b/f.xml", out, kPathBufferSize));
  EXPECT_STREQ("C:\\a\\b", out);
  ASSERT_EQ(1, DirectoryPart("C:\\a/b\\f.xml", out, kPathBufferSize));
  EXPECT_STREQ("C:\\a/b", out);
  ASSERT_EQ(1, DirectoryPart("C:\\a\\f.xml", out, kPathBufferSize));
  EXPECT_STREQ("C:\\a", out);
}

TEST(DirectoryPartTest, FailsWithoutADirectoryOrRoomForIt) {
  char out[8] = "keep";
  EXPECT_EQ(0, DirectoryPart("C:f.xml", out, sizeof(out)));
  EXPECT_EQ(0, DirectoryPart("\\f.xml", out, sizeof(out)));             // nothing before it
  EXPECT_EQ(0, DirectoryPart("C:\\abcdefg\\f.xml", out, sizeof(out)));  // 10 characters
  EXPECT_STREQ("keep", out);
  ASSERT_EQ(1, DirectoryPart("C:\\abcd\\f.xml", out, sizeof(out)));  // 7 characters
  EXPECT_STREQ("C:\\abcd", out);
  EXPECT_EQ(0, DirectoryPart("C:\\a\\f.xml", nullptr, 8));
  EXPECT_EQ(0, DirectoryPart(nullptr, out, sizeof(out)));
}

TEST(HasNoInvalidCharsTest, RefusesEachOfTheSixCharacters) {
  for (const char* path : {"a<b", "a>b", "a\"b", "a|b", "a*b", "a?b"}) {
    EXPECT_EQ(0, HasNoInvalidChars(path)) << path;
  }
  EXPECT_EQ(1, HasNoInvalidChars("C:\\data/reg.xml"));
  EXPECT_EQ(1, HasNoInvalidChars(""));
  EXPECT_EQ(0, HasNoInvalidChars(nullptr));
}

class FileStepsTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(FileStepsTest, CreateParentDirectoryMakesOneLevelOnly) {
  const std::string one = dir_.Join("one");
  EXPECT_EQ(1, CreateParentDirectory((one + "\\reg.xml").c_str()));
  EXPECT_EQ(1, FileExists(one.c_str(), 1));
  // Existing already: still a success.
  EXPECT_EQ(1, CreateParentDirectory((one + "\\reg.xml").c_str()));

  const std::string two = dir_.Join("two");
  EXPECT_EQ(0, CreateParentDirectory((two + "\\three\\reg.xml").c_str()));
  EXPECT_EQ(0, PathExists(two.c_str()));
}

TEST_F(FileStepsTest, CreateParentDirectoryWithInvalidCharactersTouchesNothing) {
  const std::string wild = dir_.Join("wild*card");
  EXPECT_EQ(0, CreateParentDirectory((wild + "\\reg.xml").c_str()));
  const std::string question = dir_.Join("what?");
  EXPECT_EQ(0, CreateParentDirectory((question + "\\reg.xml").c_str()));
#if !defined(_WIN32)
  // Both names would be legal here; nothing was made.
  EXPECT_EQ(0, PathExists(wild.c_str()));
  EXPECT_EQ(0, PathExists(question.c_str()));
#endif
  EXPECT_EQ(0, CreateParentDirectory(""));
  EXPECT_EQ(0, CreateParentDirectory(nullptr));
}

TEST_F(FileStepsTest, FileExistsCountsADirectoryOnlyWhenAllowed) {
  EXPECT_EQ(0, FileExists(dir_.path().c_str(), 0));
  EXPECT_EQ(1, FileExists(dir_.path().c_str(), 1));
  const std::string file = dir_.Join("reg.xml");
  ASSERT_TRUE(test::WriteFileBytes(file, "x"));
  EXPECT_EQ(1, FileExists(file.c_str(), 0));
  EXPECT_EQ(1, FileExists(file.c_str(), 1));
  EXPECT_EQ(0, FileExists(dir_.Join("missing.xml").c_str(), 1));
  EXPECT_EQ(0, FileExists("", 1));
  EXPECT_EQ(0, FileExists(nullptr, 1));
}

TEST_F(FileStepsTest, DeleteStoreFileClearsTheReadOnlyAttributeFirst) {
  const std::string file = dir_.Join("reg.xml");
  ASSERT_TRUE(test::WriteFileBytes(file, "<processregister/>"));
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_NE(0u, GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(1, DeleteStoreFile(file.c_str()));
  EXPECT_FALSE(test::FileExistsAt(file));
  EXPECT_EQ(0, DeleteStoreFile(file.c_str()));
  EXPECT_EQ(0, DeleteStoreFile(nullptr));
}

TEST_F(FileStepsTest, CreateDirectoryIfMissingNeedsTheParent) {
  const std::string dir = dir_.Join("d");
  EXPECT_EQ(1, CreateDirectoryIfMissing(dir.c_str()));
  EXPECT_EQ(1, CreateDirectoryIfMissing(dir.c_str()));
  EXPECT_EQ(0, CreateDirectoryIfMissing(dir_.Join("x\\y").c_str()));
}

}  // namespace
}  // namespace pelok

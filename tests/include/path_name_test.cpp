// Which names the registry takes as they stand: one rule for store file names, the names in a
// DLL registry file and the names pelreg makes absolute.
#include "pelok/path_name.h"

#include <gtest/gtest.h>

#include <string>

namespace pelok {
namespace {

TEST(IsAbsolutePathNameTest, ADriveOrALeadingBackslashStandsOnEverySystem) {
  EXPECT_TRUE(IsAbsolutePathName("C:\\Pelok.ini"));
  EXPECT_TRUE(IsAbsolutePathName("c:reg.xml"));
  EXPECT_TRUE(IsAbsolutePathName("\\Pelok.ini"));
  EXPECT_TRUE(IsAbsolutePathName("\\\\server\\share\\Pelok.ini"));
  // A ':' anywhere counts, as the file APIs would take it as a drive or a stream.
  EXPECT_TRUE(IsAbsolutePathName("conf\\odd:name"));
}

TEST(IsAbsolutePathNameTest, NamesWithoutThemAreJoinedToADirectory) {
  EXPECT_FALSE(IsAbsolutePathName(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(IsAbsolutePathName(""));
  EXPECT_FALSE(IsAbsolutePathName("Pelok.ini"));
  EXPECT_FALSE(IsAbsolutePathName("conf\\Pelok.ini"));
  EXPECT_FALSE(IsAbsolutePathName("conf/Pelok.ini"));
  EXPECT_FALSE(IsAbsolutePathName(std::string("data\\reg.xml")));
}

TEST(IsAbsolutePathNameTest, ALeadingSlashStandsOnlyWhereItStartsAbsoluteNames) {
#if defined(_WIN32)
  // "/etc" is on the current drive: taken relative, like any name without a drive.
  EXPECT_FALSE(IsAbsolutePathName("/etc/Pelok.ini"));
  EXPECT_FALSE(kSlashStartsAbsoluteName);
#else
  EXPECT_TRUE(IsAbsolutePathName("/etc/Pelok.ini"));
  EXPECT_TRUE(IsAbsolutePathName(std::string("/srv/reg.xml")));
#endif
}

TEST(DirectoryOfPathNameTest, CutsAtTheLastSeparatorOfEitherKind) {
  EXPECT_EQ("C:\\data\\", DirectoryOfPathName("C:\\data\\reg.xml"));
  EXPECT_EQ("/srv/data/", DirectoryOfPathName("/srv/data/reg.xml"));
  EXPECT_EQ("C:\\data/sub/", DirectoryOfPathName("C:\\data/sub/reg.xml"));
  EXPECT_EQ("/srv\\x\\", DirectoryOfPathName("/srv\\x\\reg.xml"));
  EXPECT_EQ("", DirectoryOfPathName("reg.xml"));
}

}  // namespace
}  // namespace pelok

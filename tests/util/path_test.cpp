#include "util/path.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/module_loader.h"

namespace pelok {
namespace {

std::string Joined(const char* base, const char* rel, int out_size = 260) {
  std::vector<char> out(static_cast<size_t>(out_size), '#');
  EXPECT_EQ(1, JoinRelative(base, rel, out.data(), out_size));
  return std::string(out.data());
}

std::string PathOf(const char* dir, const char* name, int out_size = 260) {
  std::vector<char> out(static_cast<size_t>(out_size), '#');
  JoinPath(dir, name, out.data(), out_size);
  return std::string(out.data());
}

TEST(FileNameKeyTest, SpellingsOfOneFileMeetAndOthersStayApart) {
  EXPECT_EQ(FileNameKey("C:\\Data\\Reg.XML"), FileNameKey("c:/data/reg.xml"));
  EXPECT_EQ("c:\\data\\reg.xml", FileNameKey("C:/Data\\REG.xml"));
  EXPECT_EQ(FileNameKey(std::string("a/B")), FileNameKey("A\\b"));
  EXPECT_NE(FileNameKey("c:\\data\\reg.xml"), FileNameKey("c:\\data\\reg.xm"));
  // Only ASCII letters fold: the bytes of other characters stay as they are.
  EXPECT_EQ("\xc3\x84", FileNameKey("\xc3\x84"));
  EXPECT_EQ("", FileNameKey(static_cast<const char*>(nullptr)));
}

TEST(LastSeparatorTest, PrefersTheLastBackslashOverAnySlashOnWindowsOnly) {
  const char mixed[] = "a\\b/c";
#if defined(_WIN32)
  EXPECT_EQ(mixed + 1, LastSeparator(mixed));
#else
  // "/" separates on POSIX: a directory joined with a backslash to "sub/file" is cut at "/".
  EXPECT_EQ(mixed + 3, LastSeparator(mixed));
  const char joined[] = "/opt/bin\\../lib/Pelok.ini";
  EXPECT_EQ(joined + 15, LastSeparator(joined));
#endif
  const char slashes[] = "/a/b/c";
  EXPECT_EQ(slashes + 4, LastSeparator(slashes));
  const char backslashes[] = "C:\\a\\b";
  EXPECT_EQ(backslashes + 4, LastSeparator(backslashes));
  EXPECT_EQ(nullptr, LastSeparator("abc"));
  EXPECT_EQ(nullptr, LastSeparator(nullptr));
}

TEST(JoinRelativeTest, ReplacesTheFileNameOfBase) {
  EXPECT_EQ("C:\\app\\PelFact.dll", Joined("C:\\app\\Pelok.ini", "PelFact.dll"));
  EXPECT_EQ("C:\\app\\lib\\PelFact.dll", Joined("C:\\app\\", "lib\\PelFact.dll"));
  EXPECT_EQ("/opt/app/PelFact.dll", Joined("/opt/app/Pelok.ini", "PelFact.dll"));
  EXPECT_EQ("Pelok.ini\\PelFact.dll", Joined("Pelok.ini", "PelFact.dll"));
  EXPECT_EQ("\\x", Joined("", "x"));
}

TEST(JoinRelativeTest, AStepThatDoesNotFitIsSkipped) {
  // The directory part (9 characters) does not fit in 8 bytes; rel alone still does.
  EXPECT_EQ("x", Joined("abcdefgh\\Pelok.ini", "x", 8));
  // The directory fits, rel does not.
  EXPECT_EQ("ab\\", Joined("ab\\Pelok.ini", "12345", 8));
  // A base without separator that fills the buffer loses its backslash but keeps going.
  EXPECT_EQ("abcdefg", Joined("abcdefg", "", 8));
}

TEST(JoinRelativeTest, MissingArguments) {
  char out[8] = "keep";
  EXPECT_EQ(0, JoinRelative(nullptr, "x", out, sizeof(out)));
  EXPECT_EQ(0, JoinRelative("a\\b", nullptr, out, sizeof(out)));
  EXPECT_EQ(0, JoinRelative("a\\b", "x", out, 0));
  EXPECT_EQ(0, JoinRelative("a\\b", "x", nullptr, 8));
  EXPECT_STREQ("keep", out);
}

TEST(JoinPathTest, BlankDirectoryGivesTheNameAlone) {
  EXPECT_EQ("PelFact.dll", PathOf(nullptr, "PelFact.dll"));
  EXPECT_EQ("PelFact.dll", PathOf("", "PelFact.dll"));
  EXPECT_EQ("PelFact.dll", PathOf(" \t", "PelFact.dll"));
  EXPECT_EQ("", PathOf("", "toolong", 7));
}

TEST(JoinPathTest, DirectoryBackslashName) {
  EXPECT_EQ("C:\\fw\\PelFact.dll", PathOf("C:\\fw", "PelFact.dll"));
  EXPECT_EQ("lib\\", PathOf("lib", "name", 7));
  EXPECT_EQ("\\name", PathOf("toolong", "name", 7));
  EXPECT_EQ("lib\\", PathOf("lib", nullptr));
  char out[4] = "abc";
  JoinPath("lib", "x", nullptr, 4);
  JoinPath("lib", "x", out, 0);
  EXPECT_STREQ("abc", out);
}

TEST(ExeDirectoryTest, IsTheDirectoryOfTheRunningExecutable) {
  const std::string dir = ExeDirectory();
  EXPECT_EQ(test::BinDir(), dir);
  ASSERT_FALSE(dir.empty());
  const char last = dir[dir.size() - 1];
  EXPECT_TRUE(last != '\\' && last != '/') << dir;
  EXPECT_EQ(ExeDirectory(), ExeDirectory());
}

TEST(ExeDirJoinTest, NamesAFileBesideTheExecutable) {
  char buf[260];
  ASSERT_EQ(1, ExeDirJoin("Pelok.ini", buf, sizeof(buf)));
  EXPECT_EQ(std::string(ExeDirectory()) + "\\Pelok.ini", buf);
  // The build puts the DLL registry file beside every test; "/" works on both systems.
  std::string path = buf;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  FILE* file = fopen(path.c_str(), "rb");
  EXPECT_NE(nullptr, file) << path;
  if (file != nullptr) fclose(file);
}

TEST(ExeDirJoinTest, NeverWritesMoreThanTwoBelowTheBufferSize) {
  const std::string name(400, 'n');
  // Exactly 260 bytes on the heap: the sanitizer build catches a write beyond.
  std::vector<char> buf(260, '#');
  ASSERT_EQ(1, ExeDirJoin(name.c_str(), buf.data(), 260));
  EXPECT_EQ(258u, strlen(buf.data()));
  EXPECT_EQ('\0', buf[259]);
  const std::string prefix = std::string(ExeDirectory()) + "\\";
  EXPECT_EQ(prefix, std::string(buf.data(), prefix.size()));

  std::vector<char> tiny(2, '#');
  ASSERT_EQ(1, ExeDirJoin("x", tiny.data(), 2));
  EXPECT_EQ('\0', tiny[0]);
}

TEST(ExeDirJoinTest, MissingArguments) {
  char buf[8] = "keep";
  EXPECT_EQ(0, ExeDirJoin(nullptr, buf, sizeof(buf)));
  EXPECT_EQ(0, ExeDirJoin("x", nullptr, 8));
  EXPECT_EQ(0, ExeDirJoin("x", buf, 1));
  EXPECT_STREQ("keep", buf);
}

}  // namespace
}  // namespace pelok

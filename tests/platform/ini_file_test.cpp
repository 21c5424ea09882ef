// GetPrivateProfileStringA as Windows reads INI files. The same expectations run against the real
// Win32 API in the Windows build, which keeps our POSIX reading honest.
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32_api.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void Write(const std::string& text) { ASSERT_TRUE(test::WriteFileBytes(path_, text)); }

  // The string read into a buffer of size bytes; the result in *result.
  std::string Read(const char* section, const char* key, const char* default_value,
                   DWORD size = 256, DWORD* result = nullptr) {
    std::string buf(size + 8, '#');
    const DWORD n =
        GetPrivateProfileStringA(section, key, default_value, &buf[0], size, path_.c_str());
    if (result != nullptr) *result = n;
    return std::string(buf.c_str());
  }

  // The raw bytes of a list read into size bytes.
  std::string ReadList(const char* section, DWORD size, DWORD* result) {
    std::string buf(size, '#');
    *result = GetPrivateProfileStringA(section, nullptr, "", &buf[0], size, path_.c_str());
    return buf;
  }

  test::TempDir dir_;
  std::string path_ = dir_.Join("test.ini");
};

TEST_F(IniFileTest, SectionAndKeyNamesIgnoreCase) {
  Write("[Main]\r\nPort=80\r\n");
  EXPECT_EQ(Read("MAIN", "PORT", "x"), "80");
  EXPECT_EQ(Read("main", "port", "x"), "80");
  EXPECT_EQ(Read("Main", "Port", "x"), "80");
}

TEST_F(IniFileTest, NamesAndValuesLoseSurroundingBlanks) {
  Write("  [ Spaced ] ; note\n   key \t=   two  words \t \nk=a=b\n");
  EXPECT_EQ(Read("Spaced", "key", "x"), "two  words");
  EXPECT_EQ(Read(" spaced ", "\tKEY ", "x"), "two  words");
  EXPECT_EQ(Read("spaced", "k", "x"), "a=b");
}

TEST_F(IniFileTest, OnePairOfMatchingQuotesIsRemoved) {
  Write(
      "[q]\n"
      "double=\"quoted\"\n"
      "single='quoted'\n"
      "inner=\"  kept blanks  \"\n"
      "twice=\"\"twice\"\"\n"
      "open=\"unbalanced\n"
      "mixed=\"mixed'\n"
      "alone=\"\n");
  EXPECT_EQ(Read("q", "double", "x"), "quoted");
  EXPECT_EQ(Read("q", "single", "x"), "quoted");
  EXPECT_EQ(Read("q", "inner", "x"), "  kept blanks  ");
  EXPECT_EQ(Read("q", "twice", "x"), "\"twice\"");
  EXPECT_EQ(Read("q", "open", "x"), "\"unbalanced");
  EXPECT_EQ(Read("q", "mixed", "x"), "\"mixed'");
  EXPECT_EQ(Read("q", "alone", "x"), "\"");
}

TEST_F(IniFileTest, DefaultForMissingFileSectionOrKey) {
  DWORD n = 0;
  EXPECT_EQ(Read("s", "k", "fallback", 256, &n), "fallback");  // no file yet
  EXPECT_EQ(n, 8u);
  Write("[s]\nk=v\nnovalue\nempty=\n");
  EXPECT_EQ(Read("other", "k", "fallback"), "fallback");
  EXPECT_EQ(Read("s", "missing", "fallback"), "fallback");
  EXPECT_EQ(Read("s", "novalue", "fallback"), "fallback");
  EXPECT_EQ(Read("s", "empty", "fallback", 256, &n), "");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(Read("s", "missing", nullptr, 256, &n), "");
  EXPECT_EQ(n, 0u);
}

TEST_F(IniFileTest, DefaultLosesTrailingSpacesOnly) {
  Write("[s]\n");
  DWORD n = 0;
  EXPECT_EQ(Read("s", "missing", "dflt   ", 256, &n), "dflt");
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(Read("s", "missing", "  d f"), "  d f");
}

TEST_F(IniFileTest, ValueIsCutToTheBuffer) {
  Write("[s]\nk=abcdefghij\n");
  DWORD n = 0;
  EXPECT_EQ(Read("s", "k", "x", 5, &n), "abcd");
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(Read("s", "k", "x", 11, &n), "abcdefghij");
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(Read("s", "k", "x", 1, &n), "");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(Read("s", "missing", "defaultvalue", 4, &n), "def");
  EXPECT_EQ(n, 3u);

  char untouched[4] = {'#', '#', '#', '\0'};
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "x", untouched, 0, path_.c_str()), 0u);
  EXPECT_STREQ(untouched, "###");
}

TEST_F(IniFileTest, CommentLinesAreSkipped) {
  Write("[s]\n;gone=1\n  ; indented=2\nkept=3\n;[hidden]\n");
  EXPECT_EQ(Read("s", "gone", "x"), "x");
  EXPECT_EQ(Read("s", "indented", "x"), "x");
  EXPECT_EQ(Read("s", "kept", "x"), "3");
  EXPECT_EQ(Read("hidden", "kept", "x"), "x");
  DWORD n = 0;
  EXPECT_EQ(ReadList("s", 16, &n).substr(0, 6), std::string("kept\0\0", 6));
  EXPECT_EQ(n, 5u);
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWin) {
  Write("[s]\nk=first\nK=second\n[t]\nk=other\n[S]\nk=third\nlater=4\n");
  EXPECT_EQ(Read("s", "k", "x"), "first");
  EXPECT_EQ(Read("t", "k", "x"), "other");
  // A repeated section adds nothing: only the first of that name is read.
  EXPECT_EQ(Read("s", "later", "x"), "x");
}

TEST_F(IniFileTest, KeysBeforeAnySectionBelongToNone) {
  Write("k=top\n[s]\nother=1\n");
  EXPECT_EQ(Read("s", "k", "x"), "x");
}

TEST_F(IniFileTest, NullKeyListsTheKeysWithValues) {
  Write("[s]\na=1\nB=2\nnovalue\n;c=3\nempty=\nB=dup\n[t]\nz=9\n");
  DWORD n = 0;
  const std::string list = ReadList("S", 32, &n);
  EXPECT_EQ(list.substr(0, 15), std::string("a\0B\0empty\0B\0\0", 13) + "##");
  EXPECT_EQ(n, 12u);
}

TEST_F(IniFileTest, NullKeyOnMissingOrEmptySectionGivesTheDefault) {
  Write("[empty]\n[s]\nk=v\n");
  EXPECT_EQ(Read("missing", nullptr, "fallback"), "fallback");
  EXPECT_EQ(Read("empty", nullptr, "fallback"), "fallback");
}

TEST_F(IniFileTest, NullSectionListsTheSections) {
  Write("top=1\n[One]\nk=v\n[two]\n[One]\n");
  DWORD n = 0;
  const std::string list = ReadList(nullptr, 32, &n);
  EXPECT_EQ(list.substr(0, 15), std::string("One\0two\0One\0\0", 13) + "##");
  EXPECT_EQ(n, 12u);
}

TEST_F(IniFileTest, ListsAreCutInsideTheLastNameThatFits) {
  Write("[Spaced]\nkey=1\nk2=2\n[Main]\n");
  DWORD n = 0;
  std::string list = ReadList(nullptr, 10, &n);
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(list.substr(0, 9), std::string("Spaced\0M\0", 9));
#if !defined(_WIN32)
  EXPECT_EQ(list[9], '\0');  // the second zero ends the list
#endif
  list = ReadList("spaced", 7, &n);
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(list.substr(0, 6), std::string("key\0k\0", 6));
  // A list that fits is not reported as cut.
  list = ReadList(nullptr, 15, &n);
  EXPECT_EQ(n, 12u);
  EXPECT_EQ(list.substr(0, 13), std::string("Spaced\0Main\0\0", 13));
}

TEST_F(IniFileTest, CrLfAndLfLinesBothWork) {
  Write("[a]\r\nx=1\r\n[b]\ny=2\n\r\n[c]\r\nz=3");
  EXPECT_EQ(Read("a", "x", "d"), "1");
  EXPECT_EQ(Read("b", "y", "d"), "2");
  EXPECT_EQ(Read("c", "z", "d"), "3");
}

TEST_F(IniFileTest, Utf8ByteOrderMarkIsSkipped) {
  Write("\xEF\xBB\xBF[s]\nk=v\n");
  EXPECT_EQ(Read("s", "k", "d"), "v");
}

TEST_F(IniFileTest, EditsAreSeenAtOnce) {
  Write("[s]\nk=old\n");
  EXPECT_EQ(Read("s", "k", "d"), "old");
  Write("[s]\nk=new\n");
  EXPECT_EQ(Read("s", "k", "d"), "new");
}

TEST_F(IniFileTest, PathMayUseBackslashes) {
  Write("[s]\nk=v\n");
  const std::string backslashed = dir_.path() + "\\test.ini";
  char buf[16];
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d", buf, sizeof(buf), backslashed.c_str()), 1u);
  EXPECT_STREQ(buf, "v");
}

#if !defined(_WIN32)
// A DLL registry file that names a FIFO or a device reads as a missing file, at once: reading
// it would wait for ever for a writer, or (/dev/zero) never end.
TEST_F(IniFileTest, AFifoOrADeviceReadsAsAMissingFile) {
  ASSERT_EQ(0, mkfifo(path_.c_str(), 0600));
  EXPECT_EQ("fallback", Read("361", "DLL", "fallback"));
  DWORD result = 0;
  EXPECT_EQ(std::string("\0\0", 2), ReadList(nullptr, 2, &result).substr(0, 2));
  EXPECT_EQ(0u, result);
  for (const char* device : {"/dev/zero", "/dev/null"}) {
    std::string buf(64, '#');
    EXPECT_EQ(7u, GetPrivateProfileStringA("361", "DLL", "default", &buf[0], 64, device));
    EXPECT_STREQ("default", buf.c_str()) << device;
  }
}
#endif

}  // namespace
}  // namespace pelok

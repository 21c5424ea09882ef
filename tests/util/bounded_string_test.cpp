#include "util/bounded_string.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/debug_capture.h"

namespace pelok {
namespace {

// A buffer filled with a marker byte, so that every byte an operation writes (or must not
// write) can be checked.
class Marked {
 public:
  explicit Marked(size_t size, char fill = '#') : bytes_(size, fill) {}
  char* data() { return bytes_.data(); }
  const std::vector<char>& bytes() const { return bytes_; }
  std::string text() const { return std::string(bytes_.data()); }

 private:
  std::vector<char> bytes_;
};

// The buffer as it was before a refused call.
Marked Preset(size_t size, const char* text) {
  Marked buf(size);
  memcpy(buf.data(), text, strlen(text) + 1);
  return buf;
}

int Format(char* buf, int buf_size, int count, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = Primitives().format(buf, buf_size, count, format, args);
  va_end(args);
  return result;
}

TEST(BoundedPrimitivesTest, TableHoldsTheFourInOrder) {
  const BoundedPrimitives& table = Primitives();
  EXPECT_EQ(table.format, &BoundedFormat);
  EXPECT_EQ(table.append, &BoundedAppend);
  EXPECT_EQ(table.copy_n, &BoundedCopyN);
  EXPECT_EQ(table.copy, &BoundedCopy);
  EXPECT_EQ(&Primitives(), &table);
}

TEST(BoundedCopyTest, CopiesOnlyWhatFitsWithItsTerminator) {
  Marked buf(4);
  EXPECT_EQ(kBoundedOk, BoundedCopy(buf.data(), 4, "abc"));
  EXPECT_EQ("abc", buf.text());

  Marked kept = Preset(4, "xy");
  const std::vector<char> before = kept.bytes();
  EXPECT_EQ(kBoundedTooLong, BoundedCopy(kept.data(), 4, "abcd"));
  EXPECT_EQ(before, kept.bytes());
}

TEST(BoundedCopyTest, InvalidArguments) {
  Marked buf = Preset(4, "xy");
  const std::vector<char> before = buf.bytes();
  EXPECT_EQ(kBoundedTooLong, BoundedCopy(buf.data(), 0, "a"));
  EXPECT_EQ(kBoundedInvalid, BoundedCopy(nullptr, 4, "a"));
  EXPECT_EQ(kBoundedTooLong, BoundedCopy(nullptr, 0, "a"));
  EXPECT_EQ(kBoundedInvalid, BoundedCopy(buf.data(), 4, nullptr));
  EXPECT_EQ(kBoundedInvalid, BoundedCopy(buf.data(), -1, "a"));
  EXPECT_EQ(before, buf.bytes());
}

TEST(BoundedCopyNTest, PadsLikeStrncpyAndTerminatesAtTheLength) {
  Marked buf(8);
  EXPECT_EQ(kBoundedOk, BoundedCopyN(buf.data(), 8, "ab", 4));
  const std::vector<char> expected = {'a', 'b', 0, 0, 0, '#', '#', '#'};
  EXPECT_EQ(expected, buf.bytes());

  Marked prefix(8);
  EXPECT_EQ(kBoundedOk, BoundedCopyN(prefix.data(), 8, "abcdef", 3));
  EXPECT_EQ("abc", prefix.text());
  EXPECT_EQ('#', prefix.bytes()[4]);
}

TEST(BoundedCopyNTest, ALengthThatDoesNotFitEmptiesTheBuffer) {
  Marked buf = Preset(4, "xyz");
  EXPECT_EQ(kBoundedInvalid, BoundedCopyN(buf.data(), 4, "abcd", 4));
  EXPECT_EQ("", buf.text());
  EXPECT_EQ(kBoundedOk, BoundedCopyN(buf.data(), 4, "abcd", 3));
  EXPECT_EQ("abc", buf.text());
}

TEST(BoundedCopyNTest, InvalidArgumentsLeaveTheBuffer) {
  Marked buf = Preset(4, "xyz");
  const std::vector<char> before = buf.bytes();
  EXPECT_EQ(kBoundedInvalid, BoundedCopyN(buf.data(), 4, "ab", 0));
  EXPECT_EQ(kBoundedInvalid, BoundedCopyN(buf.data(), 4, "ab", -2));
  EXPECT_EQ(kBoundedInvalid, BoundedCopyN(buf.data(), 4, nullptr, 2));
  EXPECT_EQ(kBoundedInvalid, BoundedCopyN(buf.data(), 0, "ab", 2));
  EXPECT_EQ(kBoundedInvalid, BoundedCopyN(nullptr, 4, "ab", 2));
  EXPECT_EQ(before, buf.bytes());
}

TEST(BoundedAppendTest, AppendsOnlyWhenTheWholeResultFits) {
  Marked fits = Preset(5, "ab");
  EXPECT_EQ(kBoundedOk, BoundedAppend(fits.data(), 5, "cd"));
  EXPECT_EQ("abcd", fits.text());

  Marked short_buf = Preset(4, "ab");
  const std::vector<char> before = short_buf.bytes();
  EXPECT_EQ(kBoundedTooLong, BoundedAppend(short_buf.data(), 4, "cd"));
  EXPECT_EQ(before, short_buf.bytes());
}

TEST(BoundedAppendTest, InvalidArguments) {
  Marked buf = Preset(4, "ab");
  const std::vector<char> before = buf.bytes();
  EXPECT_EQ(kBoundedTooLong, BoundedAppend(buf.data(), 0, "c"));
  EXPECT_EQ(kBoundedInvalid, BoundedAppend(nullptr, 4, "c"));
  EXPECT_EQ(kBoundedInvalid, BoundedAppend(buf.data(), 4, nullptr));
  EXPECT_EQ(before, buf.bytes());
}

TEST(BoundedAppendTest, AnUnterminatedDestinationIsFullNotOverread) {
  // Exactly dst_size bytes without a terminator: the sanitizer build catches a read beyond.
  std::vector<char> buf(4, 'z');
  EXPECT_EQ(kBoundedTooLong, BoundedAppend(buf.data(), 4, ""));
  EXPECT_EQ(0, AppendText(buf.data(), 4, ""));
  EXPECT_EQ(std::vector<char>(4, 'z'), buf);
}

TEST(BoundedFormatTest, CountMinusOneFillsTheBufferAndTerminates) {
  Marked buf(12);
  EXPECT_EQ(-1, Format(buf.data(), 8, -1, "%s", "0123456789"));
  EXPECT_EQ("0123456", buf.text());
  EXPECT_EQ('#', buf.bytes()[8]);

  Marked exact(12);
  EXPECT_EQ(7, Format(exact.data(), 8, -1, "%d", 1234567));
  EXPECT_EQ("1234567", exact.text());

  Marked shorter(12);
  EXPECT_EQ(5, Format(shorter.data(), 8, -1, "%s-%u", "ab", 42u));
  EXPECT_EQ("ab-42", shorter.text());
}

TEST(BoundedFormatTest, CountBelowTheBufferLimitsTheText) {
  Marked buf(16);
  EXPECT_EQ(-1, Format(buf.data(), 16, 3, "abcdef"));
  EXPECT_EQ("abc", buf.text());
  EXPECT_EQ('#', buf.bytes()[4]);

  Marked fits(16);
  EXPECT_EQ(3, Format(fits.data(), 16, 3, "abc"));
  EXPECT_EQ("abc", fits.text());

  // A count beyond the buffer is lowered to it.
  Marked lowered(8);
  EXPECT_EQ(-1, Format(lowered.data(), 4, 100, "abcdef"));
  EXPECT_EQ("abc", lowered.text());
  EXPECT_EQ('#', lowered.bytes()[4]);
}

TEST(BoundedFormatTest, OneByteBufferHoldsOnlyTheTerminator) {
  Marked buf(4);
  EXPECT_EQ(-1, Format(buf.data(), 1, -1, "x"));
  EXPECT_EQ("", buf.text());
  EXPECT_EQ('#', buf.bytes()[1]);
}

TEST(BoundedFormatTest, InvalidArgumentsLeaveTheBuffer) {
  Marked buf = Preset(8, "keep");
  const std::vector<char> before = buf.bytes();
  EXPECT_EQ(-1, Format(nullptr, 8, -1, "x"));
  EXPECT_EQ(-1, Format(buf.data(), 0, -1, "x"));
  EXPECT_EQ(-1, Format(buf.data(), 8, 0, "x"));
  EXPECT_EQ(-1, Format(buf.data(), 8, -2, "x"));
  EXPECT_EQ(-1, Format(buf.data(), 8, -1, nullptr));
  EXPECT_EQ(before, buf.bytes());
}

TEST(FitsInTest, CountsTheTerminator) {
  EXPECT_EQ(0, FitsIn(nullptr, 10));
  EXPECT_EQ(0, FitsIn("abc", 3));
  EXPECT_EQ(1, FitsIn("abc", 4));
  EXPECT_EQ(0, FitsIn("", 0));
  EXPECT_EQ(1, FitsIn("", 1));
}

TEST(CopyTextTest, AllOrNothing) {
  Marked buf(4);
  EXPECT_EQ(1, CopyText(buf.data(), 4, "abc"));
  EXPECT_EQ("abc", buf.text());

  Marked kept = Preset(4, "xy");
  const std::vector<char> before = kept.bytes();
  EXPECT_EQ(0, CopyText(kept.data(), 4, "abcd"));
  EXPECT_EQ(0, CopyText(kept.data(), 4, nullptr));
  EXPECT_EQ(0, CopyText(kept.data(), 0, "a"));
  EXPECT_EQ(0, CopyText(kept.data(), -5, "a"));
  EXPECT_EQ(0, CopyText(nullptr, 4, "a"));
  EXPECT_EQ(before, kept.bytes());
}

TEST(CopyPrefixTest, CopiesNCharactersAndTerminates) {
  Marked buf(8);
  EXPECT_EQ(1, CopyPrefix(buf.data(), 8, "abcdef", 3));
  EXPECT_EQ("abc", buf.text());

  // A source shorter than n stops at its end.
  Marked shorter(8);
  EXPECT_EQ(1, CopyPrefix(shorter.data(), 8, "ab", 5));
  EXPECT_EQ("ab", shorter.text());

  Marked largest(4);
  EXPECT_EQ(1, CopyPrefix(largest.data(), 4, "abcdef", 3));
  EXPECT_EQ("abc", largest.text());
}

TEST(CopyPrefixTest, AllOrNothing) {
  Marked buf = Preset(4, "xyz");
  const std::vector<char> before = buf.bytes();
  EXPECT_EQ(0, CopyPrefix(buf.data(), 4, "abcdef", 4));
  EXPECT_EQ(0, CopyPrefix(buf.data(), 4, "abcdef", 0));
  EXPECT_EQ(0, CopyPrefix(buf.data(), 4, "abcdef", -1));
  EXPECT_EQ(0, CopyPrefix(buf.data(), 4, nullptr, 2));
  EXPECT_EQ(0, CopyPrefix(nullptr, 4, "ab", 2));
  EXPECT_EQ(before, buf.bytes());
}

TEST(AppendTextTest, AllOrNothing) {
  Marked buf = Preset(6, "ab");
  EXPECT_EQ(1, AppendText(buf.data(), 6, "cde"));
  EXPECT_EQ("abcde", buf.text());

  const std::vector<char> before = buf.bytes();
  EXPECT_EQ(0, AppendText(buf.data(), 6, "f"));
  EXPECT_EQ(0, AppendText(buf.data(), 6, nullptr));
  EXPECT_EQ(0, AppendText(buf.data(), 0, ""));
  EXPECT_EQ(0, AppendText(nullptr, 6, "f"));
  EXPECT_EQ(before, buf.bytes());
}

TEST(FormatBoundedTest, TheSmallerOfSizeAndNLimitsTheText) {
  Marked by_n(16);
  EXPECT_EQ(-1, FormatBounded(by_n.data(), 10, 3, "%s", "abcdef"));
  EXPECT_EQ("abc", by_n.text());
  EXPECT_EQ('#', by_n.bytes()[4]);

  Marked by_size(16);
  EXPECT_EQ(-1, FormatBounded(by_size.data(), 4, 10, "%s", "abcdef"));
  EXPECT_EQ("abc", by_size.text());
  EXPECT_EQ('#', by_size.bytes()[4]);

  Marked fits(16);
  EXPECT_EQ(6, FormatBounded(fits.data(), 16, 6, "%04d-%c", 7, 'x'));
  EXPECT_EQ("0007-x", fits.text());
}

TEST(FormatBoundedTest, OneByteBufferStillTerminates) {
  Marked buf(4);
  EXPECT_EQ(0, FormatBounded(buf.data(), 1, 5, "%s", ""));
  EXPECT_EQ("", buf.text());
  EXPECT_EQ(-1, FormatBounded(buf.data(), 1, 5, "x"));
  EXPECT_EQ("", buf.text());
  EXPECT_EQ('#', buf.bytes()[1]);
}

TEST(FormatBoundedTest, InvalidArgumentsLeaveTheBuffer) {
  Marked buf = Preset(8, "keep");
  const std::vector<char> before = buf.bytes();
  EXPECT_EQ(-1, FormatBounded(nullptr, 8, 8, "x"));
  EXPECT_EQ(-1, FormatBounded(buf.data(), 0, 8, "x"));
  EXPECT_EQ(-1, FormatBounded(buf.data(), 8, 0, "x"));
  EXPECT_EQ(-1, FormatBounded(buf.data(), 8, -1, "x"));
  EXPECT_EQ(before, buf.bytes());
}

TEST(IsBlankTest, OnlySpacesAndTabsAreBlank) {
  EXPECT_EQ(1, IsBlank(nullptr));
  EXPECT_EQ(1, IsBlank(""));
  EXPECT_EQ(1, IsBlank(" \t \t"));
  EXPECT_EQ(0, IsBlank(" x "));
  EXPECT_EQ(0, IsBlank("\n"));
}

TEST(TrimBlanksTest, StripsBothEndsAndKeepsInnerBlanks) {
  char out[16];
  TrimBlanks(" \t a b\t \t", out, sizeof(out));
  EXPECT_STREQ("a b", out);
  TrimBlanks("PelFact.dll", out, sizeof(out));
  EXPECT_STREQ("PelFact.dll", out);
  TrimBlanks("x\n ", out, sizeof(out));
  EXPECT_STREQ("x\n", out);
}

TEST(TrimBlanksTest, BlankMissingOrTooLongGivesEmpty) {
  char out[4] = {'z', 'z', 'z', 0};
  TrimBlanks(" \t \t ", out, sizeof(out));
  EXPECT_STREQ("", out);

  strcpy(out, "zzz");
  TrimBlanks(nullptr, out, sizeof(out));
  EXPECT_STREQ("", out);

  strcpy(out, "zzz");
  TrimBlanks("  abcd  ", out, sizeof(out));
  EXPECT_STREQ("", out);

  strcpy(out, "zzz");
  TrimBlanks("  abc  ", out, sizeof(out));
  EXPECT_STREQ("abc", out);

  TrimBlanks("abc", nullptr, 4);
  TrimBlanks("abc", out, 0);
  EXPECT_STREQ("abc", out);
}

TEST(LowerCaseAsciiTest, ChangesOnlyAsciiCapitals) {
  char text[] = "Share/APP_@[Z]\xC4\xD6";
  LowerCaseAscii(text);
  EXPECT_STREQ("share/app_@[z]\xC4\xD6", text);
  LowerCaseAscii(nullptr);
}

TEST(ErrorPrintTest, WritesTheFormattedTextToTheDebuggerOutput) {
  test::DebugCapture capture;
  ErrorPrint("[Pelok_Error] CreateComponent(ComponentId=%u) return null.\n", 1140u);
  EXPECT_EQ("[Pelok_Error] CreateComponent(ComponentId=1140) return null.\n", capture.Text());
}

TEST(ErrorPrintTest, KeepsAtMost1022Characters) {
  const std::string longer(3000, 'x');
  test::DebugCapture capture;
  ErrorPrint("%s", longer.c_str());
  EXPECT_EQ(std::string(1022, 'x'), capture.Text());
}

TEST(DebugPrintTest, KeepsAtMost1023CharactersAndFormatsLikePrintf) {
  const std::string longer(3000, 'y');
  {
    test::DebugCapture capture;
    DebugPrint("%s", longer.c_str());
    EXPECT_EQ(std::string(1023, 'y'), capture.Text());
  }
  test::DebugCapture capture;
  DebugPrint("PelFact: live block, %u bytes, owner component %d\n", 16u, 1134);
  EXPECT_EQ("PelFact: live block, 16 bytes, owner component 1134\n", capture.Text());
}

}  // namespace
}  // namespace pelok

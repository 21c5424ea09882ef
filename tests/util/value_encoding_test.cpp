#include "util/value_encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace pelok {
namespace {

using Bytes = std::vector<uint8_t>;

std::string Formatted(uint32_t value) {
  char out[16];
  EXPECT_EQ(1, FormatUnsigned(value, out, sizeof(out)));
  return out;
}

TEST(FormatUnsignedTest, WritesPlainUnsignedDecimal) {
  EXPECT_EQ("0", Formatted(0));
  EXPECT_EQ("7", Formatted(7));
  EXPECT_EQ("1000", Formatted(1000));
  EXPECT_EQ("2147483648", Formatted(0x80000000u));
  EXPECT_EQ("4294967295", Formatted(0xFFFFFFFFu));
}

TEST(FormatUnsignedTest, TextAndTerminatorMustFit) {
  char out[12];
  memset(out, '#', sizeof(out));
  EXPECT_EQ(0, FormatUnsigned(4294967295u, out, 10));
  EXPECT_EQ(std::string(12, '#'), std::string(out, sizeof(out)));
  EXPECT_EQ(1, FormatUnsigned(4294967295u, out, 11));
  EXPECT_STREQ("4294967295", out);
  EXPECT_EQ('#', out[11]);

  EXPECT_EQ(0, FormatUnsigned(5, out, 1));
  EXPECT_EQ(0, FormatUnsigned(5, out, 0));
  EXPECT_EQ(0, FormatUnsigned(5, nullptr, 8));
  EXPECT_EQ(1, FormatUnsigned(5, out, 2));
  EXPECT_STREQ("5", out);
}

TEST(TrimSpacesTest, RemovesOnlyBlanksAtBothEnds) {
  char out[16];
  EXPECT_EQ(5, TrimSpaces("  a b c  ", out, sizeof(out)));
  EXPECT_STREQ("a b c", out);
  EXPECT_EQ(4, TrimSpaces("\t42\n", out, sizeof(out)));
  EXPECT_STREQ("\t42\n", out);
}

TEST(TrimSpacesTest, EmptyOrTooLongGivesZeroAndEmptyOut) {
  char out[4];
  strcpy(out, "zzz");
  EXPECT_EQ(0, TrimSpaces("", out, sizeof(out)));
  EXPECT_STREQ("", out);
  strcpy(out, "zzz");
  EXPECT_EQ(0, TrimSpaces("    ", out, sizeof(out)));
  EXPECT_STREQ("", out);
  strcpy(out, "zzz");
  EXPECT_EQ(0, TrimSpaces(" abcd ", out, sizeof(out)));
  EXPECT_STREQ("", out);
  EXPECT_EQ(3, TrimSpaces(" abc ", out, sizeof(out)));
  EXPECT_STREQ("abc", out);

  EXPECT_EQ(0, TrimSpaces(nullptr, out, sizeof(out)));
  EXPECT_EQ(0, TrimSpaces("x", out, 0));
  EXPECT_EQ(0, TrimSpaces("x", nullptr, 4));
  EXPECT_STREQ("abc", out);
}

TEST(TrimSpacesTest, WorksInPlace) {
  char text[] = "   value  ";
  EXPECT_EQ(5, TrimSpaces(text, text, sizeof(text)));
  EXPECT_STREQ("value", text);
}

TEST(ParseIntTest, ReadsSignedDecimalText) {
  EXPECT_EQ(42, ParseInt("  42  "));
  EXPECT_EQ(12, ParseInt("12abc"));
  EXPECT_EQ(7, ParseInt("\t+7"));
  EXPECT_EQ(-15, ParseInt(" \n-15"));
  EXPECT_EQ(0, ParseInt("abc"));
  EXPECT_EQ(0, ParseInt("-"));
  EXPECT_EQ(0, ParseInt("- 5"));
  EXPECT_EQ(0, ParseInt(""));
  EXPECT_EQ(0, ParseInt("   "));
  EXPECT_EQ(0, ParseInt(nullptr));
}

TEST(ParseIntTest, WrapsModulo32Bits) {
  EXPECT_EQ(-1, ParseInt("-1"));
  EXPECT_EQ(-1, ParseInt("4294967295"));
  EXPECT_EQ(INT32_MIN, ParseInt("2147483648"));
  EXPECT_EQ(INT32_MIN, ParseInt("-2147483648"));
  EXPECT_EQ(0, ParseInt("4294967296"));
  EXPECT_EQ(1, ParseInt("4294967297"));
  EXPECT_EQ(1, ParseInt("-4294967295"));
}

TEST(ParseIntTest, EveryFormattedValueReadsBack) {
  for (uint32_t value :
       {0u, 1u, 9u, 10u, 65535u, 2147483647u, 2147483648u, 4000000000u, 4294967295u}) {
    EXPECT_EQ(static_cast<int32_t>(value), ParseInt(Formatted(value).c_str())) << value;
  }
}

TEST(ParseIntTest, TextOf128CharactersOrMoreAfterTrimmingGivesZero) {
  const std::string fits = std::string(126, '0') + "1";  // 127 characters
  EXPECT_EQ(1, ParseInt(("  " + fits + "  ").c_str()));
  EXPECT_EQ(0, ParseInt((fits + "1").c_str()));
  EXPECT_EQ(0, ParseInt(std::string(130, '1').c_str()));
}

TEST(HexEncodeTest, TwoUpperCaseDigitsPerByteHighHalfFirst) {
  const uint8_t data[] = {0x00, 0x7F, 0xFF, 0xA5};
  char out[9];
  ASSERT_EQ(1, HexEncode(data, 4, out, sizeof(out)));
  EXPECT_STREQ("007FFFA5", out);
}

TEST(HexEncodeTest, NeedsRoomForTheTerminatorAndZeroFillsAllOfOut) {
  const uint8_t data[] = {0x00, 0x7F, 0xFF};
  char out[12];
  memset(out, '#', sizeof(out));
  EXPECT_EQ(0, HexEncode(data, 3, out, 6));
  EXPECT_EQ(std::string(12, '#'), std::string(out, sizeof(out)));

  ASSERT_EQ(1, HexEncode(data, 3, out, 7));
  EXPECT_STREQ("007FFF", out);
  EXPECT_EQ('#', out[7]);

  memset(out, '#', sizeof(out));
  ASSERT_EQ(1, HexEncode(data, 3, out, 11));
  EXPECT_EQ(std::string("007FFF\0\0\0\0\0#", 12), std::string(out, sizeof(out)));
}

TEST(HexEncodeTest, InvalidArguments) {
  const uint8_t data[] = {1};
  char out[4] = "abc";
  EXPECT_EQ(0, HexEncode(nullptr, 1, out, sizeof(out)));
  EXPECT_EQ(0, HexEncode(data, 1, nullptr, 4));
  EXPECT_EQ(0, HexEncode(data, -1, out, sizeof(out)));
  EXPECT_EQ(0, HexEncode(data, 0, out, 0));
  EXPECT_EQ(0, HexEncode(data, 0x40000000, out, sizeof(out)));
  EXPECT_STREQ("abc", out);
  EXPECT_EQ(1, HexEncode(data, 0, out, 1));
  EXPECT_STREQ("", out);
}

Bytes Decoded(const char* text, unsigned out_size, int expected_result = 1) {
  Bytes out(out_size, 0xEE);
  EXPECT_EQ(expected_result, HexDecode(text, out.data(), out_size)) << text;
  return out;
}

TEST(HexDecodeTest, ReadsEitherCase) {
  EXPECT_EQ((Bytes{0x00, 0x7F, 0xFF}), Decoded("007fff", 3));
  EXPECT_EQ((Bytes{0x00, 0x7F, 0xFF}), Decoded("007FFF", 3));
  EXPECT_EQ((Bytes{0xAB, 0xCD, 0x00, 0x00}), Decoded("aBcD", 4));
}

TEST(HexDecodeTest, AnOddDigitFillsTheHighHalfOfOneMoreByte) {
  EXPECT_EQ((Bytes{0xAB, 0xC0}), Decoded("ABC", 2));
}

TEST(HexDecodeTest, EmptyTextOrMarkerOnlyDecodesToZeros) {
  EXPECT_EQ((Bytes{0, 0}), Decoded("", 2));
  EXPECT_EQ((Bytes{0, 0}), Decoded("0x", 2));
}

TEST(HexDecodeTest, TheMarkerCountsTowardTheLength) {
  Bytes small = Decoded("0x01ab", 2, 0);
  EXPECT_EQ((Bytes{0xEE, 0xEE}), small);
  EXPECT_EQ((Bytes{0x01, 0xAB, 0x00}), Decoded("0x01ab", 3));
  EXPECT_EQ((Bytes{0x01, 0xAB, 0x00}), Decoded("0X01ab", 3));
  EXPECT_EQ((Bytes{0xEE, 0xEE}), Decoded("12345", 2, 0));
}

TEST(HexDecodeTest, DigitsStartAfterTheFirstMarkerAnywhere) {
  // "0x" is looked for before "0X", wherever it stands.
  EXPECT_EQ((Bytes{0x12, 0, 0, 0}), Decoded("ab0x12", 4));
  EXPECT_EQ((Bytes{0x34, 0, 0, 0}), Decoded("0X120x34", 4));
}

TEST(HexDecodeTest, ANonDigitStopsWithTheBytesSoFar) {
  EXPECT_EQ((Bytes{0x12, 0x00}), Decoded("12G4", 2, 0));
  EXPECT_EQ((Bytes{0x12, 0x30}), Decoded("123 ", 2, 0));
}

TEST(HexDecodeTest, MissingArguments) {
  uint8_t out[2] = {0xEE, 0xEE};
  EXPECT_EQ(0, HexDecode(nullptr, out, 2));
  EXPECT_EQ(0, HexDecode("12", nullptr, 2));
  EXPECT_EQ(0xEE, out[0]);
}

}  // namespace
}  // namespace pelok

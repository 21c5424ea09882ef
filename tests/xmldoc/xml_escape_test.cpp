// The escapes of element names and texts: what they write for the usual cases, and any bytes
// written and read back unchanged.
#include "xmldoc/xml_escape.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "xmldoc/xml_name.h"

namespace pelok {
namespace {

std::string Encoded(const std::string& name) {
  std::string out;
  AppendEncodedName(name.c_str(), &out);
  return out;
}

std::string EscapedText(const std::string& text) {
  std::string out;
  AppendEscapedText(text.c_str(), &out);
  return out;
}

TEST(XmlEscapeTest, XmlNamesWithoutColonsAreWrittenAsTheyAre) {
  for (const char* name : {"port", "_", "a-b.c1", "pelok_rootpath", "_x", "_x12", "_xABCG_",
                           "\xC3\xA9t\xC3\xA9", "\xE7\x9B\xAE\xE5\xBD\x95", "x_x00e9_"}) {
    EXPECT_EQ(name, Encoded(name));
    EXPECT_FALSE(HoldsEscape(name)) << name;
  }
}

TEST(XmlEscapeTest, OtherNamesAreEscapedCharacterByCharacter) {
  EXPECT_EQ("Recent_x0020_File_x0020_1", Encoded("Recent File 1"));
  EXPECT_EQ("_x0031_st", Encoded("1st"));
  EXPECT_EQ("_x002D_x", Encoded("-x"));
  EXPECT_EQ("a-1", Encoded("a-1")) << "a digit or dash after the first character is a name's";
  EXPECT_EQ("na_x003A_me", Encoded("na:me"));
  EXPECT_EQ("_x002F_lead", Encoded("/lead"));
  EXPECT_EQ("_x0001_", Encoded("\x01"));
  EXPECT_EQ("_xDCB0_A", Encoded("\xB0\x41")) << "a byte that is no UTF-8";
  EXPECT_EQ("_xDCC3_", Encoded("\xC3")) << "a cut UTF-8 sequence";
  EXPECT_EQ("_x005F_x0041_", Encoded("_x0041_")) << "an escape's look is escaped itself";
  EXPECT_EQ("_x005F_x00411234_", Encoded("_x00411234_"));
  EXPECT_EQ("_x000F0000_", Encoded("\xF3\xB0\x80\x80")) << "U+F0000 is no name character";
}

TEST(XmlEscapeTest, TextsNeedEscapesOnlyForWhatXmlCannotHold) {
  EXPECT_FALSE(TextNeedsEscapes("plain _x0041_ text\t\r\n\xC3\xA9"));
  EXPECT_TRUE(TextNeedsEscapes("\x01"));
  EXPECT_TRUE(TextNeedsEscapes("\x7F\xB0\x41"));
  EXPECT_TRUE(TextNeedsEscapes("\xEF\xBF\xBE")) << "U+FFFE is no character";
  EXPECT_EQ("a_x0001_b_x005F_x0041_\t", EscapedText("a\x01"
                                                    "b_x0041_\t"));
  EXPECT_EQ("_xDCFF_ \x7F", EscapedText("\xFF \x7F")) << "DEL is an XML character";
}

TEST(XmlEscapeTest, WhatLooksLikeAnEscapeButIsNoneIsKept) {
  EXPECT_EQ("_x0000_", Unescape("_x0000_"));
  EXPECT_EQ("_xD800_", Unescape("_xD800_"));
  EXPECT_EQ("_x00e9_", Unescape("_x00e9_")) << "lower-case digits are no escape";
  EXPECT_EQ("_x0041", Unescape("_x0041"));
  EXPECT_EQ("_x00110000_", Unescape("_x00110000_"));
  EXPECT_EQ("A", Unescape("_x0041_"));
  EXPECT_EQ("\xF0\x9F\x98\x80", Unescape("_x0001F600_"));
}

TEST(XmlEscapeTest, AnyBytesComeBackAndEveryNameIsAnXmlName) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(1 + random() % 12, ' ');
    for (char& c : bytes) {
      // Underscores, "x" and hex digits often, so that escape look-alikes come up.
      const char kTricky[] = "_x0AF:";
      c = random() % 3 == 0 ? kTricky[random() % 6] : static_cast<char>(1 + random() % 255);
    }
    const std::string name = Encoded(bytes);
    ASSERT_EQ(1, IsXmlName(name.c_str())) << name;
    ASSERT_EQ(std::string::npos, name.find(':')) << name;
    ASSERT_EQ(bytes, Unescape(name.c_str())) << name;
    const std::string text = EscapedText(bytes);
    ASSERT_FALSE(TextNeedsEscapes(text.c_str())) << text;
    ASSERT_EQ(bytes, Unescape(text.c_str())) << text;
  }
}

}  // namespace
}  // namespace pelok

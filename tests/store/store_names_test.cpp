// Names of any bytes in stored keys, values and sub-keys kept apart, and sizes checked both ways:
// at SetValue, and where a file's size attribute disagrees with its text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/store_component_fixture.h"
#include "tests/support/strict_xml.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::StoreComponentTest;

class StoreNamesTest : public StoreComponentTest {
 protected:
  int SetText(const char* key, const char* name, const std::string& text) {
    return store_->SetValue(key, name, 1, text.c_str(), static_cast<unsigned>(text.size() + 1));
  }
  // The text of a value, or "<none>" when the query fails with a buffer of 512 bytes.
  std::string Text(const char* key, const char* name) {
    char buffer[512] = {};
    int type = 0;
    unsigned size = sizeof(buffer);
    if (!store_->QueryValue(key, name, &type, buffer, &size)) return "<none>";
    return buffer;
  }
  std::vector<std::string> ValueNames(const char* key) {
    std::vector<std::string> names;
    char name[260];
    for (int i = 1; store_->GetValueName(key, i, name, sizeof(name)); ++i) names.push_back(name);
    return names;
  }
  void Reopen() {
    CloseStore();
    store_ = static_cast<IRegisterStore*>(host_.Create(component_id::kXmlRegisterStore));
    ASSERT_NE(nullptr, store_);
    ASSERT_EQ(1, Open());
  }
  // Replaces the store file with a store of one key, share/app, holding values.
  void WriteStore(const std::string& values) {
    CloseStore();
    ASSERT_TRUE(
        test::WriteFileBytes(path_, "<?xml version=\"1.0\"?>\n<processregister><share><app>" +
                                        values + "</app></share></processregister>\n"));
    store_ = static_cast<IRegisterStore*>(host_.Create(component_id::kXmlRegisterStore));
    ASSERT_NE(nullptr, store_);
    ASSERT_EQ(1, Open());
  }
};

const std::vector<std::string>& OddNames() {
  static const std::vector<std::string> names = {
      "Recent File 1", "1st",       "-x",       ".x",       "a<b&c>\"d'",
      "na:me",         "tab\there", "\x01\x1f", "\xB0\x41", "\xB0\x61",
      "\xFF\xFE",      "_x0041_",   "_x00e9_",  "a/b",      "\xC3\xA9t\xC3\xA9",
      "\xEF\xBF\xBE",  "x_xD800_",  "\x7F"};
  return names;
}

TEST_F(StoreNamesTest, AnyNameIsStoredFoundAndEnumeratedAcrossRestarts) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/my app"));
  for (const std::string& name : OddNames()) {
    ASSERT_EQ(1, SetText("share/my app", name.c_str(), "v " + name)) << name;
  }
  ASSERT_EQ(1, store_->Save());
#if !defined(_WIN32)
  EXPECT_TRUE(test::IsStrictXml(path_));
#endif
  Reopen();
  EXPECT_EQ(OddNames(), ValueNames("share/my app"));
  for (const std::string& name : OddNames()) {
    EXPECT_EQ(1, store_->HasValue("share/my app", name.c_str())) << name;
    EXPECT_EQ("v " + name, Text("share/my app", name.c_str())) << name;
  }
}

TEST_F(StoreNamesTest, KeyPartsOfAnyBytesAreElementsOfTheirOwn) {
  ASSERT_EQ(1, Open());
  for (const char* key :
       {"share/1abc/\xB0\x41", "share//lead", "share/a b/c:d", "share/\xB0\x61"}) {
    ASSERT_EQ(1, store_->CreateKeyPath(key)) << key;
    ASSERT_EQ(1, SetText(key, "v", key)) << key;
  }
  ASSERT_EQ(1, store_->Save());
#if !defined(_WIN32)
  EXPECT_TRUE(test::IsStrictXml(path_));
#endif
  Reopen();
  for (const char* key :
       {"share/1abc/\xB0\x41", "share//lead", "share/a b/c:d", "share/\xB0\x61"}) {
    EXPECT_EQ(key, Text(key, "v")) << key;
  }
  char name[260];
  ASSERT_EQ(1, store_->GetChildName("share", 1, name, sizeof(name)));
  EXPECT_STREQ("1abc", name);
  ASSERT_EQ(1, store_->GetChildName("share", 2, name, sizeof(name)));
  EXPECT_STREQ("/lead", name);
}

TEST_F(StoreNamesTest, XmlNamesAreWrittenAsTheyAreAndOthersEscaped) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  ASSERT_EQ(1, SetNumber("share/app", "pelok_rootpath.x-1", 1));
  ASSERT_EQ(1, SetNumber("share/app", "\xC3\xA9t\xC3\xA9", 2));
  ASSERT_EQ(1, SetNumber("share/app", "my value", 3));
  ASSERT_EQ(1, SetNumber("share/app", "na:me", 4));
  ASSERT_EQ(1, SetNumber("share/app", "\xB0\x41", 5));
  ASSERT_EQ(1, SetNumber("share/app", "_x0041_", 6));
  // Closed, the store file alone holds everything.
  CloseStore();
  const std::string file = FileBytes();
  EXPECT_NE(std::string::npos, file.find("<pelok_rootpath.x-1 type=\"2\" size=\"4\">1<"));
  EXPECT_NE(std::string::npos, file.find("<\xC3\xA9t\xC3\xA9 type="));
  EXPECT_NE(std::string::npos, file.find("<my_x0020_value type="));
  EXPECT_NE(std::string::npos, file.find("<na_x003A_me type="));
  EXPECT_NE(std::string::npos, file.find("<_xDCB0_A type="));
  EXPECT_NE(std::string::npos, file.find("<_x005F_x0041_ type="));
}

TEST_F(StoreNamesTest, TextsOfAnyBytesReadBackAndKeepTheFileStrict) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  const std::vector<std::string> texts = {"\x01\x02 control\x1f", "\xB0\x41 gbk",  "\xFF",
                                          "_x0041_ and \x01",     "plain _x0041_", "cr\r\nlf\r"};
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_EQ(1, SetText("share/app", ("t" + std::to_string(i)).c_str(), texts[i]));
  }
  CloseStore();
#if !defined(_WIN32)
  EXPECT_TRUE(test::IsStrictXml(path_));
#endif
  // A text XML can hold is written as it is, whatever it looks like.
  EXPECT_NE(std::string::npos, FileBytes().find(">plain _x0041_<"));
  store_ = static_cast<IRegisterStore*>(host_.Create(component_id::kXmlRegisterStore));
  ASSERT_NE(nullptr, store_);
  ASSERT_EQ(1, Open());
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(texts[i], Text("share/app", ("t" + std::to_string(i)).c_str())) << i;
  }
}

TEST_F(StoreNamesTest, ValueOperationsNeverTouchASubKeyOfTheirName) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app/same"));
  ASSERT_EQ(1, SetNumber("share/app/same", "inner", 7));
  EXPECT_EQ(0, store_->HasValue("share/app", "same"));
  EXPECT_EQ(0, store_->DeleteValue("share/app", "same"));
  EXPECT_EQ(0, SetNumber("share/app", "same", 1));
  int type = -1;
  uint32_t number = 0;
  unsigned size = 4;
  EXPECT_EQ(0, store_->QueryValue("share/app", "same", &type, &number, &size));
  EXPECT_EQ(-1, type);
  size = 4;
  ASSERT_EQ(1, store_->QueryValue("share/app/same", "inner", &type, &number, &size));
  EXPECT_EQ(7u, number);
  EXPECT_TRUE(ValueNames("share/app").empty());
}

TEST_F(StoreNamesTest, KeyPathsNeverEnterAValueOfTheirName) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  ASSERT_EQ(1, SetNumber("share/app", "port", 80));
  EXPECT_EQ(0, store_->CreateKeyPath("share/app/port"));
  EXPECT_EQ(0, store_->CreateKeyPath("share/app/port/deeper"));
  EXPECT_EQ(0, SetNumber("share/app/port", "x", 1));
  EXPECT_EQ(0, store_->DeleteKey("share/app/port"));
  int type = 0;
  uint32_t number = 0;
  unsigned size = 4;
  ASSERT_EQ(1, store_->QueryValue("share/app", "port", &type, &number, &size));
  EXPECT_EQ(80u, number);
}

TEST_F(StoreNamesTest, NamesAndSizesAreCheckedAtTheDoor) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(1, SetNumber("share/app", std::string(259, 'n').c_str(), 1));
  EXPECT_EQ(0, SetNumber("share/app", std::string(260, 'n').c_str(), 1));
  EXPECT_EQ(0, store_->SetValue("share/app", "huge", 1, "hello", 0x7FFFFFFFu));
  EXPECT_EQ(0, store_->SetValue("share/app", "huge", 3, "hello", 0x40000000u));
  EXPECT_EQ(0, store_->HasValue("share/app", "huge"));
  // Enumeration goes past every value.
  ASSERT_EQ(1, SetNumber("share/app", "after", 2));
  EXPECT_EQ(2u, ValueNames("share/app").size());
}

TEST_F(StoreNamesTest, ATextIsReadWithinTheSizeItWasGiven) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  // Four bytes and no terminator, on the heap: one byte more would be a read past the block.
  std::unique_ptr<char[]> four(new char[4]{'a', 'b', 'c', 'd'});
  ASSERT_EQ(1, store_->SetValue("share/app", "four", 1, four.get(), 4));
  char out[8] = {};
  int type = 0;
  unsigned size = sizeof(out);
  ASSERT_EQ(1, store_->QueryValue("share/app", "four", &type, out, &size));
  EXPECT_STREQ("abcd", out);
  EXPECT_EQ(5u, size) << "the text and its terminator";
  // A writer's whole buffer as the size is kept.
  ASSERT_EQ(1, store_->SetValue("share/app", "roomy", 1, "hi\0padding", 11));
  size = 4;
  EXPECT_EQ(0, store_->QueryValue("share/app", "roomy", &type, out, &size));
  EXPECT_EQ(11u, size);
}

TEST_F(StoreNamesTest, ATextLongerThanItsSizeTellsTheSizeARetryNeeds) {
  WriteStore("<v type=\"1\" size=\"1\">hello world</v>");
  char out[64] = {};
  int type = 0;
  unsigned size = 1;
  EXPECT_EQ(0, store_->QueryValue("share/app", "v", &type, out, &size));
  EXPECT_EQ(12u, size);
  ASSERT_EQ(1, store_->QueryValue("share/app", "v", &type, out, &size));
  EXPECT_STREQ("hello world", out);
  EXPECT_EQ(12u, size);
  size = sizeof(out);
  ASSERT_EQ(1, store_->QueryValue("share/app", "v", &type, out, &size));
  EXPECT_EQ(12u, size) << "never the 1 of the attribute";
}

TEST_F(StoreNamesTest, SizesThatAreNoSizesGiveWayToTheText) {
  WriteStore(
      "<neg type=\"1\" size=\"-5\">hello</neg><big type=\"1\" size=\"2147483647\">hi</big>"
      "<zero type=\"1\" size=\"0\">x</zero><bomb type=\"3\" size=\"100000000\">0A0B</bomb>"
      "<num type=\"2\" size=\"-1\">7</num>");
  char out[16] = {};
  int type = 0;
  unsigned size = sizeof(out);
  ASSERT_EQ(1, store_->QueryValue("share/app", "neg", &type, out, &size));
  EXPECT_EQ(6u, size);
  EXPECT_STREQ("hello", out);
  size = sizeof(out);
  ASSERT_EQ(1, store_->QueryValue("share/app", "big", &type, out, &size));
  EXPECT_EQ(3u, size);
  size = sizeof(out);
  ASSERT_EQ(1, store_->QueryValue("share/app", "zero", &type, out, &size));
  EXPECT_EQ(2u, size);
  // A binary value's size is half its digits, whatever the attribute claims.
  unsigned char bytes[2] = {};
  size = sizeof(bytes);
  ASSERT_EQ(1, store_->QueryValue("share/app", "bomb", &type, bytes, &size));
  EXPECT_EQ(2u, size);
  EXPECT_EQ(0x0A, bytes[0]);
  EXPECT_EQ(0x0B, bytes[1]);
  uint32_t number = 0;
  size = 4;
  ASSERT_EQ(1, store_->QueryValue("share/app", "num", &type, &number, &size));
  EXPECT_EQ(7u, number);
  EXPECT_EQ(4u, size);
}

TEST_F(StoreNamesTest, BinaryDigitsThatDisagreeWithTheSizeAreAnsweredByTheDigits) {
  WriteStore("<long type=\"3\" size=\"1\">0A0B0C</long><odd type=\"3\" size=\"2\">0A0</odd>");
  unsigned char bytes[4] = {};
  int type = 0;
  unsigned size = 1;
  EXPECT_EQ(0, store_->QueryValue("share/app", "long", &type, bytes, &size));
  EXPECT_EQ(3u, size);
  ASSERT_EQ(1, store_->QueryValue("share/app", "long", &type, bytes, &size));
  EXPECT_EQ(0x0C, bytes[2]);
  size = sizeof(bytes);
  EXPECT_EQ(0, store_->QueryValue("share/app", "odd", &type, bytes, &size));
}

}  // namespace
}  // namespace pelok

// A document holds element names of any bytes and gives them back exactly after a save and a
// load, while the file stays strict XML; XML names, non-ASCII ones included, are kept exactly.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/strict_xml.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentElementNameTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

TEST_F(XmlDocumentElementNameTest, NamesOfAnyBytesAreKeptAndTheFileStaysStrict) {
  const std::vector<std::string> names = {
      "/pelok", "a/b",      "1abc",     "-a",           ".a",       "a b",  "a\tb",
      "a<b",    "a>b",      "a&b",      "a\"b",         "a'b",      "a=b",  "a?b",
      "\x01",   "a\x7f",    "\xb4\xb4", "\xc0\xaf",     "\xed\xa0\x80", "\xe2\x80", "a\xff",
      "ns:name", "_x0041_", "_x0041",   "_x00411234_",  "_xD800_",  "_x",   "\xef\xbf\xbf",
      "\xf3\xb0\x80\x80"};  // U+F0000, a private-use character that is no name character
  for (const std::string& name : names) {
    ASSERT_NE(0, document_->AddElem(name.c_str(), "", 0)) << "'" << name << "'";
  }
  ASSERT_NE(0, document_->Save(path_.c_str()));
#if !defined(_WIN32)
  EXPECT_TRUE(test::IsStrictXml(path_));
#endif

  IXmlDocument* reader = NewDocument();
  ASSERT_TRUE(WalkTo(reader, path_, {}));
  EXPECT_EQ(names, ChildNames(reader));
  for (const std::string& name : names) {
    EXPECT_TRUE(WalkTo(reader, path_, {name})) << "'" << name << "'";
  }
}

TEST_F(XmlDocumentElementNameTest, TheEmptyNameIsNoName) {
  EXPECT_EQ(0, document_->AddElem("", "", 0));
  EXPECT_EQ(0, document_->AddElem(nullptr, "", 0));
  EXPECT_EQ("processregister", TagName(document_)) << "the position did not move";
}

TEST_F(XmlDocumentElementNameTest, XmlNamesAreKeptExactly) {
  const std::vector<std::string> valid = {"a",
                                          "_",
                                          "Pelok",
                                          "pelok_rootpath",
                                          "a-b.c",
                                          "x1",
                                          "ns:name",
                                          "xmlish",
                                          "\xc3\xa9t\xc3\xa9",         // été
                                          "\xe7\x9b\xae\xe5\xbd\x95",  // 目录
                                          "a\xc2\xb7"
                                          "b"};  // a·b
  for (const std::string& name : valid) {
    EXPECT_NE(0, document_->AddElem(name.c_str(), "", 0)) << "'" << name << "'";
  }
  ASSERT_NE(0, document_->Save(path_.c_str()));

  IXmlDocument* reader = NewDocument();
  ASSERT_TRUE(WalkTo(reader, path_, {}));
  EXPECT_EQ(valid, ChildNames(reader));
  for (const std::string& name : valid) {
    EXPECT_TRUE(WalkTo(reader, path_, {name})) << "'" << name << "'";
  }
}

}  // namespace
}  // namespace test
}  // namespace pelok

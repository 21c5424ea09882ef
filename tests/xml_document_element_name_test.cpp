// A document never holds an element name that would not load back: names that are not XML
// names are refused and leave the document unchanged; XML names, non-ASCII ones included, are
// kept exactly.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/xml_document_fixture.h"

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

TEST_F(XmlDocumentElementNameTest, InvalidNamesAreRefusedAndTheFileStillLoads) {
  const std::vector<std::string> invalid = {
      "",     "/pelok", "a/b",      "1abc",     "-a",           ".a",       "a b",  "a\tb",
      "a<b",  "a>b",    "a&b",      "a\"b",     "a'b",          "a=b",      "a?b",  "a!b",
      "\x01", "a\x7f",  "\xb4\xb4", "\xc0\xaf", "\xed\xa0\x80", "\xe2\x80", "a\xff"};
  for (const std::string& name : invalid) {
    EXPECT_EQ(0, document_->AddElem(name.c_str(), "", 0)) << "'" << name << "'";
  }
  EXPECT_EQ(0, document_->AddElem(nullptr, "", 0));
  EXPECT_EQ("processregister", TagName(document_)) << "the position did not move";
  ASSERT_NE(0, document_->Save(path_.c_str()));

  IXmlDocument* reader = NewDocument();
  ASSERT_TRUE(WalkTo(reader, path_, {}));
  EXPECT_EQ(0, reader->FindElem(nullptr)) << "nothing was added";
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

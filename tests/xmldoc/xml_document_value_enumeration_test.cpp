// GetChildNameByIndex counts, from 1, only the child elements of the level that carry a "type"
// attribute, so that enumerating a key lists its values and not its sub-keys.
#include <string>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentValueEnumerationTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
    ASSERT_NE(0, document_->AddElem("key", "", 0));
    ASSERT_NE(0, document_->IntoElem());
    // Sub-keys and values mixed, with a value inside a sub-key that must not count.
    AddValue("alpha");
    ASSERT_NE(0, document_->AddElem("subkey", "", 0));
    ASSERT_NE(0, document_->IntoElem());
    AddValue("inner");
    ASSERT_NE(0, document_->OutOfElem());
    AddValue("beta");
    ASSERT_NE(0, document_->AddElem("other_subkey", "", 0));
    AddValue("gamma");
    ASSERT_NE(0, document_->Save(path_.c_str()));
  }

  void AddValue(const char* name) {
    ASSERT_NE(0, document_->AddElem(name, "", 0));
    ASSERT_NE(0, document_->SetAttrib("type", 1));
    ASSERT_NE(0, document_->SetAttrib("size", 1));
  }

  // The walk of the register store's GetValueName: to the key, IntoElem, then the index.
  std::string ValueName(IXmlDocument* document, int index) {
    if (!WalkTo(document, path_, {"key"}) || document->IntoElem() == 0) return "<walk failed>";
    return ChildNameByIndex(document, index);
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

TEST_F(XmlDocumentValueEnumerationTest, OnlyValuesCountFromOne) {
  IXmlDocument* reader = NewDocument();
  EXPECT_EQ("alpha", ValueName(reader, 1));
  EXPECT_EQ("beta", ValueName(reader, 2));
  EXPECT_EQ("gamma", ValueName(reader, 3));
  EXPECT_EQ("<failed>", ValueName(reader, 4));
  EXPECT_EQ("<failed>", ValueName(reader, 0));
  EXPECT_EQ("<failed>", ValueName(reader, -1));
  EXPECT_EQ("beta", ValueName(reader, 2)) << "asking backwards";
  EXPECT_EQ("alpha", ValueName(reader, 1));
  ASSERT_TRUE(WalkTo(reader, path_, {"key", "subkey"}));
  EXPECT_EQ("inner", ChildNameByIndex(reader, 1));
  ASSERT_TRUE(WalkTo(reader, path_, {"key", "other_subkey"}));
  EXPECT_EQ("<failed>", ChildNameByIndex(reader, 1)) << "a key without values";
}

TEST_F(XmlDocumentValueEnumerationTest, EditsBetweenCallsAreSeen) {
  EXPECT_EQ("beta", ValueName(document_, 2));
  // Removing alpha moves every later value down by one.
  ASSERT_TRUE(WalkTo(document_, path_, {"key"}));
  ASSERT_NE(0, document_->FindElem("alpha"));
  ASSERT_NE(0, document_->RemoveElem());
  EXPECT_EQ("gamma", ValueName(document_, 2));
  EXPECT_EQ("<failed>", ValueName(document_, 3));

  // A sub-key that gets a type starts to count.
  ASSERT_TRUE(WalkTo(document_, path_, {"key", "other_subkey"}));
  ASSERT_NE(0, document_->SetAttrib("type", 2));
  EXPECT_EQ("other_subkey", ValueName(document_, 2));
  EXPECT_EQ("gamma", ValueName(document_, 3));

  // A value added at the end.
  ASSERT_TRUE(WalkTo(document_, path_, {"key"}));
  AddValue("delta");
  EXPECT_EQ("delta", ValueName(document_, 4));
}

TEST_F(XmlDocumentValueEnumerationTest, EnumeratingManyValuesInOrderListsEachOnce) {
  ASSERT_TRUE(WalkTo(document_, path_, {"key"}));
  ASSERT_NE(0, document_->FindElem("gamma"));
  const int kMore = 5000;
  for (int i = 0; i < kMore; ++i) {
    AddValue(("v" + std::to_string(i)).c_str());
  }
  for (int index = 1; index <= 3 + kMore; ++index) {
    const std::string expected = index == 1   ? "alpha"
                                 : index == 2 ? "beta"
                                 : index == 3 ? "gamma"
                                              : "v" + std::to_string(index - 4);
    ASSERT_EQ(expected, ValueName(document_, index)) << index;
  }
  EXPECT_EQ("<failed>", ValueName(document_, 4 + kMore));
}

}  // namespace
}  // namespace test
}  // namespace pelok

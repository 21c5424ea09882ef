// Moving through a document and editing it the way the register store does: the walk from the
// top to a key, adding the missing parts of a key path, setting, finding and removing values
// and keys; and the position rules that those sequences rely on.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

using Names = std::vector<std::string>;

class XmlDocumentNavigationTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
  }

  // The register store's CreateKeyPath: every missing part is added, then the file is saved.
  bool CreateKeyPath(const Names& parts) {
    document_->Load(path_.c_str());
    document_->ResetPos();
    bool made = document_->FindElem("processregister") != 0 && document_->IntoElem() != 0;
    for (const std::string& part : parts) {
      if (!made) break;
      if (document_->FindElem(part.c_str()) != 0) {
        made = document_->IntoElem() != 0;
      } else {
        made = document_->AddElem(part.c_str(), "", 0) != 0 && document_->IntoElem() != 0;
      }
    }
    document_->EndEdit();
    document_->Save(path_.c_str());
    return made;
  }

  // The register store's SetValue of a text: find the value in the key or add it.
  bool SetText(const Names& key, const char* name, const char* text) {
    if (!WalkTo(document_, path_, key) || document_->IntoElem() == 0) return false;
    if (document_->FindElem(name) == 0 && document_->AddElem(name, "", 0) == 0) return false;
    return document_->SetAttrib("type", 1) != 0 && document_->SetAttrib("size", 7) != 0 &&
           document_->SetData(text) != 0;
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

TEST_F(XmlDocumentNavigationTest, CreateKeyPathAddsTheMissingPartsOnceAndTheWalkFindsThem) {
  EXPECT_FALSE(WalkTo(document_, path_, {"pelok"})) << "a new store holds no key";
  ASSERT_TRUE(CreateKeyPath({"pelok", "a", "b"}));
  ASSERT_TRUE(CreateKeyPath({"pelok", "a", "b"}));
  ASSERT_TRUE(CreateKeyPath({"pelok", "c"}));

  IXmlDocument* reader = NewDocument();
  ASSERT_TRUE(WalkTo(reader, path_, {"pelok", "a", "b"}));
  EXPECT_EQ("b", TagName(reader));
  EXPECT_FALSE(WalkTo(reader, path_, {"pelok", "b"}));
  ASSERT_TRUE(WalkTo(reader, path_, {}));
  EXPECT_EQ(Names({"pelok"}), ChildNames(reader));
  ASSERT_TRUE(WalkTo(reader, path_, {"pelok"}));
  EXPECT_EQ(Names({"a", "c"}), ChildNames(reader));
  ASSERT_TRUE(WalkTo(reader, path_, {"pelok", "a"}));
  EXPECT_EQ(Names({"b"}), ChildNames(reader));
}

TEST_F(XmlDocumentNavigationTest, SettingAValueAgainReplacesItInTheSameElement) {
  ASSERT_TRUE(CreateKeyPath({"share", "app"}));
  ASSERT_TRUE(SetText({"share", "app"}, "greeting", "hello"));
  ASSERT_TRUE(SetText({"share", "app"}, "greeting", "again"));

  ASSERT_TRUE(WalkTo(document_, path_, {"share", "app"}));
  EXPECT_EQ(Names({"greeting"}), ChildNames(document_));
  ASSERT_TRUE(WalkTo(document_, path_, {"share", "app"}));
  ASSERT_NE(0, document_->IntoElem());
  ASSERT_NE(0, document_->FindElem("greeting"));
  EXPECT_EQ("1", Attrib(document_, "type"));
  EXPECT_EQ("7", Attrib(document_, "size"));
  EXPECT_EQ("again", Data(document_));
}

TEST_F(XmlDocumentNavigationTest, FindElemStartsAtTheFirstChildAndMovesOnInDocumentOrder) {
  for (const char* name : {"a", "b", "a", "c"}) ASSERT_NE(0, document_->AddElem(name, "", 0));
  ASSERT_NE(0, document_->SetData("last"));

  ASSERT_TRUE(WalkTo(document_, path_, {}));
  ASSERT_NE(0, document_->FindElem("a"));
  ASSERT_NE(0, document_->SetData("first a"));
  ASSERT_NE(0, document_->FindElem("a"));
  EXPECT_EQ("", Data(document_)) << "the second a";
  EXPECT_EQ(0, document_->FindElem("a"));
  EXPECT_EQ("a", TagName(document_)) << "a failed find keeps the position";
  ASSERT_NE(0, document_->FindElem(nullptr));
  EXPECT_EQ("c", TagName(document_));
  EXPECT_EQ(0, document_->FindElem(nullptr));

  ASSERT_NE(0, document_->OutOfElem());
  EXPECT_EQ("processregister", TagName(document_));
  ASSERT_NE(0, document_->IntoElem());
  ASSERT_NE(0, document_->FindElem("b"));
  EXPECT_EQ(0, document_->FindElem("b"));
  ASSERT_NE(0, document_->FindElem("c")) << "a find by name goes on after the current element";
  EXPECT_EQ("last", Data(document_));
  EXPECT_EQ(0, document_->FindElem("nothing"));
}

TEST_F(XmlDocumentNavigationTest, AnEnteredElementStaysCurrentUntilTheNextFindOrAdd) {
  ASSERT_TRUE(CreateKeyPath({"root", "key"}));
  ASSERT_TRUE(WalkTo(document_, path_, {"root", "key"}));
  EXPECT_EQ("key", TagName(document_));
  EXPECT_NE(0, document_->IntoElem()) << "entering the level's own element again";
  EXPECT_EQ("key", TagName(document_));
  ASSERT_NE(0, document_->AddElem("value", "", 0));
  EXPECT_EQ("value", TagName(document_));

  document_->ResetPos();
  EXPECT_EQ("<failed>", TagName(document_)) << "the top of the document is no element";
  EXPECT_EQ(0, document_->IntoElem());
  EXPECT_EQ(0, document_->OutOfElem());
  EXPECT_EQ(0, document_->RemoveElem());
  EXPECT_EQ(0, document_->SetData("x"));
  EXPECT_EQ(0, document_->SetAttrib("type", 1));
}

TEST_F(XmlDocumentNavigationTest, OutOfElemMakesTheLevelCurrentAndItsParentTheLevel) {
  ASSERT_TRUE(CreateKeyPath({"a", "inner"}));
  ASSERT_TRUE(CreateKeyPath({"b"}));
  ASSERT_TRUE(WalkTo(document_, path_, {"a", "inner"}));
  ASSERT_NE(0, document_->OutOfElem());
  EXPECT_EQ("inner", TagName(document_));
  ASSERT_NE(0, document_->OutOfElem());
  EXPECT_EQ("a", TagName(document_));
  ASSERT_NE(0, document_->FindElem(nullptr));
  EXPECT_EQ("b", TagName(document_)) << "the walk goes on with the next sibling";
  ASSERT_NE(0, document_->OutOfElem());
  EXPECT_EQ("processregister", TagName(document_));
  EXPECT_EQ(0, document_->OutOfElem()) << "the top level has no element";
}

TEST_F(XmlDocumentNavigationTest, AddElemAddsAfterTheCurrentElementOrLast) {
  ASSERT_NE(0, document_->AddElem("a", "", 0));
  ASSERT_NE(0, document_->AddElem("d", "", 0));
  ASSERT_TRUE(WalkTo(document_, path_, {}));
  ASSERT_NE(0, document_->FindElem("a"));
  ASSERT_NE(0, document_->AddElem("b", "", 0));
  ASSERT_NE(0, document_->AddElem("c", "text of c", 0));
  EXPECT_EQ("text of c", Data(document_));
  ASSERT_TRUE(WalkTo(document_, path_, {}));
  ASSERT_NE(0, document_->AddElem("e", "", 0));
  ASSERT_TRUE(WalkTo(document_, path_, {}));
  EXPECT_EQ(Names({"a", "b", "c", "d", "e"}), ChildNames(document_));
}

TEST_F(XmlDocumentNavigationTest, RemovingAValueLeavesThePositionBeforeItsNextSibling) {
  for (const char* name : {"one", "two", "three"}) ASSERT_NE(0, document_->AddElem(name, "", 0));
  ASSERT_TRUE(WalkTo(document_, path_, {}));
  ASSERT_NE(0, document_->FindElem("two"));
  ASSERT_NE(0, document_->RemoveElem());
  ASSERT_NE(0, document_->FindElem(nullptr));
  EXPECT_EQ("three", TagName(document_));

  ASSERT_TRUE(WalkTo(document_, path_, {}));
  ASSERT_NE(0, document_->FindElem("one"));
  ASSERT_NE(0, document_->RemoveElem());
  ASSERT_NE(0, document_->FindElem(nullptr)) << "the first child was removed: start again";
  EXPECT_EQ("three", TagName(document_));
}

TEST_F(XmlDocumentNavigationTest, DeleteKeyRemovesTheEnteredKeyWithEverythingBelow) {
  ASSERT_TRUE(CreateKeyPath({"pelok", "gone", "deeper"}));
  ASSERT_TRUE(CreateKeyPath({"pelok", "kept"}));
  ASSERT_TRUE(SetText({"pelok", "gone"}, "value", "x"));
  ASSERT_TRUE(WalkTo(document_, path_, {"pelok", "gone"}));
  ASSERT_NE(0, document_->RemoveElem());
  ASSERT_NE(0, document_->Save(path_.c_str()));

  IXmlDocument* reader = NewDocument();
  EXPECT_FALSE(WalkTo(reader, path_, {"pelok", "gone"}));
  ASSERT_TRUE(WalkTo(reader, path_, {"pelok"}));
  EXPECT_EQ(Names({"kept"}), ChildNames(reader));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path_, &bytes));
  EXPECT_EQ(std::string::npos, bytes.find("deeper"));
  EXPECT_EQ(std::string::npos, bytes.find("value"));
}

TEST_F(XmlDocumentNavigationTest, TheDocumentElementIsNeitherRemovedNorDoubled) {
  ASSERT_TRUE(WalkTo(document_, path_, {}));
  EXPECT_EQ(0, document_->RemoveElem()) << "an empty key path reaches the document element";
  document_->ResetPos();
  EXPECT_EQ(0, document_->AddElem("second", "", 0));
  ASSERT_TRUE(WalkTo(document_, path_, {}));
  EXPECT_EQ("processregister", TagName(document_));
}

}  // namespace
}  // namespace test
}  // namespace pelok

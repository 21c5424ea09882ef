// FindElem by name answers the first child of that name in document order, and goes on to the
// next of that name, however the children were added and removed; the index behind it has to
// follow every AddElem and RemoveElem.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentNameIndexTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
  }

  // Adds an element with a text that tells it apart, after the current element.
  void Add(const char* name, const char* text) {
    ASSERT_NE(0, document_->AddElem(name, "", 0));
    ASSERT_NE(0, document_->SetData(text));
  }

  void Top() { ASSERT_TRUE(WalkTo(document_, path_, {})); }

  // The texts of the elements of that name, in the order FindElem(name) visits them.
  std::vector<std::string> Visit(const char* name) {
    std::vector<std::string> texts;
    if (!WalkTo(document_, path_, {})) return {"<walk failed>"};
    while (document_->FindElem(name) != 0) texts.push_back(Data(document_));
    return texts;
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

using Texts = std::vector<std::string>;

TEST_F(XmlDocumentNameIndexTest, AnElementAddedBeforeTheFirstOfItsNameIsFoundFirst) {
  Add("y", "y1");
  Add("x", "x1");
  Add("z", "z1");
  EXPECT_EQ(Texts({"x1"}), Visit("x")) << "builds the index of the level";

  Top();
  ASSERT_NE(0, document_->FindElem("y"));
  Add("x", "x0");  // between y1 and x1: now the first x
  EXPECT_EQ(Texts({"x0", "x1"}), Visit("x"));

  Top();
  ASSERT_NE(0, document_->FindElem("z"));
  Add("x", "x2");  // after z1: the last x
  EXPECT_EQ(Texts({"x0", "x1", "x2"}), Visit("x"));

  Top();
  ASSERT_NE(0, document_->FindElem("x"));
  ASSERT_NE(0, document_->FindElem("x"));
  Add("x", "x1b");  // right after x1, before x2
  EXPECT_EQ(Texts({"x0", "x1", "x1b", "x2"}), Visit("x"));
  Top();
  EXPECT_EQ(std::vector<std::string>({"y", "x", "x", "x", "z", "x"}), ChildNames(document_));
}

TEST_F(XmlDocumentNameIndexTest, RemovingTheFirstOfANameFindsTheNextOne) {
  Add("x", "x1");
  Add("x", "x2");
  Add("y", "y1");
  Add("x", "x3");
  EXPECT_EQ(Texts({"x1", "x2", "x3"}), Visit("x"));

  Top();
  ASSERT_NE(0, document_->FindElem("x"));
  ASSERT_NE(0, document_->RemoveElem());
  EXPECT_EQ(Texts({"x2", "x3"}), Visit("x"));
  Top();
  ASSERT_NE(0, document_->FindElem("x"));
  ASSERT_NE(0, document_->FindElem("x"));
  ASSERT_NE(0, document_->RemoveElem());
  EXPECT_EQ(Texts({"x2"}), Visit("x"));
  Top();
  ASSERT_NE(0, document_->FindElem("x"));
  ASSERT_NE(0, document_->RemoveElem());
  EXPECT_EQ(Texts({}), Visit("x"));
  EXPECT_EQ(Texts({"y1"}), Visit("y"));

  Top();
  Add("x", "new");
  EXPECT_EQ(Texts({"new"}), Visit("x"));
}

TEST_F(XmlDocumentNameIndexTest, RemovedSubtreesLeaveNoStaleEntries) {
  // Index the children of keys, remove the keys, and make new keys of the same shape with
  // children of other names: once whole blocks of the document's memory are given back, the
  // new elements tend to reuse the removed ones' addresses.
  const int kKeys = 4;
  const int kValues = 1500;
  for (int round = 0; round < 6; ++round) {
    const std::string prefix = "r" + std::to_string(round) + "_";
    Top();
    for (int k = 0; k < kKeys; ++k) {
      ASSERT_NE(0, document_->AddElem("key", "", 0));
      ASSERT_NE(0, document_->IntoElem());
      for (int v = 0; v < kValues; ++v) {
        const std::string name = prefix + std::to_string(v);
        ASSERT_NE(0, document_->AddElem(name.c_str(), "", 0));
      }
      ASSERT_NE(0, document_->OutOfElem());
    }
    Top();
    for (int k = 0; k < kKeys; ++k) {
      ASSERT_NE(0, document_->FindElem("key"));
      ASSERT_NE(0, document_->IntoElem());
      const std::string last = prefix + std::to_string(kValues - 1);
      ASSERT_NE(0, document_->FindElem(last.c_str())) << "round " << round << " key " << k;
      ASSERT_NE(0, document_->OutOfElem());
    }
    for (int k = 0; k < kKeys; ++k) {
      Top();
      ASSERT_NE(0, document_->FindElem("key"));
      ASSERT_NE(0, document_->RemoveElem());
    }
    Top();
    EXPECT_EQ(0, document_->FindElem("key"));
  }
}

TEST_F(XmlDocumentNameIndexTest, ManyChildrenAreFoundAddedAndRemovedByName) {
  const int kCount = 20000;
  for (int i = 0; i < kCount; ++i) {
    const std::string name = "value" + std::to_string(i);
    Add(name.c_str(), name.c_str());
  }
  ASSERT_NE(0, document_->Save(path_.c_str()));
  IXmlDocument* reader = NewDocument();
  for (int i = 0; i < kCount; i += 7) {
    const std::string name = "value" + std::to_string(i);
    ASSERT_TRUE(WalkTo(reader, path_, {name}));
    ASSERT_EQ(name, Data(reader));
  }
  // Remove every other one, by name, as DeleteValue does.
  for (int i = 0; i < kCount; i += 2) {
    const std::string name = "value" + std::to_string(i);
    ASSERT_TRUE(WalkTo(reader, path_, {}));
    ASSERT_NE(0, reader->FindElem(name.c_str()));
    ASSERT_NE(0, reader->RemoveElem());
  }
  for (int i = 0; i < kCount; ++i) {
    const std::string name = "value" + std::to_string(i);
    ASSERT_EQ(i % 2 == 1, WalkTo(reader, path_, {name})) << name;
  }
}

}  // namespace
}  // namespace test
}  // namespace pelok

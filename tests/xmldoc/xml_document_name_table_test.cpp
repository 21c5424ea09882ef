// FindElem by name on a level with many children, where the index keeps a table of the names:
// the same answers as on a level that is walked, in document order, through elements added
// before the first of their name, removals of the first, of a later one and of the last one,
// and removed subtrees whose tables must not outlive them.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

using Texts = std::vector<std::string>;

// More children than a level that is simply walked.
constexpr int kFillers = 100;

class XmlDocumentNameTableTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
    for (int i = 0; i < kFillers; ++i) Add(("f" + std::to_string(i)).c_str(), "filler");
    // A lookup of a name that is not there walks every child and builds the table.
    Top();
    ASSERT_EQ(0, document_->FindElem("absent"));
  }

  // Adds an element with a text that tells it apart, after the current element.
  void Add(const char* name, const char* text) {
    ASSERT_NE(0, document_->AddElem(name, "", 0));
    ASSERT_NE(0, document_->SetData(text));
  }

  void Top() { ASSERT_TRUE(WalkTo(document_, path_, {})); }

  // Makes the first element named name (and then the next ones, count in all) current.
  void Find(const char* name, int count = 1) {
    Top();
    for (int i = 0; i < count; ++i) ASSERT_NE(0, document_->FindElem(name)) << name << " " << i;
  }

  // The texts of the elements of that name, in the order FindElem(name) visits them.
  Texts Visit(const char* name) {
    Texts texts;
    if (!WalkTo(document_, path_, {})) return {"<walk failed>"};
    while (document_->FindElem(name) != 0) texts.push_back(Data(document_));
    return texts;
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

TEST_F(XmlDocumentNameTableTest, ElementsAddedAnywhereAreFoundInDocumentOrder) {
  Add("x", "x1");  // the last child
  EXPECT_EQ(Texts({"x1"}), Visit("x"));
  Find("f10");
  Add("x", "x0");  // before x1: now the first
  EXPECT_EQ(Texts({"x0", "x1"}), Visit("x"));
  Find("f50");
  Add("x", "x05");  // between the two
  EXPECT_EQ(Texts({"x0", "x05", "x1"}), Visit("x"));
  Find("x", 3);
  Add("x", "x2");  // after the last
  EXPECT_EQ(Texts({"x0", "x05", "x1", "x2"}), Visit("x"));
  Find("f0");
  Add("x", "first");  // right after the first child
  EXPECT_EQ(Texts({"first", "x0", "x05", "x1", "x2"}), Visit("x"));
}

TEST_F(XmlDocumentNameTableTest, RemovalsOfTheFirstOfALaterAndOfTheLastAreFollowed) {
  Find("f20");
  Add("x", "x1");
  Find("f60");
  Add("x", "x2");
  Find("f80");
  Add("x", "x3");
  ASSERT_EQ(Texts({"x1", "x2", "x3"}), Visit("x"));

  Find("x", 2);  // a later one
  ASSERT_NE(0, document_->RemoveElem());
  EXPECT_EQ(Texts({"x1", "x3"}), Visit("x"));
  Find("x");  // the first
  ASSERT_NE(0, document_->RemoveElem());
  EXPECT_EQ(Texts({"x3"}), Visit("x"));
  Find("x");  // the last one of its name
  ASSERT_NE(0, document_->RemoveElem());
  EXPECT_EQ(Texts({}), Visit("x"));

  Find("f5");
  Add("x", "again");
  EXPECT_EQ(Texts({"again"}), Visit("x"));
  EXPECT_EQ(Texts({"filler"}), Visit("f99"));
}

TEST_F(XmlDocumentNameTableTest, EveryNameIsFoundAfterManyRemovals) {
  for (int i = 0; i < kFillers; i += 3) {
    Find(("f" + std::to_string(i)).c_str());
    ASSERT_NE(0, document_->RemoveElem());
  }
  for (int i = 0; i < kFillers; ++i) {
    const std::string name = "f" + std::to_string(i);
    EXPECT_EQ(i % 3 == 0 ? Texts({}) : Texts({"filler"}), Visit(name.c_str())) << name;
  }
}

TEST_F(XmlDocumentNameTableTest, RemovedKeysTakeTheirTablesWithThem) {
  for (int round = 0; round < 4; ++round) {
    const std::string prefix = "r" + std::to_string(round) + "_";
    Top();
    ASSERT_NE(0, document_->AddElem("key", "", 0));
    ASSERT_NE(0, document_->IntoElem());
    for (int v = 0; v < kFillers; ++v) {
      ASSERT_NE(0, document_->AddElem((prefix + std::to_string(v)).c_str(), "", 0));
    }
    // Builds the key's table, then looks a value up through it.
    ASSERT_TRUE(WalkTo(document_, path_, {"key"}));
    ASSERT_EQ(0, document_->FindElem("absent"));
    ASSERT_TRUE(WalkTo(document_, path_, {"key", prefix + "7"}));
    // Another round's names are not there.
    const std::string older = "r" + std::to_string(round == 0 ? 1 : 0) + "_7";
    EXPECT_FALSE(WalkTo(document_, path_, {"key", older})) << "round " << round;
    Find("key");
    ASSERT_NE(0, document_->RemoveElem());
  }
}

}  // namespace
}  // namespace test
}  // namespace pelok

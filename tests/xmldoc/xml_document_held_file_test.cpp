// Load of the file that the document holds (the last one loaded or saved) keeps the document,
// with the edits made since, and brings in what was saved to the file meanwhile; Load of another
// file reads that file.
#include <string>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentHeldFileTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
    ASSERT_NE(0, document_->AddElem("unsaved", "", 0));
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

TEST_F(XmlDocumentHeldFileTest, LoadOfTheHeldFileKeepsUnsavedEditsAndResetsThePosition) {
  ASSERT_NE(0, document_->IntoElem());
  ASSERT_NE(0, document_->Load(path_.c_str()));
  EXPECT_EQ("<failed>", TagName(document_)) << "the position is at the top";
  ASSERT_TRUE(WalkTo(document_, path_, {"unsaved"}));

  IXmlDocument* reader = NewDocument();
  EXPECT_FALSE(WalkTo(reader, path_, {"unsaved"})) << "the edit is not in the file yet";
}

TEST_F(XmlDocumentHeldFileTest, LoadOfTheHeldFileBringsInWhatWasSavedMeanwhile) {
  ASSERT_TRUE(WriteFileBytes(path_, "<processregister><other/></processregister>"));
  EXPECT_TRUE(WalkTo(document_, path_, {"unsaved"})) << "the document's own edit stays";
  EXPECT_TRUE(WalkTo(document_, path_, {"other"})) << "the file's change joins it";

  // A file that does not parse at that moment changes nothing in the document.
  ASSERT_TRUE(WriteFileBytes(path_, "not xml"));
  EXPECT_TRUE(WalkTo(document_, path_, {"unsaved"}));
  EXPECT_TRUE(WalkTo(document_, path_, {"other"}));
  EXPECT_EQ(0, document_->Save(path_.c_str())) << "a file that does not parse is not overwritten";
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path_, &bytes));
  EXPECT_EQ("not xml", bytes);
}

TEST_F(XmlDocumentHeldFileTest, AnUnchangedDocumentBecomesTheFileAsItIsNow) {
  ASSERT_NE(0, document_->Save(path_.c_str()));
  ASSERT_TRUE(WriteFileBytes(path_, "<processregister><other/></processregister>"));
  EXPECT_TRUE(WalkTo(document_, path_, {"other"}));
  EXPECT_FALSE(WalkTo(document_, path_, {"unsaved"})) << "removed by the file's writer";
}

TEST_F(XmlDocumentHeldFileTest, LoadOfAnotherFileReadsIt) {
  const std::string other = dir_.Join("other.xml");
  ASSERT_TRUE(WriteFileBytes(other, "<processregister><theirs/></processregister>"));
  ASSERT_TRUE(WalkTo(document_, other, {"theirs"}));
  EXPECT_FALSE(WalkTo(document_, other, {"unsaved"}));
  // Back to the first file: its content on the disk, without the edit that was never saved.
  ASSERT_TRUE(WalkTo(document_, path_, {}));
  EXPECT_FALSE(WalkTo(document_, path_, {"unsaved"}));
}

TEST_F(XmlDocumentHeldFileTest, AfterSaveTheSavedFileIsHeld) {
  const std::string copy = dir_.Join("copy.xml");
  ASSERT_NE(0, document_->Save(copy.c_str()));
  ASSERT_TRUE(WriteFileBytes(copy, "not xml"));
  ASSERT_TRUE(WalkTo(document_, copy, {"unsaved"}));
  ASSERT_TRUE(WriteFileBytes(path_, "<processregister><fresh/></processregister>"));
  ASSERT_TRUE(WalkTo(document_, path_, {"fresh"})) << "no longer held: read again";
}

}  // namespace
}  // namespace test
}  // namespace pelok

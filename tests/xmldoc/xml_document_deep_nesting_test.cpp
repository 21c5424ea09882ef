// Deeply nested documents: the saved file grows with what the document holds, not with the
// square of its depth, and reads back the same, whitespace-only text included.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentDeepNestingTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
  }

  // Adds depth nested keys named "k" below the current level and enters the innermost.
  void Nest(int depth) {
    for (int i = 0; i < depth; ++i) {
      ASSERT_NE(0, document_->AddElem("k", "", 0)) << "level " << i;
      ASSERT_NE(0, document_->IntoElem()) << "level " << i;
    }
  }

  // A fresh document of the file, entered depth levels of "k" deep below processregister.
  IXmlDocument* ReadBack(int depth) {
    IXmlDocument* reader = NewDocument();
    if (reader == nullptr) return nullptr;
    EXPECT_NE(0, reader->Load(path_.c_str()));
    EXPECT_NE(0, reader->FindElem("processregister"));
    EXPECT_NE(0, reader->IntoElem());
    for (int i = 0; i < depth; ++i) {
      if (reader->FindElem("k") == 0) {
        ADD_FAILURE() << "no key at level " << i;
        return nullptr;
      }
      // The key alone at its level: the indentation became no element.
      EXPECT_EQ(0, reader->FindElem(nullptr)) << "a second child at level " << i;
      if (reader->IntoElem() == 0) return nullptr;
    }
    return reader;
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

// The longest run of tabs that starts a line of text.
size_t LongestIndent(const std::string& text) {
  size_t longest = 0;
  for (size_t at = 0; at < text.size();) {
    size_t tabs = 0;
    while (at + tabs < text.size() && text[at + tabs] == '\t') ++tabs;
    if (tabs > longest) longest = tabs;
    const size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return longest;
}

TEST_F(XmlDocumentDeepNestingTest, TenThousandLevelsSaveToASizeLinearInTheDepthAndLoadBack) {
  constexpr int kDepth = 10000;
  Nest(kDepth);
  ASSERT_NE(0, document_->AddElem("value", "", 0));
  ASSERT_NE(0, document_->SetAttrib("type", 1));
  ASSERT_NE(0, document_->SetData("at the bottom"));
  ASSERT_NE(0, document_->Save(path_.c_str()));

  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path_, &bytes));
  // Each level is "<k>" and "</k>" on lines of their own; a tab per level on each of them
  // would make some 100 MB.
  EXPECT_LT(bytes.size(), static_cast<size_t>(kDepth) * 80) << "bytes: " << bytes.size();
  EXPECT_EQ(32u, LongestIndent(bytes));

  IXmlDocument* reader = ReadBack(kDepth);
  ASSERT_NE(nullptr, reader);
  ASSERT_NE(0, reader->FindElem("value"));
  EXPECT_EQ("at the bottom", Data(reader));
  EXPECT_EQ("1", Attrib(reader, "type"));

  // Saved again from what was read, the file is the same byte for byte.
  const std::string copy = dir_.Join("copy.xml");
  ASSERT_NE(0, reader->Save(copy.c_str()));
  std::string copied;
  ASSERT_TRUE(ReadFileBytes(copy, &copied));
  EXPECT_TRUE(copied == bytes) << "the copy differs";
}

TEST_F(XmlDocumentDeepNestingTest, WhitespaceOnlyTextBelowTheLastIndentedLevelSurvives) {
  constexpr int kDepth = 40;  // beyond the 32 levels that are indented
  Nest(kDepth);
  // A key's own whitespace-only text beside a child element, and values of whitespace only.
  ASSERT_NE(0, document_->SetData(" \t "));
  ASSERT_NE(0, document_->AddElem("spaces", "", 0));
  ASSERT_NE(0, document_->SetData("  "));
  ASSERT_NE(0, document_->AddElem("breaks", "", 0));
  ASSERT_NE(0, document_->SetData("\n\t\n"));
  ASSERT_NE(0, document_->AddElem("k", "", 0));
  ASSERT_NE(0, document_->IntoElem());
  ASSERT_NE(0, document_->AddElem("inner", "", 0));
  ASSERT_NE(0, document_->SetData("\t"));
  ASSERT_NE(0, document_->Save(path_.c_str()));

  IXmlDocument* reader = ReadBack(kDepth);
  ASSERT_NE(nullptr, reader);
  EXPECT_EQ(" \t ", Data(reader));
  EXPECT_EQ((std::vector<std::string>{"spaces", "breaks", "k"}), ChildNames(reader));
  reader = ReadBack(kDepth);
  ASSERT_NE(nullptr, reader);
  ASSERT_NE(0, reader->FindElem("spaces"));
  EXPECT_EQ("  ", Data(reader));
  ASSERT_NE(0, reader->FindElem("breaks"));
  EXPECT_EQ("\n\t\n", Data(reader));
  ASSERT_NE(0, reader->FindElem("k"));
  ASSERT_NE(0, reader->IntoElem());
  ASSERT_NE(0, reader->FindElem("inner"));
  EXPECT_EQ("\t", Data(reader));
  EXPECT_EQ(0, reader->FindElem(nullptr));
}

}  // namespace
}  // namespace test
}  // namespace pelok

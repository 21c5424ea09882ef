// Text comes back byte for byte after a save and a load in a new document: whitespace at either
// end or only whitespace, tabs, CR and LF, the XML special characters, control characters and
// bytes 0x80 and above; and a file of UTF-8 text is XML that a strict reader reads the same.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "pugixml.hpp"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentTextRoundTripTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    IXmlDocument* writer = NewStoreDocument(path_);
    ASSERT_NE(nullptr, writer);
    writer_ = writer;
  }

  // Writes each text as the value v<i>, saves, and reads every value back in a new document.
  std::vector<std::string> RoundTrip(const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
      const std::string name = "v" + std::to_string(i);
      EXPECT_NE(0, writer_->AddElem(name.c_str(), "", 0));
      EXPECT_NE(0, writer_->SetAttrib("type", 1));
      EXPECT_NE(0, writer_->SetData(texts[i].c_str()));
    }
    EXPECT_NE(0, writer_->Save(path_.c_str()));

    IXmlDocument* reader = NewDocument();
    std::vector<std::string> read;
    for (size_t i = 0; i < texts.size(); ++i) {
      const std::string name = "v" + std::to_string(i);
      EXPECT_TRUE(WalkTo(reader, path_, {name}));
      read.push_back(Data(reader, texts[i].size() + 1));
    }
    return read;
  }

  std::string path_;
  IXmlDocument* writer_ = nullptr;
};

TEST_F(XmlDocumentTextRoundTripTest, EveryByteFromOneTo255ComesBackUnchanged) {
  std::string all;
  for (int c = 1; c <= 255; ++c) all.push_back(static_cast<char>(c));
  std::string reversed(all.rbegin(), all.rend());
  const std::vector<std::string> texts = {all, reversed, all + all};
  EXPECT_EQ(texts, RoundTrip(texts));
}

TEST_F(XmlDocumentTextRoundTripTest, WhitespaceAndLineEndsComeBackUnchanged) {
  const std::vector<std::string> texts = {
      " ",          "   ",           "\t",      "\n",     "\r",           "\r\n",      "\n\r",
      " \t\r\n ",   "  lead",        "trail  ", " both ", "a\r\nb\rc\nd", "\r\rx\r\r", "tab\tin",
      "\n\nline\n", "&amp; <a> ]]>", "\"'",     "&#13;"};
  EXPECT_EQ(texts, RoundTrip(texts));
}

TEST_F(XmlDocumentTextRoundTripTest, GbkTextComesBackUnchanged) {
  // "目录" and "创建失败" in GBK, with ASCII around and a lone lead byte at the end.
  const std::vector<std::string> texts = {"\xc4\xbf\xc2\xbc", " \xb4\xb4\xbd\xa8\xca\xa7\xb0\xdc! ",
                                          "x\x81"};
  EXPECT_EQ(texts, RoundTrip(texts));
}

TEST_F(XmlDocumentTextRoundTripTest, WhitespaceTextBesideChildElementsComesBackUnchanged) {
  const std::vector<std::string> texts = {" ", "\n\t", " \t\r\n ", " x "};
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string name = "mixed" + std::to_string(i);
    ASSERT_NE(0, writer_->AddElem(name.c_str(), "", 0));
    ASSERT_NE(0, writer_->IntoElem());
    ASSERT_NE(0, writer_->AddElem("child", "", 0));
    ASSERT_NE(0, writer_->IntoElem());
    ASSERT_NE(0, writer_->AddElem("grandchild", "", 0));
    ASSERT_NE(0, writer_->OutOfElem());
    ASSERT_NE(0, writer_->OutOfElem());
    ASSERT_NE(0, writer_->SetData(texts[i].c_str()));  // beside the child element
  }
  ASSERT_NE(0, writer_->Save(path_.c_str()));

  IXmlDocument* reader = NewDocument();
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string name = "mixed" + std::to_string(i);
    ASSERT_TRUE(WalkTo(reader, path_, {name}));
    EXPECT_EQ(texts[i], Data(reader)) << name;
    ASSERT_TRUE(WalkTo(reader, path_, {name, "child"}));
    EXPECT_EQ("", Data(reader)) << "no indentation became text";
  }
}

TEST_F(XmlDocumentTextRoundTripTest, AMegabyteTextComesBackUnchanged) {
  std::string big;
  big.reserve(1 << 20);
  for (int i = 0; big.size() < (1u << 20); ++i) big.push_back(static_cast<char>(1 + i % 255));
  const std::vector<std::string> texts = {big};
  const std::vector<std::string> read = RoundTrip(texts);
  ASSERT_EQ(1u, read.size());
  EXPECT_EQ(big.size(), read[0].size());
  EXPECT_TRUE(big == read[0]) << "the megabyte text differs";

  IXmlDocument* reader = NewDocument();
  ASSERT_TRUE(WalkTo(reader, path_, {"v0"}));
  std::vector<char> short_buf(big.size(), '#');
  EXPECT_EQ(0, reader->GetData(short_buf.data(), static_cast<int>(short_buf.size())))
      << "no room for the terminator";
  EXPECT_EQ('#', short_buf[0]);
}

TEST_F(XmlDocumentTextRoundTripTest, Utf8TextIsWellFormedXmlThatAStrictReaderReadsTheSame) {
  const std::vector<std::string> texts = {
      "a\r\nb\rc", " lead and trail ", "\t", "<&>\"'", "\xe7\x9b\xae\xe5\xbd\x95", "  ", "]]>"};
  EXPECT_EQ(texts, RoundTrip(texts));

  std::string bytes;
  ASSERT_TRUE(ReadStoreText(path_, &bytes));
  // A reader that keeps whitespace-only text; line ends are normalised as XML says.
  pugi::xml_document parsed;
  const pugi::xml_parse_result result =
      parsed.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata);
  ASSERT_TRUE(result) << result.description();
  pugi::xml_node root = parsed.document_element();
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string name = "v" + std::to_string(i);
    EXPECT_EQ(texts[i], std::string(root.child(name.c_str()).text().get())) << name;
  }
  EXPECT_EQ(std::string::npos, bytes.find('\r')) << "a CR goes out as a character reference";
}

}  // namespace
}  // namespace test
}  // namespace pelok

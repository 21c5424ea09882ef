// The store file as other programs read it: the declaration first, the document element
// "processregister", keys as nested elements, values with their "type" and "size" attributes
// and their text, read back by an ordinary parser.
#include <string>

#include "gtest/gtest.h"
#include "pugixml.hpp"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentFileFormatTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
  }

  // Adds a value element at the level and goes back to the level.
  void AddValue(const char* name, int type, int size, const char* text) {
    ASSERT_NE(0, document_->AddElem(name, "", 0));
    ASSERT_NE(0, document_->SetAttrib("type", type));
    ASSERT_NE(0, document_->SetAttrib("size", size));
    ASSERT_NE(0, document_->SetData(text));
  }

  // Parses the file as a plain XML 1.0 reader does (pugixml's defaults: line ends normalised,
  // whitespace-only text dropped).
  void ParseFile(pugi::xml_document* parsed) {
    std::string bytes;
    ASSERT_TRUE(ReadStoreText(path_, &bytes));
    const pugi::xml_parse_result result = parsed->load_buffer(
        bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_declaration | pugi::parse_pi);
    ASSERT_TRUE(result) << result.description() << " at " << result.offset << " in\n" << bytes;
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

TEST_F(XmlDocumentFileFormatTest, ANewStoreIsTheDeclarationAndAnEmptyDocumentElement) {
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path_, &bytes));
  EXPECT_EQ(0u, bytes.find("<?xml version=\"1.0\"?>")) << bytes;

  pugi::xml_document parsed;
  ParseFile(&parsed);
  pugi::xml_node declaration = parsed.first_child();
  EXPECT_EQ(pugi::node_declaration, declaration.type());
  EXPECT_STREQ("1.0", declaration.attribute("version").value());
  EXPECT_STREQ("processregister", parsed.document_element().name());
  EXPECT_FALSE(parsed.document_element().first_child());
  EXPECT_FALSE(parsed.document_element().first_attribute());
}

TEST_F(XmlDocumentFileFormatTest, KeysNestAndValuesCarryTypeSizeAndText) {
  ASSERT_NE(0, document_->AddElem("pelok", "", 0));
  ASSERT_NE(0, document_->IntoElem());
  ASSERT_NE(0, document_->AddElem("net", "", 0));
  ASSERT_NE(0, document_->IntoElem());
  AddValue("port", 2, 4, "8080");
  AddValue("host", 1, 10, "localhost");
  AddValue("blob", 3, 2, "01AB");
  ASSERT_NE(0, document_->AddElem("empty", "", 0));
  ASSERT_NE(0, document_->IntoElem());
  ASSERT_NE(0, document_->Save(path_.c_str()));

  pugi::xml_document parsed;
  ParseFile(&parsed);
  pugi::xml_node root = parsed.document_element();
  ASSERT_STREQ("processregister", root.name());
  pugi::xml_node net = root.child("pelok").child("net");
  ASSERT_TRUE(net);
  pugi::xml_node port = net.child("port");
  EXPECT_STREQ("2", port.attribute("type").value());
  EXPECT_STREQ("4", port.attribute("size").value());
  EXPECT_STREQ("8080", port.text().get());
  EXPECT_STREQ("localhost", net.child("host").text().get());
  EXPECT_STREQ("10", net.child("host").attribute("size").value());
  EXPECT_STREQ("01AB", net.child("blob").text().get());
  EXPECT_STREQ("3", net.child("blob").attribute("type").value());
  EXPECT_TRUE(net.child("empty"));
  EXPECT_FALSE(net.child("empty").first_child());

  int elements = 0;
  for (pugi::xml_node child : net.children()) elements += child.type() == pugi::node_element;
  EXPECT_EQ(4, elements);
  EXPECT_EQ(pugi::node_pcdata, port.first_child().type());
  EXPECT_FALSE(port.first_child().next_sibling()) << "a value's only child is its text";
}

TEST_F(XmlDocumentFileFormatTest, TheDeclarationStaysFirstWhateverTheOrderOfAdding) {
  const std::string other = dir_.Join("other.xml");
  ASSERT_TRUE(WriteFileBytes(other, ""));
  IXmlDocument* document = NewDocument();
  ASSERT_NE(0, document->Load(other.c_str()));
  ASSERT_NE(0, document->AddElem("processregister", "", 0));
  ASSERT_NE(0, document->AddNode(kXmlNodeProcessingInstruction, "xml version=\"1.0\""));
  ASSERT_NE(0, document->AddNode(kXmlNodeProcessingInstruction, "xml version=\"1.0\""));
  ASSERT_NE(0, document->Save(other.c_str()));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(other, &bytes));
  EXPECT_EQ(0u, bytes.find("<?xml version=\"1.0\"?>")) << bytes;
  EXPECT_EQ(bytes.rfind("<?xml"), 0u) << "one declaration: " << bytes;
}

TEST_F(XmlDocumentFileFormatTest, InstructionsThatWouldNotReadBackAreRefused) {
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, "xml version=\"1.0\""))
      << "a declaration inside an element";
  document_->ResetPos();
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, "xml version=1.0"));
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, "XML version=\"1.0\""));
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, "xml"));
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, "xml encoding=\"UTF-8\""));
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, "xml version=\"1.0\" x=\"y\""));
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, "app a?>b"));
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, "1app"));
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, ""));
  EXPECT_EQ(0, document_->AddNode(kXmlNodeProcessingInstruction, nullptr));
  EXPECT_EQ(0, document_->AddNode(32, "a comment"));
  EXPECT_NE(0, document_->AddNode(kXmlNodeProcessingInstruction, "app-setting mode=\"fast\""));
  ASSERT_NE(0, document_->Save(path_.c_str()));

  pugi::xml_document parsed;
  ParseFile(&parsed);
  int instructions = 0;
  for (pugi::xml_node node : parsed.children()) {
    if (node.type() != pugi::node_pi) continue;
    ++instructions;
    EXPECT_STREQ("app-setting", node.name());
    EXPECT_STREQ("mode=\"fast\"", node.value());
  }
  EXPECT_EQ(1, instructions);
}

}  // namespace
}  // namespace test
}  // namespace pelok

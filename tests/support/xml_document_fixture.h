// The real PelXml.dll, loaded as the framework loads it, with helpers that read a document's
// outputs into strings. Shared by the xml_document_*_test files.
#ifndef PELOK_TESTS_XML_DOCUMENT_FIXTURE_H_
#define PELOK_TESTS_XML_DOCUMENT_FIXTURE_H_

#include <string>
#include <vector>

#include "pelok/xml_document.h"
#include "gtest/gtest.h"
#include "pelok/module.h"
#include "tests/support/module_loader.h"
#include "tests/support/store_text.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {

constexpr char kDeclaration[] = "xml version=\"1.0\"";

class XmlDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadedModule(BinPath("PelXml.dll"));
    ASSERT_TRUE(module_.loaded());
    create_ = module_.Get<CreateComponentFn>("CreateComponent");
    ASSERT_NE(nullptr, create_);
  }

  void TearDown() override {
    for (IXmlDocument* document : documents_) document->Destroy(0);
    documents_.clear();
  }

  // A new document of the module, destroyed at the end of the test.
  IXmlDocument* NewDocument() {
    IComponent* component = create_(component_id::kXmlDocument, 0);
    EXPECT_NE(nullptr, component);
    if (component == nullptr) return nullptr;
    documents_.push_back(static_cast<IXmlDocument*>(component));
    return documents_.back();
  }

  // Destroys a document made by NewDocument before the end of the test.
  void DestroyDocument(IXmlDocument* document) {
    for (auto it = documents_.begin(); it != documents_.end(); ++it) {
      if (*it == document) {
        documents_.erase(it);
        document->Destroy(0);
        return;
      }
    }
  }

  // A new document holding a fresh store file at path, as the register store creates one:
  // loaded from zero bytes, the declaration, the document element, saved. The position is
  // inside the document element.
  IXmlDocument* NewStoreDocument(const std::string& path) {
    IXmlDocument* document = NewDocument();
    if (document == nullptr) return nullptr;
    EXPECT_TRUE(WriteFileBytes(path, ""));
    EXPECT_NE(0, document->Load(path.c_str()));
    EXPECT_NE(0, document->AddNode(kXmlNodeProcessingInstruction, kDeclaration));
    EXPECT_NE(0, document->AddElem("processregister", "", 0));
    EXPECT_NE(0, document->EndEdit());
    EXPECT_NE(0, document->Save(path.c_str()));
    EXPECT_NE(0, document->IntoElem());
    return document;
  }

  // Loads path and walks from the top into "processregister" and then every part in turn, as
  // the register store walks to a key. False when a step fails.
  static bool WalkTo(IXmlDocument* document, const std::string& path,
                     const std::vector<std::string>& parts) {
    const int loaded = document->Load(path.c_str());
    document->ResetPos();
    if (loaded == 0) return false;
    if (document->FindElem("processregister") == 0 || document->IntoElem() == 0) return false;
    for (const std::string& part : parts) {
      if (document->FindElem(part.c_str()) == 0 || document->IntoElem() == 0) return false;
    }
    return true;
  }

  // Outputs as strings; "<failed>" when the call returned 0.
  static std::string TagName(IXmlDocument* document) {
    char buf[260];
    return document->GetTagName(buf, sizeof(buf)) != 0 ? std::string(buf) : "<failed>";
  }
  static std::string Attrib(IXmlDocument* document, const char* name) {
    char buf[260];
    return document->GetAttrib(name, buf, sizeof(buf)) != 0 ? std::string(buf) : "<failed>";
  }
  static std::string ChildNameByIndex(IXmlDocument* document, int index) {
    char buf[260];
    return document->GetChildNameByIndex(index, buf, sizeof(buf)) != 0 ? std::string(buf)
                                                                       : "<failed>";
  }
  // The current element's text, read into a buffer of capacity bytes.
  static std::string Data(IXmlDocument* document, size_t capacity = 4096) {
    std::vector<char> buf(capacity);
    if (document->GetData(buf.data(), static_cast<int>(buf.size())) == 0) return "<failed>";
    return std::string(buf.data());
  }

  // Names of the child elements of the level, through FindElem(null); leaves the position on
  // the last one.
  static std::vector<std::string> ChildNames(IXmlDocument* document) {
    std::vector<std::string> names;
    while (document->FindElem(nullptr) != 0) names.push_back(TagName(document));
    return names;
  }

  LoadedModule module_;
  CreateComponentFn create_ = nullptr;
  TempDir dir_;

 private:
  std::vector<IXmlDocument*> documents_;
};

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_XML_DOCUMENT_FIXTURE_H_

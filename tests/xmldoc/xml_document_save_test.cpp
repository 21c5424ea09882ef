// Save replaces the file in one step through a temporary file beside it, refuses read-only
// files, and writes nothing that would not load back.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/win32_api.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentSaveTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    document_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, document_);
  }

  // The files beside the store but its journal, which stays while the document holds the store.
  std::vector<std::string> FilesInDir() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      if (entry.path().filename().string() == "store.xml.journal") continue;
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  std::string path_;
  IXmlDocument* document_ = nullptr;
};

TEST_F(XmlDocumentSaveTest, SaveReplacesTheFileAndLeavesNoTemporaryFileBehind) {
  ASSERT_NE(0, document_->AddElem("first", "", 0));
  ASSERT_NE(0, document_->Save(path_.c_str()));
  ASSERT_NE(0, document_->AddElem("second", "", 0));
  ASSERT_NE(0, document_->Save(path_.c_str()));
  EXPECT_EQ(std::vector<std::string>({"store.xml"}), FilesInDir());

  IXmlDocument* reader = NewDocument();
  EXPECT_TRUE(WalkTo(reader, path_, {"first"}));
  EXPECT_TRUE(WalkTo(reader, path_, {"second"}));
}

TEST_F(XmlDocumentSaveTest, SaveReplacesTheFileInsteadOfRewritingItInPlace) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows does not replace a file that a reader holds open";
#else
  // A reader that opened the old file keeps reading the old file whole: the new content went
  // into a new file that took the old one's place.
  std::string before;
  ASSERT_TRUE(ReadFileBytes(path_, &before));
  std::ifstream reader(path_, std::ios::binary);
  ASSERT_TRUE(reader.is_open());
  ASSERT_NE(0, document_->AddElem("added", "", 0));
  ASSERT_NE(0, document_->Save(path_.c_str()));
  const std::string seen((std::istreambuf_iterator<char>(reader)),
                         std::istreambuf_iterator<char>());
  EXPECT_EQ(before, seen);
  EXPECT_NE(std::string::npos, StoreText(path_).find("added"));
#endif
}

TEST_F(XmlDocumentSaveTest, AReadOnlyFileIsNotSaved) {
  std::string before;
  ASSERT_TRUE(ReadFileBytes(path_, &before));
  ASSERT_NE(0, document_->AddElem("change", "", 0));
  ASSERT_NE(0, SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(0, document_->Save(path_.c_str()));
  std::string after;
  ASSERT_TRUE(ReadFileBytes(path_, &after));
  EXPECT_EQ(before, after);
  EXPECT_EQ(std::vector<std::string>({"store.xml"}), FilesInDir());

  ASSERT_NE(0, SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  IXmlDocument* reader = NewDocument();
  EXPECT_TRUE(WalkTo(reader, path_, {"change"}));
}

TEST_F(XmlDocumentSaveTest, SaveFailsWhereNoFileCanBeWritten) {
  EXPECT_EQ(0, document_->Save(dir_.Join("missing_dir/store.xml").c_str()));
  EXPECT_EQ(0, document_->Save(dir_.path().c_str())) << "a directory";
  EXPECT_EQ(0, document_->Save(""));
  EXPECT_EQ(0, document_->Save(nullptr));
  EXPECT_EQ(std::vector<std::string>({"store.xml"}), FilesInDir());
}

TEST_F(XmlDocumentSaveTest, TheFirstSaveWorksWhileTheStoreHoldsTheNewFileOpen) {
  // The register store creates its file exclusively and keeps that handle open while the
  // document writes the first content into it.
  const std::string fresh = dir_.Join("fresh.xml");
  HANDLE held =
      CreateFileA(fresh.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  IXmlDocument* document = NewDocument();
  ASSERT_NE(0, document->Load(fresh.c_str()));
  ASSERT_NE(0, document->AddNode(kXmlNodeProcessingInstruction, kDeclaration));
  ASSERT_NE(0, document->AddElem("processregister", "", 0));
  EXPECT_NE(0, document->Save(fresh.c_str()));
  CloseHandle(held);

  IXmlDocument* reader = NewDocument();
  EXPECT_TRUE(WalkTo(reader, fresh, {}));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(fresh, &bytes));
  EXPECT_EQ(0u, bytes.find("<?xml version=\"1.0\"?>")) << bytes;
}

TEST_F(XmlDocumentSaveTest, ADocumentWithoutItsDocumentElementIsNotWritten) {
  const std::string other = dir_.Join("other.xml");
  ASSERT_TRUE(WriteFileBytes(other, ""));
  IXmlDocument* document = NewDocument();
  ASSERT_NE(0, document->Load(other.c_str()));
  ASSERT_NE(0, document->AddNode(kXmlNodeProcessingInstruction, kDeclaration));
  EXPECT_EQ(0, document->Save(path_.c_str())) << "only the declaration would not load";
  ASSERT_NE(0, document->AddElem("processregister", "", 0));
  EXPECT_NE(0, document->Save(path_.c_str()));
}

}  // namespace
}  // namespace test
}  // namespace pelok

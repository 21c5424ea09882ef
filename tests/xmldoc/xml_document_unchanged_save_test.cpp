// Save of the held file when nothing has changed since the document last read or wrote it
// writes nothing, whatever the file's stamp says: after a change of the file by someone else
// (written in place, replaced, removed, even with its size and write time kept), writing the
// unchanged document would only put back what they changed. After any change of the document,
// Save writes it.
#include <string>

#include "gtest/gtest.h"
#include "platform/win32_api.h"
#include "tests/support/xml_document_fixture.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace pelok {
namespace test {
namespace {

// Which file is at path, and when it was written: a file written again, or another file moved
// there, has another identity.
std::string Identity(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL ok = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!ok) return "<unknown>";
  return std::to_string(info.nFileIndexHigh) + ":" + std::to_string(info.nFileIndexLow) + "@" +
         std::to_string(info.ftLastWriteTime.dwHighDateTime) + ":" +
         std::to_string(info.ftLastWriteTime.dwLowDateTime);
}

class XmlDocumentUnchangedSaveTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    IXmlDocument* creator = NewStoreDocument(path_);
    ASSERT_NE(nullptr, creator);
    ASSERT_NE(0, creator->AddElem("key", "", 0));
    ASSERT_NE(0, creator->SetAttrib("type", 2));
    ASSERT_NE(0, creator->Save(path_.c_str()));
    // Gone, it has folded its journal: the file alone holds the store.
    DestroyDocument(creator);
    ASSERT_TRUE(ReadFileBytes(path_, &saved_));
    ASSERT_EQ(saved_, StoreText(path_));
    document_ = NewDocument();
    ASSERT_TRUE(WalkTo(document_, path_, {}));
  }

  std::string Content() const {
    std::string bytes;
    return ReadFileBytes(path_, &bytes) ? bytes : "<missing>";
  }

  std::string path_;
  std::string saved_;
  IXmlDocument* document_ = nullptr;
};

TEST_F(XmlDocumentUnchangedSaveTest, UnchangedDocumentLeavesTheFileAlone) {
  const std::string before = Identity(path_);
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_EQ(before, Identity(path_));
  EXPECT_EQ(saved_, Content());
}

TEST_F(XmlDocumentUnchangedSaveTest, UnchangedLargeDocumentLeavesTheFileAlone) {
  // Written and read back in many pieces, whose borders fall in different places.
  ASSERT_TRUE(WalkTo(document_, path_, {"key"}));
  const std::string text(61, 'x');
  for (int i = 0; i < 3000; ++i) {
    ASSERT_NE(0, document_->AddElem(("v" + std::to_string(i)).c_str(), "", 0));
    ASSERT_NE(0, document_->SetData((text + std::to_string(i)).c_str()));
  }
  ASSERT_NE(0, document_->Save(path_.c_str()));
  const std::string written = Content();
  ASSERT_GT(written.size(), 3u * 64 * 1024);
  const std::string before = Identity(path_);
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_EQ(before, Identity(path_));
  EXPECT_EQ(written, Content());
}

TEST_F(XmlDocumentUnchangedSaveTest, LoadOfTheHeldFileChangesNothing) {
  const std::string before = Identity(path_);
  ASSERT_TRUE(WalkTo(document_, path_, {"key"}));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_EQ(before, Identity(path_));
}

TEST_F(XmlDocumentUnchangedSaveTest, ChangedDocumentIsWritten) {
  const std::string before = Identity(path_);
  ASSERT_TRUE(WalkTo(document_, path_, {"key"}));
  ASSERT_NE(0, document_->SetAttrib("size", 4));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_NE(std::string::npos, StoreText(path_).find("size=\"4\""));
  // A second change goes to the journal; the store has it all the same.
  ASSERT_NE(0, document_->SetAttrib("size", 8));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_NE(std::string::npos, StoreText(path_).find("size=\"8\""));
  EXPECT_NE(before, Identity(path_) + Identity(path_ + ".journal"));
}

TEST_F(XmlDocumentUnchangedSaveTest, FileWrittenInPlaceIsNotRevertedAndIsReadAgain) {
  std::string edited = saved_;
  edited.replace(edited.find("key"), 3, "kez");
  ASSERT_TRUE(WriteFileBytes(path_, edited));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_EQ(edited, Content());
  EXPECT_TRUE(WalkTo(document_, path_, {"kez"}));
  EXPECT_FALSE(WalkTo(document_, path_, {"key"}));
}

TEST_F(XmlDocumentUnchangedSaveTest, ReplacedFileIsNotReverted) {
  const std::string other = dir_.Join("other.xml");
  ASSERT_TRUE(WriteFileBytes(other, "<processregister/>\n"));
  ASSERT_NE(0, MoveFileExA(other.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_EQ("<processregister/>\n", Content());
}

TEST_F(XmlDocumentUnchangedSaveTest, RemovedFileStaysRemovedUntilTheDocumentChanges) {
  ASSERT_NE(0, DeleteFileA(path_.c_str()));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_EQ("<missing>", Content());
  // With a change of its own the document is written afresh.
  ASSERT_TRUE(WalkTo(document_, path_, {"key"}));
  ASSERT_NE(0, document_->SetAttrib("size", 4));
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_NE(std::string::npos, Content().find("size=\"4\""));
}

TEST_F(XmlDocumentUnchangedSaveTest, SaveToAnotherFileWritesIt) {
  const std::string copy = dir_.Join("copy.xml");
  EXPECT_NE(0, document_->Save(copy.c_str()));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(copy, &bytes));
  EXPECT_EQ(saved_, bytes);
}

TEST_F(XmlDocumentUnchangedSaveTest, FileLoadedAsItIsStaysAsItIs) {
  // Laid out by hand: the document holds what the file holds, so saving it writes nothing.
  const std::string hand = dir_.Join("hand.xml");
  const std::string text =
      "<?xml version=\"1.0\"?><processregister><a type=\"1\">x</a>"
      "</processregister>";
  ASSERT_TRUE(WriteFileBytes(hand, text));
  IXmlDocument* reader = NewDocument();
  ASSERT_TRUE(WalkTo(reader, hand, {"a"}));
  EXPECT_NE(0, reader->Save(hand.c_str()));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(hand, &bytes));
  EXPECT_EQ(text, bytes);
}

#if !defined(_WIN32)
TEST_F(XmlDocumentUnchangedSaveTest, EditThatKeepsSizeAndWriteTimeIsReadAgain) {
  struct stat info {};
  ASSERT_EQ(0, stat(path_.c_str(), &info));
  std::string edited = saved_;
  edited.replace(edited.find("key"), 3, "kez");
  ASSERT_TRUE(WriteFileBytes(path_, edited));
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  ASSERT_EQ(0, utimensat(AT_FDCWD, path_.c_str(), times, 0));
  EXPECT_TRUE(WalkTo(document_, path_, {"kez"})) << "the content tells what the stamp cannot";
  EXPECT_NE(0, document_->Save(path_.c_str()));
  EXPECT_EQ(edited, Content());
}
#endif

}  // namespace
}  // namespace test
}  // namespace pelok

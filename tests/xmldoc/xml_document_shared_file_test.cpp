// One document file held and saved by several documents (in a program, as in several
// processes): what each saved survives, the later of two writes of one value wins, a save waits
// for the file's lock and gives up after a while, and a save keeps the file what it was (mode,
// owner, symbolic link, hard links), writes nothing through a link planted beside it, and the
// next open removes what killed saves left.
#include <atomic>
#include <string>
#include <thread>

#include "gtest/gtest.h"
#include "platform/win32_api.h"
#include "tests/support/xml_document_fixture.h"
#include "xmldoc/store_file_lock.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#endif

namespace pelok {
namespace test {
namespace {

class XmlDocumentSharedFileTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    IXmlDocument* creator = NewStoreDocument(path_);
    ASSERT_NE(nullptr, creator);
    ASSERT_NE(0, creator->AddElem("app", "", 0));
    ASSERT_NE(0, creator->Save(path_.c_str()));
    first_ = NewDocument();
    second_ = NewDocument();
    ASSERT_TRUE(WalkTo(first_, path_, {"app"}));
    ASSERT_TRUE(WalkTo(second_, path_, {"app"}));
  }

  // Sets the text value name of app to text in document (loaded afresh, as the store does).
  void Set(IXmlDocument* document, const std::string& name, const std::string& text) {
    ASSERT_TRUE(WalkTo(document, path_, {"app"}));
    if (document->FindElem(name.c_str()) == 0) {
      ASSERT_NE(0, document->AddElem(name.c_str(), "", 0));
    }
    ASSERT_NE(0, document->SetAttrib("type", 1));
    ASSERT_NE(0, document->SetData(text.c_str()));
  }

  // The text of app's value name as a fresh document reads the file; "<missing>" without it.
  std::string InFile(const std::string& name) {
    IXmlDocument* reader = NewDocument();
    if (!WalkTo(reader, path_, {"app", name})) return "<missing>";
    const std::string text = Data(reader);
    DestroyDocument(reader);
    return text;
  }

  std::string path_;
  IXmlDocument* first_ = nullptr;
  IXmlDocument* second_ = nullptr;
};

TEST_F(XmlDocumentSharedFileTest, DifferentValuesSavedByTwoDocumentsBothSurvive) {
  Set(first_, "a", "from first");
  Set(second_, "b", "from second");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  ASSERT_NE(0, second_->Save(path_.c_str()));
  EXPECT_EQ("from first", InFile("a"));
  EXPECT_EQ("from second", InFile("b"));
  // The first sees the second's value at its next Load, without saving anything.
  ASSERT_TRUE(WalkTo(first_, path_, {"app", "b"}));
  EXPECT_EQ("from second", Data(first_));
}

TEST_F(XmlDocumentSharedFileTest, ForOneValueTheLaterSaveWins) {
  Set(first_, "v", "1");
  Set(second_, "v", "2");
  ASSERT_NE(0, second_->Save(path_.c_str()));
  ASSERT_NE(0, first_->Save(path_.c_str()));
  EXPECT_EQ("1", InFile("v"));
  ASSERT_TRUE(WalkTo(second_, path_, {"app", "v"}));
  EXPECT_EQ("1", Data(second_)) << "the later write reaches the other document too";
}

TEST_F(XmlDocumentSharedFileTest, ARemovalAndAnotherDocumentsAdditionBothLast) {
  Set(first_, "gone", "x");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  ASSERT_TRUE(WalkTo(second_, path_, {"app", "gone"}));
  ASSERT_NE(0, second_->RemoveElem());
  Set(first_, "kept", "y");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  ASSERT_NE(0, second_->Save(path_.c_str()));
  EXPECT_EQ("<missing>", InFile("gone"));
  EXPECT_EQ("y", InFile("kept"));
}

TEST_F(XmlDocumentSharedFileTest, AnUnchangedDocumentNeverRevertsAnotherDocumentsSave) {
  Set(first_, "a", "new");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  // The second opens keys (each open saves) without changing anything.
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(WalkTo(second_, path_, {"app"}));
    ASSERT_NE(0, second_->Save(path_.c_str()));
  }
  EXPECT_EQ("new", InFile("a"));
}

TEST_F(XmlDocumentSharedFileTest, AFileReplacedByAnotherDocumentIsMergedNotOverwritten) {
  const std::string other = dir_.Join("other.xml");
  ASSERT_TRUE(WriteFileBytes(other,
                             "<processregister><app><theirs type=\"1\">t</theirs></app>"
                             "</processregister>"));
  ASSERT_NE(0, MoveFileExA(other.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING));
  Set(first_, "mine", "m");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  EXPECT_EQ("t", InFile("theirs"));
  EXPECT_EQ("m", InFile("mine"));
}

TEST_F(XmlDocumentSharedFileTest, ASaveWaitsForTheLockAndGivesUpWithoutWriting) {
  Set(first_, "a", "waited");
  std::string before;
  ASSERT_TRUE(ReadFileBytes(path_, &before));
  // Held by another thread, as another process would hold it (a Windows mutex is its owner
  // thread's).
  std::atomic<int> stage{0};
  std::thread holder([&] {
    StoreFileLock held;
    stage = held.Acquire(path_, true, 0) ? 1 : -1;
    while (stage == 1) Sleep(1);
  });
  while (stage == 0) Sleep(1);
  ASSERT_EQ(1, stage.load());
  SetLastError(0);
  EXPECT_EQ(0, first_->Save(path_.c_str())) << "another holder kept the lock all along";
#if defined(_WIN32)
  // The last error is the thread's, whichever module set it (each POSIX module keeps its own).
  EXPECT_EQ(static_cast<DWORD>(ERROR_LOCK_VIOLATION), GetLastError());
#endif
  std::string now;
  ASSERT_TRUE(ReadFileBytes(path_, &now));
  EXPECT_EQ(before, now);
  // Reads go on meanwhile.
  EXPECT_TRUE(WalkTo(second_, path_, {"app"}));
  stage = 2;
  holder.join();
  EXPECT_NE(0, first_->Save(path_.c_str())) << "nothing was lost: the change is still there";
  EXPECT_EQ("waited", InFile("a"));
}

TEST_F(XmlDocumentSharedFileTest, TheNextOpenRemovesWhatKilledSavesLeft) {
  const std::string leftovers[] = {"store.xml.pelxml-0123456789abcdef.tmp", "store.xml.4242.7.tmp"};
  const std::string others[] = {"store.xml.backup.tmp", "other.xml.pelxml-0123456789abcdef.tmp",
                                "notes.tmp"};
  for (const std::string& name : leftovers) ASSERT_TRUE(WriteFileBytes(dir_.Join(name), "x"));
  for (const std::string& name : others) ASSERT_TRUE(WriteFileBytes(dir_.Join(name), "x"));
  IXmlDocument* opener = NewDocument();
  ASSERT_TRUE(WalkTo(opener, path_, {"app"}));
  for (const std::string& name : leftovers) EXPECT_FALSE(FileExistsAt(dir_.Join(name))) << name;
  for (const std::string& name : others) EXPECT_TRUE(FileExistsAt(dir_.Join(name))) << name;
}

#if !defined(_WIN32)
TEST_F(XmlDocumentSharedFileTest, ASaveKeepsTheFilesModeAndOwner) {
  ASSERT_EQ(0, chmod(path_.c_str(), 0600));
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(0, chown(path_.c_str(), 65534, 65534));
  }
  Set(first_, "a", "private");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  struct stat info {};
  ASSERT_EQ(0, stat(path_.c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 07777u);
  if (root) {
    EXPECT_EQ(65534u, info.st_uid);
    EXPECT_EQ(65534u, info.st_gid);
  }
  EXPECT_EQ("private", InFile("a"));
  // The journal, which holds what the file holds, is as private.
  Set(first_, "b", "private too");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  ASSERT_EQ(0, stat((path_ + ".journal").c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 07777u);
  if (root) {
    EXPECT_EQ(65534u, info.st_uid);
  }
  EXPECT_EQ("private too", InFile("b"));
}

TEST_F(XmlDocumentSharedFileTest, ASymlinkedFileStaysALinkAndItsTargetIsWritten) {
  const std::string target = dir_.Join("real.xml");
  const std::string link = dir_.Join("link.xml");
  // The store moves with its journal, which stands beside the file a link leads to.
  std::filesystem::rename(path_, target);
  std::filesystem::rename(path_ + ".journal", target + ".journal");
  std::filesystem::create_symlink(target, link);
  IXmlDocument* through_link = NewDocument();
  ASSERT_TRUE(WalkTo(through_link, link, {"app"}));
  ASSERT_NE(0, through_link->AddElem("v", "", 0));
  ASSERT_NE(0, through_link->Save(link.c_str()));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_FALSE(FileExistsAt(link + ".journal"));
  std::string bytes;
  ASSERT_TRUE(ReadStoreText(target, &bytes));
  EXPECT_NE(std::string::npos, bytes.find("<v"));
}

TEST_F(XmlDocumentSharedFileTest, AHardLinkedFileKeepsItsLinks) {
  const std::string second_name = dir_.Join("second-name.xml");
  std::filesystem::create_hard_link(path_, second_name);
  Set(first_, "a", "both names");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  EXPECT_EQ(2u, std::filesystem::hard_link_count(path_));
  EXPECT_TRUE(std::filesystem::equivalent(path_, second_name));
  std::string one, other;
  ASSERT_TRUE(ReadFileBytes(path_, &one));
  ASSERT_TRUE(ReadFileBytes(second_name, &other));
  EXPECT_EQ(one, other);
  EXPECT_NE(std::string::npos, one.find("both names"));
}

TEST_F(XmlDocumentSharedFileTest, LinksPlantedAtTemporaryNamesAreNeverWrittenThrough) {
  // The names earlier versions used, and names of this one's form: links to a file the writer
  // of the directory wants destroyed.
  const std::string victim = dir_.Join("victim");
  ASSERT_TRUE(WriteFileBytes(victim, "precious"));
  for (int n = 0; n < 64; ++n) {
    std::filesystem::create_symlink(victim, dir_.Join("store.xml." + std::to_string(getpid()) +
                                                      "." + std::to_string(n) + ".tmp"));
  }
  Set(first_, "a", "saved");
  ASSERT_NE(0, first_->Save(path_.c_str()));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(victim, &bytes));
  EXPECT_EQ("precious", bytes);
  EXPECT_EQ("saved", InFile("a"));
  // Opening a file the planted link leads to is refused where the save creates its temporary.
  const std::string planted = dir_.Join("planted");
  std::filesystem::create_symlink(victim, planted);
  const HANDLE file = CreateFileA(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, file);
  ASSERT_TRUE(ReadFileBytes(victim, &bytes));
  EXPECT_EQ("precious", bytes);
}
#endif

}  // namespace
}  // namespace test
}  // namespace pelok

// The journal beside a store file: saves append records to it and leave the file alone; what a
// fresh document reads (the file with the journal replayed) is exactly what the writer holds;
// the journal is folded into the file when it grows past its share and when its writer goes,
// which leaves the file alone holding everything in its ordinary format; other documents see
// journaled saves; and bad journals (a record cut short, a damaged record, a foreign file, a
// journal of an older file, a journal without its file) lose no completed write silently: what
// cannot be replayed is set aside as "<journal>.damaged-<hex>".
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"
#include "xmldoc/content_hash.h"
#include "xmldoc/store_journal.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentJournalTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    path_ = dir_.Join("store.xml");
    journal_ = path_ + ".journal";
    writer_ = NewStoreDocument(path_);
    ASSERT_NE(nullptr, writer_);
    ASSERT_NE(0, writer_->AddElem("app", "", 0));
    ASSERT_NE(0, writer_->Save(path_.c_str()));
  }

  // Sets the text value name of app in document (loaded afresh, as the store does) and saves.
  void SetAndSave(IXmlDocument* document, const std::string& name, const std::string& text) {
    ASSERT_TRUE(WalkTo(document, path_, {"app"}));
    if (document->FindElem(name.c_str()) == 0) {
      ASSERT_NE(0, document->AddElem(name.c_str(), "", 0));
    }
    ASSERT_NE(0, document->SetAttrib("type", 1));
    ASSERT_NE(0, document->SetData(text.c_str()));
    ASSERT_NE(0, document->Save(path_.c_str()));
  }

  // The value as a fresh document reads the store; "<missing>" without it.
  std::string InStore(const std::string& name) {
    IXmlDocument* reader = NewDocument();
    const std::string text = WalkTo(reader, path_, {"app", name}) ? Data(reader) : "<missing>";
    DestroyDocument(reader);
    return text;
  }

  std::string Bytes(const std::string& path) {
    std::string bytes;
    return ReadFileBytes(path, &bytes) ? bytes : "<missing>";
  }

  // The files set aside beside the journal.
  std::vector<std::string> SetAside() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("store.xml.journal.damaged-", 0) == 0) names.push_back(entry.path().string());
    }
    return names;
  }

  std::string path_;
  std::string journal_;
  IXmlDocument* writer_ = nullptr;
};

TEST_F(XmlDocumentJournalTest, SavesGoToTheJournalAndTheFileHoldsAllOnceTheWriterGoes) {
  const std::string file = Bytes(path_);
  const std::string journal = Bytes(journal_);
  ASSERT_NE("<missing>", journal);
  SetAndSave(writer_, "a", "first");
  SetAndSave(writer_, "b", "second");
  SetAndSave(writer_, "a", "changed");
  EXPECT_EQ(file, Bytes(path_)) << "the file is not written again";
  EXPECT_GT(Bytes(journal_).size(), journal.size());
  EXPECT_EQ("changed", InStore("a"));
  EXPECT_EQ("second", InStore("b"));

  // Gone, the writer folds the journal: the file alone, in its ordinary format, holds it all.
  const std::string whole = StoreText(path_);
  DestroyDocument(writer_);
  EXPECT_FALSE(FileExistsAt(journal_));
  EXPECT_EQ(whole, Bytes(path_));
  EXPECT_NE(std::string::npos, whole.find("<a type=\"1\">changed</a>")) << whole;
  EXPECT_TRUE(SetAside().empty());
}

TEST_F(XmlDocumentJournalTest, TheJournalIsFoldedOnceItPassesItsShareOfTheFile) {
  const std::string file = Bytes(path_);
  const std::string text(1000, 'x');
  bool folded = false;
  for (int i = 0; i < 200 && !folded; ++i) {
    SetAndSave(writer_, "v" + std::to_string(i), text + std::to_string(i));
    folded = Bytes(path_) != file;
  }
  ASSERT_TRUE(folded) << "the file was never written again";
  EXPECT_LE(Bytes(journal_).size(), kJournalHeaderSize) << "started afresh with the new file";
  EXPECT_NE(std::string::npos, Bytes(path_).find(text + "0"));
  // Later saves go to the new journal, and the store has everything.
  SetAndSave(writer_, "after", "fold");
  EXPECT_GT(Bytes(journal_).size(), kJournalHeaderSize);
  EXPECT_EQ(text + "0", InStore("v0"));
  EXPECT_EQ("fold", InStore("after"));
}

// Everything below the document's level, through the interface: each element's name, type
// and size attributes and text, and what it holds, in order.
std::string Dump(IXmlDocument* document) {
  std::string out;
  while (document->FindElem(nullptr) != 0) {
    char buf[512];
    out += "<" + std::string(document->GetTagName(buf, sizeof(buf)) ? buf : "?");
    for (const char* attribute : {"type", "size"}) {
      if (document->GetAttrib(attribute, buf, sizeof(buf))) out += std::string(" ") + buf;
    }
    out += ">" + std::string(document->GetData(buf, sizeof(buf)) ? buf : "?");
    if (document->IntoElem() != 0) {
      out += Dump(document);
      document->OutOfElem();
    }
    out += "</>";
  }
  return out;
}

// Random edits of every kind (elements of one name side by side, added after a sibling or at the
// end, removed, attributes, text of every kind), saved a few at a time: after every save a fresh
// document, which replays the journal, reads exactly what the writer holds; once the writer has
// gone, the file alone holds it, as the whole text a fresh document writes of the store.
TEST_F(XmlDocumentJournalTest, WhatAFreshDocumentReadsIsExactlyWhatTheWriterHolds) {
  std::mt19937 random(20261209);
  const char* names[] = {"a", "b", "a", "c"};
  const char* texts[] = {"", "plain", "  ", "a\r\nb", "<&>", "\t", "x y"};
  const std::string file = Bytes(path_);
  int saves = 0;
  std::string last;
  for (int step = 0; step < 400; ++step) {
    ASSERT_TRUE(WalkTo(writer_, path_, {"app"}));
    // A random place: a child of app, or one level deeper.
    const int skip = static_cast<int>(random() % 6);
    for (int i = 0; i < skip && writer_->FindElem(nullptr) != 0;) ++i;
    if (random() % 3 == 0 && writer_->IntoElem() != 0) {
      for (int i = static_cast<int>(random() % 3); i > 0 && writer_->FindElem(nullptr) != 0;) --i;
    }
    switch (random() % 5) {
      case 0:
      case 1:
        writer_->AddElem(names[random() % 4], texts[random() % 7], 0);
        break;
      case 2:
        writer_->SetData(texts[random() % 7]);
        break;
      case 3:
        writer_->SetAttrib(random() % 2 ? "type" : "size", static_cast<int>(random() % 100));
        break;
      default:
        if (TagName(writer_) != "app") writer_->RemoveElem();
        break;
    }
    if (random() % 4 != 0) continue;
    ASSERT_NE(0, writer_->Save(path_.c_str()));
    ++saves;
    ASSERT_TRUE(WalkTo(writer_, path_, {}));
    last = Dump(writer_);
    IXmlDocument* reader = NewDocument();
    ASSERT_TRUE(WalkTo(reader, path_, {}));
    ASSERT_EQ(last, Dump(reader)) << "after step " << step;
    DestroyDocument(reader);
  }
  EXPECT_GT(saves, 50);
  EXPECT_NE(std::string::npos, last.find("<a"));
  const std::string whole = StoreText(path_);
  DestroyDocument(writer_);
  EXPECT_FALSE(FileExistsAt(journal_));
  EXPECT_EQ(whole, Bytes(path_));
  IXmlDocument* reader = NewDocument();
  ASSERT_TRUE(WalkTo(reader, path_, {}));
  EXPECT_EQ(last, Dump(reader));
}

TEST_F(XmlDocumentJournalTest, OtherDocumentsSeeJournaledSavesAndTheirOwnJoinThem) {
  IXmlDocument* other = NewDocument();
  ASSERT_TRUE(WalkTo(other, path_, {"app"}));
  const std::string file = Bytes(path_);
  SetAndSave(writer_, "mine", "1");
  ASSERT_TRUE(WalkTo(other, path_, {"app", "mine"})) << "the other reads the journal";
  EXPECT_EQ("1", Data(other));
  SetAndSave(other, "theirs", "2");
  ASSERT_TRUE(WalkTo(writer_, path_, {"app", "theirs"}));
  EXPECT_EQ("2", Data(writer_));
  EXPECT_EQ(file, Bytes(path_)) << "all of it went through the journal";
  // Both with edits of their own at once: merged, nothing lost.
  ASSERT_TRUE(WalkTo(writer_, path_, {"app"}));
  ASSERT_NE(0, writer_->AddElem("w", "from writer", 0));
  ASSERT_TRUE(WalkTo(other, path_, {"app"}));
  ASSERT_NE(0, other->AddElem("o", "from other", 0));
  ASSERT_NE(0, writer_->Save(path_.c_str()));
  ASSERT_NE(0, other->Save(path_.c_str()));
  EXPECT_EQ("from writer", InStore("w"));
  EXPECT_EQ("from other", InStore("o"));
  EXPECT_EQ("1", InStore("mine"));
  EXPECT_EQ("2", InStore("theirs"));
}

TEST_F(XmlDocumentJournalTest, ARecordCutShortByAKilledAppendIsDroppedAndTheNextSaveGoesOn) {
  SetAndSave(writer_, "a", "kept");
  const std::string journal = Bytes(journal_);
  // The start of a record whose save never ended: a length, and part of the operations.
  ASSERT_TRUE(WriteFileBytes(journal_, journal + std::string("\x40\x00\x00\x00Tpart", 9)));
  EXPECT_EQ("kept", InStore("a"));
  SetAndSave(writer_, "b", "after");
  EXPECT_EQ("kept", InStore("a"));
  EXPECT_EQ("after", InStore("b"));
  EXPECT_TRUE(SetAside().empty()) << "nothing was lost, so nothing is set aside";
}

TEST_F(XmlDocumentJournalTest, ADamagedRecordIsSetAsideAndNeverReplayed) {
  SetAndSave(writer_, "a", "good");
  const size_t good = Bytes(journal_).size();
  SetAndSave(writer_, "b", "damaged");
  std::string journal = Bytes(journal_);
  ASSERT_GT(journal.size(), good);
  const size_t at = journal.find("damaged", good);
  ASSERT_NE(std::string::npos, at);
  journal[at] = 'D';
  ASSERT_TRUE(WriteFileBytes(journal_, journal));
  EXPECT_EQ("good", InStore("a"));
  EXPECT_EQ("<missing>", InStore("b")) << "a record that fails its hash is never taken";
  // A new document of the store, which the lock lets set the damage aside.
  IXmlDocument* next = NewDocument();
  ASSERT_TRUE(WalkTo(next, path_, {"app"}));
  const std::vector<std::string> aside = SetAside();
  ASSERT_EQ(1u, aside.size());
  EXPECT_EQ(journal.substr(good), Bytes(aside[0]));
  SetAndSave(next, "c", "later");
  EXPECT_EQ("later", InStore("c"));
  EXPECT_EQ("good", InStore("a"));
}

TEST_F(XmlDocumentJournalTest, AForeignJournalIsSetAsideWhole) {
  DestroyDocument(writer_);
  ASSERT_TRUE(WriteFileBytes(journal_, "not a journal at all"));
  EXPECT_TRUE(WalkTo(NewDocument(), path_, {"app"}));
  const std::vector<std::string> aside = SetAside();
  ASSERT_EQ(1u, aside.size());
  EXPECT_EQ("not a journal at all", Bytes(aside[0]));
  EXPECT_FALSE(FileExistsAt(journal_));
}

TEST_F(XmlDocumentJournalTest, AJournalOfAnOlderFileIsNeverReplayedOnANewerOne) {
  SetAndSave(writer_, "a", "journaled");
  const std::string old_journal = Bytes(journal_);
  // The writer goes, which folds; the old journal comes back (a restore, a copy).
  DestroyDocument(writer_);
  ASSERT_EQ("journaled", InStore("a"));
  IXmlDocument* editor = NewDocument();
  ASSERT_TRUE(WalkTo(editor, path_, {"app", "a"}));
  ASSERT_NE(0, editor->SetData("newer"));
  ASSERT_NE(0, editor->Save(path_.c_str()));
  DestroyDocument(editor);
  ASSERT_TRUE(WriteFileBytes(journal_, old_journal));
  EXPECT_EQ("newer", InStore("a")) << "the old journal's records are not replayed";
  const std::vector<std::string> aside = SetAside();
  ASSERT_EQ(1u, aside.size()) << "they are kept aside";
  EXPECT_EQ(old_journal, Bytes(aside[0]));
}

TEST_F(XmlDocumentJournalTest, AJournalWhoseFoldReplacedTheFileGoesQuietly) {
  SetAndSave(writer_, "a", "folded");
  // A fold that was killed after it replaced the file: the journal marked, the file written.
  const std::string file = Bytes(path_);
  JournalContent content;
  ASSERT_TRUE(ReadJournal(journal_, HashContent(file), &content));
  ASSERT_TRUE(content.current());
  const std::string whole = StoreText(path_);
  ASSERT_TRUE(MarkJournalFolded(journal_, HashContent(whole), &content));
  ASSERT_TRUE(WriteFileBytes(path_, whole));
  EXPECT_EQ("folded", InStore("a"));
  EXPECT_FALSE(FileExistsAt(journal_)) << "obsolete, it was removed";
  EXPECT_TRUE(SetAside().empty());
}

TEST_F(XmlDocumentJournalTest, AJournalWithoutItsFileIsSetAsideNotReplayedOnANewStore) {
  SetAndSave(writer_, "a", "orphan");
  const std::string journal = Bytes(journal_);
  ASSERT_TRUE(std::filesystem::remove(path_));
  IXmlDocument* fresh = NewStoreDocument(path_);
  ASSERT_NE(nullptr, fresh);
  EXPECT_EQ("<missing>", InStore("a"));
  const std::vector<std::string> aside = SetAside();
  ASSERT_EQ(1u, aside.size());
  EXPECT_EQ(journal, Bytes(aside[0]));
}

}  // namespace
}  // namespace test
}  // namespace pelok

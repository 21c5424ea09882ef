// XmlDocument: component 1, one XML document with one position.
//
// The position is a level (the document itself or an element), whose child elements FindElem,
// AddElem and GetChildNameByIndex look at, and the current child at that level (none right after
// ResetPos and IntoElem). Without a current child the level's element is the current element, so
// that after IntoElem the element entered can still be read, changed and removed.
//
// The document remembers the file it holds (the last one loaded or saved) and the content that
// file had then (the base). Load of that file keeps the document with the edits made since, and
// brings in what other processes have saved to the file meanwhile; Save of it merges the same
// way under the file's lock before it writes, and writes nothing while the document is unchanged
// since it was last read or written. xmldoc/xml_document.cpp tells how.
#ifndef PELOK_XMLDOC_XML_DOCUMENT_H_
#define PELOK_XMLDOC_XML_DOCUMENT_H_

#include <pugixml.hpp>
#include <string>

#include "pelok/xml_document.h"
#include "util/pelxml_load_outcome.h"
#include "xmldoc/child_name_index.h"
#include "xmldoc/content_hash.h"
#include "xmldoc/document_file.h"
#include "xmldoc/edit_log.h"
#include "xmldoc/store_journal.h"

namespace pelok {

class XmlDocument final : public IXmlDocument {
 public:
  XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // The documents alive in this module.
  static int LiveCount();

  int GetComponentId() override { return component_id::kXmlDocument; }
  int GetVersion() override { return 1; }
  // Deletes the document, whatever force says.
  void Destroy(int force) override;
  int GetAutoFree() override { return auto_free_; }
  void SetAutoFree(int mark) override { auto_free_ = mark; }

  int Load(const char* file) override;
  int FindElem(const char* name) override;
  int IntoElem() override;
  int OutOfElem() override;
  int ResetPos() override;
  int GetTagName(char* buf, int len) override;
  int GetData(char* buf, int len) override;
  int GetAttrib(const char* name, char* buf, int len) override;
  int GetChildNameByIndex(int index, char* buf, int len) override;
  int Save(const char* file) override;
  int AddElem(const char* name, const char* data, int flags) override;
  int AddNode(int node_kind, const char* text) override;
  int RemoveElem() override;
  int SetAttrib(const char* name, int value) override;
  int SetData(const char* text) override;
  int EndEdit() override { return 1; }

  // Slot 6, PelXml's own (util/pelxml_load_outcome.h): why the last Load failed, so that the
  // store tells a damaged file from one that merely could not be read.
  int Reserved6() override { return load_outcome_; }
  int Reserved7() override { return 0; }
  int Reserved9() override { return 0; }
  int Reserved12() override { return 0; }
  int Reserved13() override { return 0; }
  int Reserved16() override { return 0; }
  int Reserved17() override { return 0; }
  int Reserved18() override { return 0; }
  int Reserved21() override { return 0; }
  int Reserved23() override { return 0; }
  int Reserved24() override { return 0; }
  int Reserved25() override { return 0; }
  int Reserved26() override { return 0; }
  int Reserved27() override { return 0; }
  int Reserved28() override { return 0; }
  int Reserved30() override { return 0; }
  int Reserved31() override { return 0; }
  int Reserved33() override { return 0; }
  int Reserved34() override { return 0; }
  int Reserved35() override { return 0; }
  int Reserved36() override { return 0; }
  int Reserved37() override { return 0; }
  int Reserved38() override { return 0; }
  int Reserved39() override { return 0; }
  int Reserved40() override { return 0; }
  int Reserved41() override { return 0; }
  int Reserved42() override { return 0; }
  int Reserved43() override { return 0; }
  int Reserved44() override { return 0; }
  int Reserved45() override { return 0; }
  int Reserved46() override { return 0; }
  int Reserved47() override { return 0; }
  int Reserved48() override { return 0; }
  int Reserved50() override { return 0; }
  int Reserved52() override { return 0; }
  int Reserved53() override { return 0; }
  int Reserved55() override { return 0; }
  int Reserved56() override { return 0; }
  int Reserved57() override { return 0; }
  int Reserved58() override { return 0; }
  int Reserved59() override { return 0; }
  int Reserved60() override { return 0; }
  int Reserved61() override { return 0; }

 private:
  // Only through Destroy.
  ~XmlDocument();

  // The current element: the current child, else the level when it is an element.
  pugi::xml_node CurrentElement() const;
  // Forgets the tree and every position in it.
  void Clear();
  // Reads and parses the file into the (cleared) document: kPelXmlLoaded, or why not.
  PelXmlLoadOutcome ReadDocument(const char* file);
  // Something that GetChildNameByIndex counts has changed.
  void Edited() { ++edits_; }
  // Whether the held file still holds the base: the same stamp, and where that stamp alone
  // cannot tell, the same content.
  bool FileHoldsBase(const char* file);
  // The base is now bytes, the content of file with the stamp given, known at the time given.
  void Matched(std::string bytes, const DocumentStamp& stamp, uint64_t at);
  // Brings what another process saved to the held file since the base into the document, when
  // the file can be read and parsed; false when it cannot (the document stays as it is).
  // *missing is set when there is no file. locked: the caller holds the exclusive lock.
  bool TakeInFileChanges(const char* file, bool locked, bool* missing);
  // Merges theirs, the held file's content now, and its journal into the document; the base
  // becomes theirs.
  void MergeFrom(std::string theirs, JournalContent journal, const DocumentStamp& stamp, uint64_t at);
  // Waits (a while, once) for an empty held file to be filled by the process creating it.
  void AwaitContentOfNewFile(const char* file);
  // The same, then reads what was written, for an empty document never changed.
  void TakeInContentOfNewFile();
  // Save under the exclusive lock of final_path, the file that file finally names.
  int SaveLocked(const char* file, const std::string& final_path);

  // The journal beside the held file (xmldoc/xml_document_journal.cpp).
  // Whether the held file still holds the base and its journal is as the document last saw it.
  bool HeldFilesUnchanged(const char* file);
  // Reads the file at path and its journal in one hold of the lock (shared, unless the caller
  // holds the exclusive one); false when the file cannot be read.
  // *hash: the file's content hash.
  bool ReadStore(const char* path, bool locked, std::string* bytes, DocumentStamp* stamp,
                 uint64_t* read_at, ContentHash* hash, JournalContent* journal);
  // Whether the journal's records that the document lacks could be replayed on it.
  bool TakeInJournalRecords(JournalContent* journal);
  // The size the journal may reach before a save folds it into the file.
  uint64_t JournalLimit() const;
  // Appends the edits since the file matched as one journal record: 1 done, 0 failed, -1 the
  // document must be written whole (edits no record tells, no journal, the journal full).
  int SaveToJournal();
  // After a whole write, under the lock taken again (the move let others lock the new file):
  // the journal that the write made obsolete started afresh (restart) or removed.
  void TidyJournal(bool restart, const std::string& final_path);
  // Folds the journal that this document wrote to into the held file, and removes it.
  void CloseJournal();

  pugi::xml_document document_;
  pugi::xml_node level_;
  pugi::xml_node child_;
  ChildNameIndex index_;

  // The file whose content the document is (loaded or saved last); empty for none.
  std::string held_file_;
  // The file whose last Load failed: not to be overwritten until a Load succeeds, since what the
  // document holds now is not that file's content.
  std::string unreadable_file_;
  // Set when a Load failed for want of memory: no file is written until a Load succeeds.
  bool refuse_every_save_ = false;
  // How the last Load ended (slot 6).
  PelXmlLoadOutcome load_outcome_ = kPelXmlLoaded;

  // The held file as it was when the document last matched it (loaded from it or saved to it):
  // its content (the base of a merge), its stamp, the hash of its content, and the system time
  // at which they were known.
  std::string base_;
  DocumentStamp held_stamp_;
  ContentHash held_hash_;
  uint64_t held_matched_at_ = 0;
  // Set by every call that may change the tree (also one that fails); cleared when the
  // document matches its file again.
  bool changed_ = false;
  // Set once an empty held file has been waited for.
  bool awaited_content_ = false;

  // GetChildNameByIndex resumes from its last answer when asked for a later index at the same
  // level and nothing was edited since, so that enumerating 1..N is linear.
  unsigned long edits_ = 0;
  pugi::xml_node counted_level_;
  unsigned long counted_edits_ = 0;
  int counted_index_ = 0;
  pugi::xml_node counted_child_;

  // The held file's journal (empty path: none possible), what of it the document holds, the
  // edits made since the document last matched the file and the journal, and whether this
  // document has started or written the journal, which it then folds when it goes.
  std::string journal_path_;
  JournalContent journal_;
  EditLog log_{&index_};
  bool journal_touched_ = false;
  // What a whole write leaves to be done to the journal once the lock is taken again: 0
  // nothing, 1 start it afresh, 2 remove it.
  int journal_after_write_ = 0;

  int auto_free_ = 0;
};

}  // namespace pelok

#endif  // PELOK_XMLDOC_XML_DOCUMENT_H_

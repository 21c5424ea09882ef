// XmlDocument: the journal beside the held file (xmldoc/store_journal.h).
//
// A document that read its file holds the file's bytes (the base) and what it holds of the
// file's journal: the records it replayed or wrote. Its edits since go into its edit log
// (xmldoc/edit_log.h) as well as into the tree. Its Save, under the file's exclusive lock and
// after the merge of what others saved (xmldoc/xml_document.cpp), appends the log as one record
// and syncs the journal once: that is the whole save. The document is written whole instead
// (and the journal then started afresh for the new file) when the log cannot tell the edits
// (an instruction added, a three-way merge made of them), when the file was empty (a store
// being created), when there is no journal yet (the first save after the store was opened:
// the new journal is created before the file is moved in, so that the move's sync of the
// directory takes its name along), and when the record would take the journal past its share
// of the file.
//
// A Load that finds the file unchanged and its journal grown by records of others replays just
// those on the document, when the document has no edits of its own; else the file and the whole
// journal are merged as any other version of the file. The document that started or wrote a
// journal folds it when it goes (Destroy, or a Load of another file): under the exclusive lock,
// the file and every record of the journal, whoever wrote them, are written as the file, and the
// journal is removed, so that the file alone holds the store once its writers have closed it.
#include <new>
#include <string>
#include <utility>

#include "xmldoc/store_file_lock.h"
#include "xmldoc/xml_document.h"
#include "xmldoc/xml_serializer.h"

namespace pelok {

bool XmlDocument::HeldFilesUnchanged(const char* file) {
  return FileHoldsBase(file) && (journal_path_.empty() || JournalUnchanged(journal_path_, journal_));
}

bool XmlDocument::ReadStore(const char* path, bool locked, std::string* bytes, DocumentStamp* stamp,
                            uint64_t* read_at, ContentHash* hash, JournalContent* journal) {
  StoreFileLock lock;
  if (!locked) lock.Acquire(FinalPath(path), false, kLockWaitMilliseconds);
  *read_at = SystemTimeNow();
  if (!ReadWholeFile(path, bytes, stamp)) return false;
  *hash = HashContent(*bytes);
  *journal = JournalContent();
  if (journal_path_.empty()) return true;
  // A journal that cannot be read is no journal to replay; the next writer moves it aside.
  if (!ReadJournal(journal_path_, *hash, journal)) journal->state = JournalContent::State::kForeign;
  return true;
}

bool XmlDocument::TakeInJournalRecords(JournalContent* journal) {
  if (!journal->current() && !journal_.current()) {
    journal_ = std::move(*journal);
    return true;
  }
  // Records of others only continue what the document holds in the same journal.
  if (!journal->current() || !journal_.current() || journal->id != journal_.id ||
      journal->records.size() < journal_.records.size() ||
      journal->ops.compare(0, journal_.ops.size(), journal_.ops) != 0) {
    return false;
  }
  if (journal->records.size() > journal_.records.size()) {
    // Edits of its own would have to be merged with theirs.
    if (changed_) return false;
    level_ = document_;
    child_ = pugi::xml_node();
    Edited();
    size_t from = journal_.ops.size();
    for (size_t i = journal_.records.size(); i < journal->records.size(); ++i) {
      const size_t to = journal->records[i].ops_end;
      // One that does not fit: the tree is built again from the file, by the merge.
      if (!ReplayEdits(document_, &index_, journal->ops.data() + from, to - from)) return false;
      from = to;
    }
  }
  journal_ = std::move(*journal);
  return true;
}

uint64_t XmlDocument::JournalLimit() const {
  const uint64_t share = base_.size() / kJournalFoldShareDivisor;
  return share > kJournalFoldMinimum ? share : kJournalFoldMinimum;
}

int XmlDocument::SaveToJournal() {
  if (journal_path_.empty() || log_.lost() || base_.empty()) return -1;
  if (!journal_.current() || journal_.damaged_tail || journal_.size != journal_.end) {
    if (!RepairJournal(journal_path_, &journal_) || !journal_.current()) return -1;
  }
  if (!log_.ops().empty()) {
    if (journal_.end + log_.ops().size() + kJournalRecordFrame > JournalLimit()) return -1;
    const int appended = AppendJournalRecord(journal_path_, held_file_, log_.ops(), &journal_);
    if (appended <= 0) return appended;
    journal_touched_ = true;
  }
  // Otherwise every edit failed before it changed the tree: nothing to write.
  log_.Clear();
  changed_ = false;
  awaited_content_ = true;
  return 1;
}

void XmlDocument::TidyJournal(bool restart, const std::string& final_path) {
  if (journal_path_.empty() || !FileHoldsBase(held_file_.c_str())) return;
  JournalContent found;
  if (!ReadJournal(journal_path_, held_hash_, &found)) return;
  // Others may have gone on meanwhile: only the journal as the write left it is changed.
  const bool left = found.state == JournalContent::State::kObsolete ||
                    (!restart && found.state == JournalContent::State::kStale);
  if (!left) return;
  if (restart && StartJournal(journal_path_, final_path, held_hash_, &journal_)) {
    journal_touched_ = true;
    return;
  }
  // Without a journal every save writes the whole file.
  RemoveJournal(journal_path_);
  journal_ = JournalContent();
}

void XmlDocument::CloseJournal() {
  if (!journal_touched_ || held_file_.empty() || journal_path_.empty()) return;
  journal_touched_ = false;
  try {
    const std::string final_path = FinalPath(held_file_.c_str());
    if (JournalPath(final_path) != journal_path_) return;
    StoreFileLock lock;
    if (!lock.Acquire(final_path, true, kLockWaitMilliseconds)) return;
    std::string bytes;
    DocumentStamp stamp;
    uint64_t read_at = 0;
    ContentHash hash;
    JournalContent journal;
    if (!ReadStore(held_file_.c_str(), true, &bytes, &stamp, &read_at, &hash, &journal)) return;
    if (journal.current() && !journal.records.empty()) {
      pugi::xml_document content;
      if (BuildStoreContent(bytes, &journal, &content) != pugi::status_ok) return;
      // Damage is copied aside before the journal goes.
      if (!RepairJournal(journal_path_, &journal)) return;
      std::string text;
      SerializeDocument(content, &text);
      MarkJournalFolded(journal_path_, HashContent(text), &journal);
      const ContentSource source = [&text](ContentWriter* writer) {
        return writer->Write(text.data(), text.size());
      };
      if (!ReplaceFileContent(final_path.c_str(), source)) return;
      // The new file is another file to lock; the journal goes if it is still the one marked.
      if (!lock.Acquire(final_path, true, kLockWaitMilliseconds)) return;
      JournalContent left;
      if (ReadJournal(journal_path_, HashContent(text), &left) &&
          left.state == JournalContent::State::kObsolete) {
        RemoveJournal(journal_path_);
      }
      return;
    }
    // Nothing to fold: an empty journal goes, one that is not the file's is set aside.
    if (RepairJournal(journal_path_, &journal) && journal.current()) RemoveJournal(journal_path_);
  } catch (const std::bad_alloc&) {
    // The journal stays; the next open of the store replays it.
  }
}

}  // namespace pelok

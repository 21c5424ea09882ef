// XmlDocument: life, loading and saving, and sharing one file among processes.
//
// Any number of processes may hold documents of one file and save them; nothing a completed
// Save wrote is lost, and a document sees the others' completed saves at its next Load:
//  - The base. The document keeps the bytes the held file had when the document last matched it
//    (read it, or wrote it), with their stamp and hash.
//  - Save takes the file's exclusive lock (xmldoc/store_file_lock.h: LockFileEx, flock, of the
//    file itself on POSIX; a named mutex on Windows), waiting at most kLockWaitMilliseconds, so
//    that saves of one file follow each other; the lock is held for the read-merge-write only.
//    Under it: if the file no longer holds the base, the file is read (theirs) and merged three-way
//    into the document (xmldoc/document_merge.h): what only one side changed is taken from that
//    side, so different values written by different processes all survive; where both changed
//    one value, this document's is taken, since its write completes later. The result is then
//    written, as one record appended to the file's journal when it can be (see the journal
//    below), else as a whole new file moved over the old one (xmldoc/document_file.h: a
//    temporary created exclusively under an unpredictable name, never through a link, flushed,
//    with the old file's mode and owner; the target of a symbolic link is written and the link
//    stays; a file with several hard links, or an owner this process cannot give away, is
//    written in place, keeping its links and owner). The written bytes become the base.
//  - A Save of a document unchanged since it last matched the file writes nothing at all,
//    whatever the file's stamp says: it has nothing of its own that the file lacks, and writing
//    would only revert what others saved since.
//  - Load of the held file (the store loads before every key operation, and opening a key runs
//    its CreateKeyPath, which loads) looks at the file's stamp; when the file no longer holds
//    the base it is read under the shared lock and merged in the same way, the document's own
//    unsaved edits staying on top. A file that cannot be read or parsed at that moment leaves
//    the document as it is. A held file that is empty, as the one that another process has
//    just created and not yet filled, is waited for once, for a moment.
//  - The first Load of a file removes, under the exclusive lock (taken only if free within a
//    moment), the temporary files that killed saves left beside it.
//  - The journal (xmldoc/store_journal.h, xmldoc/xml_document_journal.cpp). The store is the
//    file and the records of its journal; the base is then the file's bytes and what the
//    document holds of the journal. Every read above reads both in one hold of the lock, and the
//    merge takes their records into theirs and into the base alike.
//  - Failures. Without the lock (a file system without locks, another process holding it for
//    too long), Load still reads
//    without it, and Save writes nothing and returns 0, with the last error saying why
//    (ERROR_LOCK_VIOLATION when the wait ran out). A held file that another process deleted is
//    written afresh from the document by the next Save that has changes; one replaced by
//    another valid file is merged like any later version; one that does not parse is never
//    overwritten: that Save returns 0 and the file stays as it is.
#include "xmldoc/xml_document.h"

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "pelok/export.h"
#include "platform/win32_api.h"
#include "xmldoc/document_file.h"
#include "xmldoc/document_merge.h"
#include "xmldoc/store_file_lock.h"
#include "xmldoc/xml_serializer.h"

namespace pelok {

namespace {

std::atomic<int> live_documents{0};

// How long a Load waits for an empty held file to be filled by the process that created it.
constexpr DWORD kNewFileWaitMilliseconds = 2000;
// How long the first Load of a file waits for the lock under which it removes leftovers.
constexpr DWORD kCleanupLockWaitMilliseconds = 50;

}  // namespace

XmlDocument::XmlDocument() : level_(document_) { ++live_documents; }

XmlDocument::~XmlDocument() { --live_documents; }

int XmlDocument::LiveCount() { return live_documents.load(); }

void XmlDocument::Destroy(int /*force*/) {
  CloseJournal();
  delete this;
}

pugi::xml_node XmlDocument::CurrentElement() const {
  if (child_) return child_;
  return level_.type() == pugi::node_element ? level_ : pugi::xml_node();
}

void XmlDocument::Clear() {
  document_.reset();
  index_.Clear();
  level_ = document_;
  child_ = pugi::xml_node();
  held_file_.clear();
  base_.clear();
  held_stamp_ = DocumentStamp();
  changed_ = false;
  awaited_content_ = false;
  journal_path_.clear();
  journal_ = JournalContent();
  log_.Clear();
  journal_touched_ = false;
  Edited();
}

void XmlDocument::Matched(std::string bytes, const DocumentStamp& stamp, uint64_t at) {
  held_hash_ = HashContent(bytes);
  base_ = std::move(bytes);
  held_stamp_ = stamp;
  held_matched_at_ = at;
  log_.Clear();
  log_.set_limit(static_cast<size_t>(JournalLimit()));
}

bool XmlDocument::FileHoldsBase(const char* file) {
  if (!held_stamp_.valid) return false;
  if (StampFile(file) != held_stamp_) return false;
  if (held_stamp_.SettledBefore(held_matched_at_)) return true;
  // Written within the stamp's granularity of the moment the document matched it: another
  // write in that moment would have left the stamp as it is, so only the content can tell.
  const uint64_t checked_at = SystemTimeNow();
  ContentHash hash;
  DocumentStamp stamp;
  if (!HashFile(file, &hash, &stamp) || stamp != held_stamp_ || hash != held_hash_) return false;
  held_matched_at_ = checked_at;
  return true;
}

void XmlDocument::MergeFrom(std::string theirs, JournalContent journal, const DocumentStamp& stamp,
                            uint64_t at) {
  pugi::xml_document their_document;
  const pugi::xml_parse_status parsed = BuildStoreContent(theirs, &journal, &their_document);
  if (parsed == pugi::status_out_of_memory) throw std::bad_alloc();
  if (parsed != pugi::status_ok) throw std::invalid_argument("unparsable");
  // Every handle into the tree may be gone after the merge.
  index_.Clear();
  level_ = document_;
  child_ = pugi::xml_node();
  Edited();
  const bool edited = changed_;
  if (!edited) {
    // Nothing of its own: the document becomes theirs.
    document_.reset(their_document);
  } else {
    pugi::xml_document base_document;
    JournalContent base_journal = journal_;
    const pugi::xml_parse_status parsed = BuildStoreContent(base_, &base_journal, &base_document);
    if (parsed == pugi::status_out_of_memory) throw std::bad_alloc();
    if (parsed != pugi::status_ok) throw std::invalid_argument("unparsable base");
    MergeInto(document_, base_document, their_document);
  }
  Matched(std::move(theirs), stamp, at);
  journal_ = std::move(journal);
  // What the merge made of the document's edits is no list of them.
  if (edited) log_.Lose();
}

bool XmlDocument::TakeInFileChanges(const char* file, bool locked, bool* missing) {
  *missing = false;
  std::string theirs;
  DocumentStamp stamp;
  uint64_t read_at = 0;
  ContentHash hash;
  JournalContent journal;
  if (!ReadStore(file, locked, &theirs, &stamp, &read_at, &hash, &journal)) {
    *missing = GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES;
    return false;
  }
  if (hash == held_hash_ && TakeInJournalRecords(&journal)) {
    held_stamp_ = stamp;
    held_matched_at_ = read_at;
    return true;
  }
  try {
    MergeFrom(std::move(theirs), std::move(journal), stamp, read_at);
  } catch (const std::invalid_argument&) {
    return false;
  }
  return true;
}

void XmlDocument::AwaitContentOfNewFile(const char* file) {
  if (awaited_content_ || changed_ || !base_.empty()) return;
  awaited_content_ = true;
  const uint64_t deadline = SystemTimeNow() + uint64_t{kNewFileWaitMilliseconds} * 10000;
  for (;;) {
    const DocumentStamp now = StampFile(file);
    if (!now.valid || now.size != 0 || SystemTimeNow() >= deadline) return;
    Sleep(2);
  }
}

void XmlDocument::TakeInContentOfNewFile() {
  if (held_file_.empty() || changed_ || !base_.empty() || awaited_content_) return;
  try {
    const std::string file = held_file_;
    AwaitContentOfNewFile(file.c_str());
    bool missing = false;
    if (!HeldFilesUnchanged(file.c_str())) TakeInFileChanges(file.c_str(), false, &missing);
  } catch (const std::bad_alloc&) {
    // Left empty.
  }
  level_ = document_;
  child_ = pugi::xml_node();
}

int XmlDocument::Load(const char* file) {
  if (file == nullptr || file[0] == '\0') return 0;
  // The store loads before every operation: the document it holds is that file's content plus
  // the edits made since, which must survive until the next Save; what others saved meanwhile
  // joins them.
  if (!held_file_.empty() && held_file_ == file) {
    try {
      AwaitContentOfNewFile(file);
      bool missing = false;
      if (!HeldFilesUnchanged(file)) TakeInFileChanges(file, false, &missing);
    } catch (const std::bad_alloc&) {
      // The document stays as it was; the next Load or Save tries again.
    }
    ResetPos();
    load_outcome_ = kPelXmlLoaded;
    return 1;
  }
  CloseJournal();
  Clear();
  // Until the file has been read whole, nothing is known about its content.
  load_outcome_ = kPelXmlUnreadable;
  try {
    load_outcome_ = ReadDocument(file);
    if (load_outcome_ == kPelXmlLoaded) {
      held_file_ = file;
      unreadable_file_.clear();
      refuse_every_save_ = false;
      return 1;
    }
    unreadable_file_ = file;
  } catch (const std::bad_alloc&) {
    // Not even the name of the file could be kept: no file is written until a Load succeeds.
    refuse_every_save_ = true;
  }
  Clear();
  return 0;
}

PelXmlLoadOutcome XmlDocument::ReadDocument(const char* file) {
  const std::string final_path = FinalPath(file);
  journal_path_ = JournalPath(final_path);
  std::string bytes;
  DocumentStamp stamp;
  uint64_t read_at = 0;
  ContentHash hash;
  JournalContent journal;
  {
    // Opening a file is when the leftovers of saves that were killed go, and a journal that
    // does not belong to the file is set aside; only with the lock, under which no save is
    // under way.
    StoreFileLock lock;
    const bool exclusive = lock.Acquire(final_path, true, kCleanupLockWaitMilliseconds);
    if (exclusive) RemoveLeftoverTemporaries(final_path);
    if (!ReadStore(file, exclusive, &bytes, &stamp, &read_at, &hash, &journal)) {
      return kPelXmlUnreadable;
    }
    if (exclusive && !journal_path_.empty()) RepairJournal(journal_path_, &journal);
  }
  // Zero bytes are an empty document.
  const pugi::xml_parse_status parsed = BuildStoreContent(bytes, &journal, &document_);
  ResetPos();
  // A parse that ran out of memory says nothing about the bytes.
  if (parsed == pugi::status_out_of_memory) return kPelXmlUnreadable;
  if (parsed != pugi::status_ok) return kPelXmlDamaged;
  changed_ = false;
  Matched(std::move(bytes), stamp, read_at);
  journal_ = std::move(journal);
  return kPelXmlLoaded;
}

int XmlDocument::Save(const char* file) {
  if (file == nullptr || file[0] == '\0' || refuse_every_save_) return 0;
  // After a failed Load the document is not that file's content: writing it would destroy a
  // file that merely could not be read at that moment.
  if (!unreadable_file_.empty() && unreadable_file_ == file) return 0;
  // Nodes without a document element would not load back.
  if (document_.first_child() && !document_.document_element()) return 0;
  // Nothing of its own to write: writing would only put back what others changed since.
  if (!held_file_.empty() && held_file_ == file && !changed_) return 1;
  try {
    // The document moves to another file: the journal it wrote goes into the one it leaves.
    if (held_file_ != file) CloseJournal();
    const std::string final_path = FinalPath(file);
    StoreFileLock lock;
    // A file that does not exist yet has nothing to lock: the store creates its file
    // exclusively before the first save, so only a save to a new file of its own goes unlocked.
    if (!lock.Acquire(final_path, true, kLockWaitMilliseconds) &&
        lock.error() != ERROR_FILE_NOT_FOUND) {
      SetLastError(lock.error());
      return 0;
    }
    const int saved = SaveLocked(file, final_path);
    // The move of a whole write put a file at the path that nobody had locked: the journal is
    // set right for it only under a lock of that file.
    const int after = journal_after_write_;
    journal_after_write_ = 0;
    if (saved && after != 0 && lock.Acquire(final_path, true, kLockWaitMilliseconds)) {
      TidyJournal(after == 1, final_path);
    }
    return saved;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int XmlDocument::SaveLocked(const char* file, const std::string& final_path) {
  const bool held = !held_file_.empty() && held_file_ == file;
  bool missing = false;
  if (held && !HeldFilesUnchanged(file)) {
    // Deleted: the document is written afresh. Unreadable or not XML: never overwritten.
    if (!TakeInFileChanges(file, true, &missing) && !missing) {
      SetLastError(ERROR_INVALID_DATA);
      return 0;
    }
  }
  if (held && !missing) {
    const int journaled = SaveToJournal();
    if (journaled >= 0) return journaled;
  }
  // The whole text first, so that the journal can name the file it makes before it is moved in.
  // It is kept as the next base.
  std::string bytes;
  SerializeDocument(document_, &bytes);
  const ContentHash hash = HashContent(bytes);
  const std::string journal_path = JournalPath(final_path);
  // A journal that goes on past this write: marked, so that it is known for obsolete should the
  // file be replaced and the journal not started afresh; or created now, so that the move's
  // sync of the directory takes it along.
  JournalContent journal;
  bool created = false;
  if (held && journal_path == journal_path_ && !journal_path.empty() && !bytes.empty()) {
    if (!journal_.current()) RepairJournal(journal_path, &journal_);
    if (journal_.current()) {
      MarkJournalFolded(journal_path, hash, &journal_);
    } else if (GetFileAttributesA(journal_path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      created = StartJournal(journal_path, final_path, hash, &journal);
    }
  }
  const ContentSource source = [&bytes](ContentWriter* writer) {
    return writer->Write(bytes.data(), bytes.size());
  };
  DocumentStamp stamp;
  if (!ReplaceFileContent(final_path.c_str(), source, &stamp)) {
    if (created) RemoveJournal(journal_path);
    return 0;
  }
  held_file_ = file;
  changed_ = false;
  awaited_content_ = true;
  Matched(std::move(bytes), stamp, SystemTimeNow());
  const bool restart = journal_.current();
  journal_path_ = journal_path;
  journal_ = std::move(journal);
  if (created) {
    journal_touched_ = true;
  } else if (restart) {
    journal_after_write_ = 1;
  } else if (!held && !journal_path.empty()) {
    // Another file written over this one: a journal of it extends what is no longer there.
    journal_after_write_ = 2;
  }
  return 1;
}

}  // namespace pelok

// The marker of util/pelxml_load_outcome.h: the module that holds XmlDocument's code answers
// for slot 6 of its documents. It stands beside the class rather than with the module's other
// exports, so that every program that builds the class in (the registry built into a test) vouches
// for it alike.
extern "C" PELOK_EXPORT int PelXmlDocumentLoadOutcomeSlot() { return pelok::kPelXmlMarkerAnswer; }

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
//    written as a whole new file and moved over the old one (xmldoc/document_file.h: a
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

// Hands the document's text to the file and keeps it as the next base; after a piece fails,
// takes no more.
class FileSink : public TextSink {
 public:
  FileSink(ContentWriter* writer, std::string* bytes) : writer_(writer), bytes_(bytes) {}
  void Write(const char* text, size_t length) override {
    if (!ok_) return;
    bytes_->append(text, length);
    ok_ = writer_->Write(text, length);
  }
  bool ok() const { return ok_; }

 private:
  ContentWriter* writer_;
  std::string* bytes_;
  bool ok_ = true;
};

// Reads the file at path, under its shared lock when that can be had and the caller does not
// hold the exclusive one already; false when it cannot be read. Stamp and time as ReadWholeFile
// gives them.
bool ReadShared(const char* path, bool locked, std::string* bytes, FileStamp* stamp,
                uint64_t* read_at) {
  StoreFileLock lock;
  if (!locked) lock.Acquire(FinalPath(path), false, kLockWaitMilliseconds);
  *read_at = SystemTimeNow();
  return ReadWholeFile(path, bytes, stamp);
}

}  // namespace

XmlDocument::XmlDocument() : level_(document_) { ++live_documents; }

XmlDocument::~XmlDocument() { --live_documents; }

int XmlDocument::LiveCount() { return live_documents.load(); }

void XmlDocument::Destroy(int /*force*/) { delete this; }

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
  held_stamp_ = FileStamp();
  changed_ = false;
  awaited_content_ = false;
  Edited();
}

void XmlDocument::Matched(std::string bytes, const FileStamp& stamp, uint64_t at) {
  held_hash_ = HashContent(bytes);
  base_ = std::move(bytes);
  held_stamp_ = stamp;
  held_matched_at_ = at;
}

bool XmlDocument::FileHoldsBase(const char* file) {
  if (!held_stamp_.valid) return false;
  if (StampFile(file) != held_stamp_) return false;
  if (held_stamp_.SettledBefore(held_matched_at_)) return true;
  // Written within the stamp's granularity of the moment the document matched it: another
  // write in that moment would have left the stamp as it is, so only the content can tell.
  const uint64_t checked_at = SystemTimeNow();
  ContentHash hash;
  FileStamp stamp;
  if (!HashFile(file, &hash, &stamp) || stamp != held_stamp_ || hash != held_hash_) return false;
  held_matched_at_ = checked_at;
  return true;
}

void XmlDocument::MergeFrom(std::string theirs, const FileStamp& stamp, uint64_t at) {
  pugi::xml_document their_document;
  if (!theirs.empty()) {
    const pugi::xml_parse_status parsed = ParseDocument(theirs, &their_document);
    if (parsed == pugi::status_out_of_memory) throw std::bad_alloc();
    if (parsed != pugi::status_ok) throw std::invalid_argument("unparsable");
  }
  // Every handle into the tree may be gone after the merge.
  index_.Clear();
  level_ = document_;
  child_ = pugi::xml_node();
  Edited();
  if (!changed_) {
    // Nothing of its own: the document becomes theirs.
    document_.reset(their_document);
  } else {
    pugi::xml_document base_document;
    const pugi::xml_parse_status parsed =
        base_.empty() ? pugi::status_ok : ParseDocument(base_, &base_document);
    if (parsed == pugi::status_out_of_memory) throw std::bad_alloc();
    if (parsed != pugi::status_ok) throw std::invalid_argument("unparsable base");
    MergeInto(document_, base_document, their_document);
  }
  Matched(std::move(theirs), stamp, at);
}

bool XmlDocument::TakeInFileChanges(const char* file, bool locked, bool* missing) {
  *missing = false;
  std::string theirs;
  FileStamp stamp;
  uint64_t read_at = 0;
  if (!ReadShared(file, locked, &theirs, &stamp, &read_at)) {
    *missing = GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES;
    return false;
  }
  if (HashContent(theirs) == held_hash_) {
    held_stamp_ = stamp;
    held_matched_at_ = read_at;
    return true;
  }
  try {
    MergeFrom(std::move(theirs), stamp, read_at);
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
    const FileStamp now = StampFile(file);
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
    if (!FileHoldsBase(file.c_str())) TakeInFileChanges(file.c_str(), false, &missing);
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
      if (!FileHoldsBase(file)) TakeInFileChanges(file, false, &missing);
    } catch (const std::bad_alloc&) {
      // The document stays as it was; the next Load or Save tries again.
    }
    ResetPos();
    load_outcome_ = kPelXmlLoaded;
    return 1;
  }
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
  {
    // Opening a file is when the leftovers of saves that were killed go; only with the lock,
    // under which no save is under way.
    const std::string final_path = FinalPath(file);
    StoreFileLock lock;
    if (lock.Acquire(final_path, true, kCleanupLockWaitMilliseconds)) {
      RemoveLeftoverTemporaries(final_path);
    }
  }
  std::string bytes;
  FileStamp stamp;
  uint64_t read_at = 0;
  if (!ReadShared(file, false, &bytes, &stamp, &read_at)) return kPelXmlUnreadable;
  // Zero bytes are an empty document.
  if (!bytes.empty()) {
    const pugi::xml_parse_status parsed = ParseDocument(bytes, &document_);
    ResetPos();
    // A parse that ran out of memory says nothing about the bytes.
    if (parsed == pugi::status_out_of_memory) return kPelXmlUnreadable;
    if (parsed != pugi::status_ok) return kPelXmlDamaged;
  }
  changed_ = false;
  Matched(std::move(bytes), stamp, read_at);
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
    const std::string final_path = FinalPath(file);
    StoreFileLock lock;
    // A file that does not exist yet has nothing to lock: the store creates its file
    // exclusively before the first save, so only a save to a new file of its own goes unlocked.
    if (!lock.Acquire(final_path, true, kLockWaitMilliseconds) &&
        lock.error() != ERROR_FILE_NOT_FOUND) {
      SetLastError(lock.error());
      return 0;
    }
    return SaveLocked(file, final_path);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int XmlDocument::SaveLocked(const char* file, const std::string& final_path) {
  const bool held = !held_file_.empty() && held_file_ == file;
  if (held && !FileHoldsBase(file)) {
    bool missing = false;
    // Deleted: the document is written afresh. Unreadable or not XML: never overwritten.
    if (!TakeInFileChanges(file, true, &missing) && !missing) {
      SetLastError(ERROR_INVALID_DATA);
      return 0;
    }
  }
  // The text goes to the file as it is made, and is kept as the next base.
  std::string bytes;
  const ContentSource source = [this, &bytes](ContentWriter* writer) {
    bytes.clear();
    FileSink sink(writer, &bytes);
    SerializeDocument(document_, &sink);
    return sink.ok();
  };
  FileStamp stamp;
  if (!ReplaceFileContent(final_path.c_str(), source, &stamp)) return 0;
  held_file_ = file;
  changed_ = false;
  awaited_content_ = true;
  Matched(std::move(bytes), stamp, SystemTimeNow());
  return 1;
}

}  // namespace pelok

// The marker of util/pelxml_load_outcome.h: the module that holds XmlDocument's code answers
// for slot 6 of its documents. It stands beside the class rather than with the module's other
// exports, so that every program that builds the class in (the registry built into a test) vouches
// for it alike.
extern "C" PELOK_EXPORT int PelXmlDocumentLoadOutcomeSlot() { return pelok::kPelXmlMarkerAnswer; }

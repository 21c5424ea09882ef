// The journal beside a store file: what saves added since the file was last written whole.
//
// Rewriting and syncing the whole file on every save costs what the store holds, not what
// changed. So a save of a document whose file it has read appends a record instead: the edits
// made since (xmldoc/edit_log.h, a few dozen bytes for a new key or value), written and synced
// once at the end of "<store file>.journal". The store is the file with the journal's records
// replayed in order; the file alone is written again (folded: the whole document, in the file's
// ordinary format, the journal started afresh) when the journal has grown past half the file
// (and 64 KiB), and when the document that wrote records is destroyed, which then removes the
// journal: a closed store is its XML file alone.
//
// The file:
//   header (64 bytes): "PelXml journal1\n", the journal's id (random, new at every start), the
//     content hash of the store file it extends (size and both lanes), and the hash of those 32
//     bytes.
//   records: the length of the operations (4 bytes), the operations, and the hash (both lanes)
//     of the id, the record's offset, the length and the operations.
// All numbers little-endian. The id and the offset in every record's hash keep a record of
// another journal, or one moved within this one, from being taken.
//
// What a reader makes of what it finds (ReadJournal), against the store file it has just read
// under the same lock:
//   - current: the header names exactly that file; the records up to the first one that is cut
//     short or fails its hash are replayed. A record cut short at the end of the file is an
//     append that was killed before it ended (its save never returned) and is dropped; any other
//     bytes after the last good record are damage, which the next writer copies aside to
//     "<journal>.damaged-<hex>" before it appends behind the good records.
//   - obsolete: a fold mark (a record that only names a file's hash, written just before a fold
//     replaces the store file) names the file there now, or the journal holds no record at all:
//     everything it held is in the file. Removed by the next writer.
//   - stale or foreign: the header names another file (a store file newer than its journal, or
//     one without its journal: a copy, a restore) or is not a journal header. Its records are
//     never replayed on a file they were not written for; the next writer moves the whole
//     journal aside to "<journal>.damaged-<hex>", so that nothing is lost silently.
//
// Every change of the journal is made under the store file's exclusive lock; readers read it
// under the shared lock, in the same hold as the store file.
#ifndef PELOK_XMLDOC_STORE_JOURNAL_H_
#define PELOK_XMLDOC_STORE_JOURNAL_H_

#include <cstddef>
#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "xmldoc/content_hash.h"
#include "xmldoc/document_file.h"

namespace pelok {

constexpr size_t kJournalHeaderSize = 64;
// A record's length before its operations and its hash after them.
constexpr size_t kJournalRecordFrame = 4 + 16;
// The journal is folded into the file once it would pass the larger of these.
constexpr uint64_t kJournalFoldMinimum = 64 * 1024;
constexpr uint64_t kJournalFoldShareDivisor = 2;

// The journal of the store file at path (a final path); empty when its name would not fit the
// system's path limit (such a store is always written whole).
std::string JournalPath(const std::string& final_path);

struct JournalContent {
  enum class State { kMissing, kCurrent, kObsolete, kStale, kForeign };
  State state = State::kMissing;
  uint64_t id = 0;
  // The end of the last good record: what a document holding the journal holds of it.
  uint64_t end = 0;
  // The good records' operations, one after the other, and where each record ends (in the file
  // and in ops), so that a replay that stops at a record can keep those before it.
  std::string ops;
  struct Record {
    uint64_t file_end;
    size_t ops_end;
  };
  std::vector<Record> records;
  // Bytes after end that are not a record cut short by a killed append.
  bool damaged_tail = false;
  uint64_t size = 0;
  DocumentStamp stamp;

  bool current() const { return state == State::kCurrent; }
  // Drops the records from the one at index on, which the replay could not fit: damage.
  void KeepRecords(size_t count);
};

// Reads the journal at path against the store file whose content hashes to file_hash. False
// when it exists and cannot be read (*content then says nothing).
bool ReadJournal(const std::string& path, const ContentHash& file_hash, JournalContent* content);

// Whether the journal at path still looks as content found it (same stamp; both missing).
bool JournalUnchanged(const std::string& path, const JournalContent& content);

// The writer's part, under the store file's exclusive lock.
//
// Puts right what a reader found (content, as ReadJournal gave it): an obsolete journal is
// removed, a stale or foreign one moved aside, a damaged tail copied aside and cut off, a record
// cut short cut off. Afterwards the journal is missing or current with nothing after its end
// (content says which). False when that could not be done.
bool RepairJournal(const std::string& path, JournalContent* content);

// Starts the journal afresh (created, or emptied) for the store file at store_path, whose
// content hashes to file_hash: just the header, with a new id; not synced (the first record's
// sync takes the header with it). *content describes it then. False, with no journal started,
// where none may extend the store file: one that is read-only or has several names, or whose
// access (mode, owner) the journal cannot be given.
bool StartJournal(const std::string& path, const std::string& store_path,
                  const ContentHash& file_hash, JournalContent* content);

// Appends one record of ops at content's end, cutting off anything after it, gives the journal
// the store file's access again and syncs it; content then includes it. 1 done; 0 failed (the
// record is cut off again); -1 nothing written, since no journal may extend the store file now
// (as for StartJournal): the store must be written whole.
int AppendJournalRecord(const std::string& path, const std::string& store_path,
                        const std::string& ops, JournalContent* content);

// Writes a fold mark for the store file content that hashes to file_hash at content's end,
// unsynced: if the store file is replaced and the journal then not removed, the mark tells
// readers that the journal is obsolete.
bool MarkJournalFolded(const std::string& path, const ContentHash& file_hash,
                       JournalContent* content);

// Removes the journal; true when it is gone.
bool RemoveJournal(const std::string& path);

// The store: bytes (a store file's content) parsed into document, with the journal's records
// replayed on it when the journal is current. A record that does not fit the tree ends the
// journal before it (KeepRecords: damage, for the next writer to copy aside). Answers how the
// bytes parsed (status_out_of_memory also when memory ran out while decoding them). Throws
// std::bad_alloc from the replay.
pugi::xml_parse_status BuildStoreContent(const std::string& bytes, JournalContent* journal,
                                         pugi::xml_document* document);

}  // namespace pelok

#endif  // PELOK_XMLDOC_STORE_JOURNAL_H_

#include "xmldoc/store_journal.h"

#include <cstdio>
#include <cstring>

#include "platform/file_access.h"
#include "platform/win32_api.h"
#include "xmldoc/child_name_index.h"
#include "xmldoc/edit_log.h"
#include "xmldoc/scoped_handle.h"
#include "xmldoc/xml_serializer.h"

namespace pelok {

namespace {

constexpr char kJournalSuffix[] = ".journal";
constexpr char kAsideMark[] = ".damaged-";
constexpr char kMagic[16] = {'P', 'e', 'l', 'X', 'm', 'l', ' ', 'j',
                             'o', 'u', 'r', 'n', 'a', 'l', '1', '\n'};
// After the magic: the id and the store file's hash (32 bytes), then their hash (16).
static_assert(sizeof(kMagic) + 32 + 16 == kJournalHeaderSize, "the header's layout");
constexpr uint32_t kLargestRecord = 1u << 30;

// The journal is never opened through a link planted at its name (O_NOFOLLOW on POSIX).
HANDLE OpenJournal(const std::string& path, DWORD disposition, DWORD attributes) {
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, disposition,
                     attributes | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

void PutFixed(char* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

uint64_t GetFixed(const char* in, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) {
    value |= static_cast<uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
  }
  return value;
}

ContentHash RecordHash(uint64_t id, uint64_t offset, const char* ops, size_t size) {
  char prefix[20];
  PutFixed(prefix, id, 8);
  PutFixed(prefix + 8, offset, 8);
  PutFixed(prefix + 16, size, 4);
  ContentHasher hasher;
  hasher.Add(prefix, sizeof(prefix));
  hasher.Add(ops, size);
  return hasher.Finish();
}

std::string MakeHeader(uint64_t id, const ContentHash& file_hash) {
  std::string header(kJournalHeaderSize, '\0');
  std::memcpy(&header[0], kMagic, sizeof(kMagic));
  char* fields = &header[sizeof(kMagic)];
  PutFixed(fields, id, 8);
  PutFixed(fields + 8, file_hash.size, 8);
  PutFixed(fields + 16, file_hash.first, 8);
  PutFixed(fields + 24, file_hash.second, 8);
  const ContentHash check = HashContent(fields, 32);
  PutFixed(fields + 32, check.first, 8);
  PutFixed(fields + 40, check.second, 8);
  return header;
}

std::string MakeRecord(uint64_t id, uint64_t offset, const std::string& ops) {
  std::string record(4, '\0');
  PutFixed(&record[0], ops.size(), 4);
  record += ops;
  const ContentHash check = RecordHash(id, offset, ops.data(), ops.size());
  char hash[16];
  PutFixed(hash, check.first, 8);
  PutFixed(hash + 8, check.second, 8);
  record.append(hash, sizeof(hash));
  return record;
}

bool Seek(HANDLE file, uint64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  const DWORD low = SetFilePointer(file, static_cast<LONG>(offset & 0xffffffffu), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool WriteAt(HANDLE file, uint64_t offset, const std::string& bytes) {
  if (!Seek(file, offset)) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// Cuts the file off at offset when it is longer.
bool CutAt(HANDLE file, uint64_t offset) {
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  if (low == 0xFFFFFFFFu && GetLastError() != NO_ERROR) return false;
  const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
  if (size <= offset) return true;
  return Seek(file, offset) && SetEndOfFile(file);
}

// 0 stands for no journal.
uint64_t NewId() {
  const uint64_t value = UnpredictableNumber();
  return value == 0 ? 1 : value;
}

std::string AsideName(const std::string& path) {
  char suffix[24];
  std::snprintf(suffix, sizeof(suffix), "%016llx", static_cast<unsigned long long>(NewId()));
  return path + kAsideMark + suffix;
}

// Copies the bytes of file from offset to its end into a new file beside path.
bool CopyTailAside(HANDLE file, const std::string& path, uint64_t offset) {
  std::string tail;
  if (!Seek(file, offset)) return false;
  for (;;) {
    char piece[64 * 1024];
    DWORD read = 0;
    if (!ReadFile(file, piece, sizeof(piece), &read, nullptr)) return false;
    if (read == 0) break;
    tail.append(piece, read);
  }
  const std::string aside_path = AsideName(path);
  ScopedHandle aside(OpenJournal(aside_path, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY));
  if (!aside.valid()) return false;
  const bool written = PelokCopyFileAccess(file, aside.get()) && WriteAt(aside.get(), 0, tail) &&
                       FlushFileBuffers(aside.get());
  if (!aside.Close() || !written) {
    DeleteFileA(aside_path.c_str());
    return false;
  }
  return true;
}

// The store file open for reading, when a journal may extend it: a plain file, not read-only (a
// save would be refused), with one name (a journal beside one name would be missed by those
// who read the file by another; such a file is always written whole, in place).
HANDLE OpenJournaledStore(const std::string& store_path) {
  HANDLE store = CreateFileA(store_path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (store == INVALID_HANDLE_VALUE) return store;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(store, &info) || info.nNumberOfLinks != 1 ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    CloseHandle(store);
    return INVALID_HANDLE_VALUE;
  }
  return store;
}

}  // namespace

std::string JournalPath(const std::string& final_path) {
  const size_t longest = final_path.size() + std::strlen(kJournalSuffix) + std::strlen(kAsideMark) + 16;
  if (longest >= MAX_PATH) return std::string();
  return final_path + kJournalSuffix;
}

void JournalContent::KeepRecords(size_t count) {
  if (count >= records.size()) return;
  records.resize(count);
  end = count == 0 ? kJournalHeaderSize : records.back().file_end;
  ops.resize(count == 0 ? 0 : records.back().ops_end);
  damaged_tail = true;
}

bool ReadJournal(const std::string& path, const ContentHash& file_hash, JournalContent* content) {
  *content = JournalContent();
  std::string bytes;
  DocumentStamp stamp;
  if (!ReadWholeFile(path.c_str(), &bytes, &stamp)) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    return true;  // missing
  }
  content->size = bytes.size();
  content->stamp = stamp;
  if (bytes.size() < kJournalHeaderSize) {
    // A header cut short is a start that was killed: it holds nothing.
    const size_t compared = bytes.size() < sizeof(kMagic) ? bytes.size() : sizeof(kMagic);
    content->state = std::memcmp(bytes.data(), kMagic, compared) == 0
                         ? JournalContent::State::kObsolete
                         : JournalContent::State::kForeign;
    return true;
  }
  const char* fields = bytes.data() + sizeof(kMagic);
  const ContentHash check = HashContent(fields, 32);
  if (std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0 ||
      GetFixed(fields + 32, 8) != check.first || GetFixed(fields + 40, 8) != check.second) {
    content->state = JournalContent::State::kForeign;
    return true;
  }
  content->id = GetFixed(fields, 8);
  ContentHash extends;
  extends.size = GetFixed(fields + 8, 8);
  extends.first = GetFixed(fields + 16, 8);
  extends.second = GetFixed(fields + 24, 8);

  bool folded = false;
  uint64_t at = kJournalHeaderSize;
  while (at < bytes.size()) {
    const uint64_t left = bytes.size() - at;
    if (left < 4) break;  // cut short
    const uint32_t length = static_cast<uint32_t>(GetFixed(bytes.data() + at, 4));
    if (length > kLargestRecord) {
      content->damaged_tail = true;
      break;
    }
    if (left < kJournalRecordFrame + length) break;  // cut short
    const char* ops = bytes.data() + at + 4;
    const ContentHash record = RecordHash(content->id, at, ops, length);
    if (GetFixed(ops + length, 8) != record.first || GetFixed(ops + length + 8, 8) != record.second) {
      content->damaged_tail = true;
      break;
    }
    uint64_t mark_size = 0, mark_first = 0, mark_second = 0;
    if (IsFoldMark(ops, length, &mark_size, &mark_first, &mark_second) &&
        mark_size == file_hash.size && mark_first == file_hash.first &&
        mark_second == file_hash.second) {
      folded = true;
    }
    content->ops.append(ops, length);
    at += kJournalRecordFrame + length;
    content->records.push_back(JournalContent::Record{at, content->ops.size()});
  }
  content->end = at;
  if (folded) {
    content->state = JournalContent::State::kObsolete;
  } else if (extends == file_hash) {
    content->state = JournalContent::State::kCurrent;
  } else if (content->records.empty() && !content->damaged_tail) {
    content->state = JournalContent::State::kObsolete;
  } else {
    content->state = JournalContent::State::kStale;
  }
  return true;
}

bool JournalUnchanged(const std::string& path, const JournalContent& content) {
  const DocumentStamp now = StampFile(path.c_str());
  if (content.state == JournalContent::State::kMissing) return !now.valid;
  return now == content.stamp;
}

bool RepairJournal(const std::string& path, JournalContent* content) {
  switch (content->state) {
    case JournalContent::State::kMissing:
      return true;
    case JournalContent::State::kObsolete:
      if (!RemoveJournal(path)) return false;
      *content = JournalContent();
      return true;
    case JournalContent::State::kStale:
    case JournalContent::State::kForeign:
      // Kept whole beside the store, under a name no save ever takes.
      if (!MoveFileExA(path.c_str(), AsideName(path).c_str(), 0)) return false;
      *content = JournalContent();
      return true;
    case JournalContent::State::kCurrent:
      break;
  }
  if (content->size == content->end && !content->damaged_tail) return true;
  ScopedHandle file(OpenJournal(path, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  if (!file.valid()) return false;
  if (content->damaged_tail && content->size > content->end &&
      !CopyTailAside(file.get(), path, content->end)) {
    return false;
  }
  if (!CutAt(file.get(), content->end) || !file.Close()) return false;
  content->damaged_tail = false;
  content->size = content->end;
  content->stamp = StampFile(path.c_str());
  return true;
}

bool StartJournal(const std::string& path, const std::string& store_path,
                  const ContentHash& file_hash, JournalContent* content) {
  *content = JournalContent();
  ScopedHandle store(OpenJournaledStore(store_path));
  if (!store.valid()) return false;
  HANDLE opened = OpenJournal(path, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY);
  if (opened == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    opened = OpenJournal(path, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  }
  ScopedHandle file(opened);
  if (!file.valid()) return false;
  // It holds what the store holds: the same access, or no journal.
  if (!PelokCopyFileAccess(store.get(), file.get()) || !CutAt(file.get(), 0)) return false;
  const uint64_t id = NewId();
  if (!WriteAt(file.get(), 0, MakeHeader(id, file_hash))) return false;
  if (!file.Close()) return false;
  content->state = JournalContent::State::kCurrent;
  content->id = id;
  content->end = content->size = kJournalHeaderSize;
  content->stamp = StampFile(path.c_str());
  return true;
}

int AppendJournalRecord(const std::string& path, const std::string& store_path,
                        const std::string& ops, JournalContent* content) {
  if (!content->current() || ops.size() > kLargestRecord) return -1;
  ScopedHandle store(OpenJournaledStore(store_path));
  if (!store.valid()) return -1;
  ScopedHandle file(OpenJournal(path, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  if (!file.valid()) return 0;
  // The store's access may have changed since the journal was started.
  if (!PelokCopyFileAccess(store.get(), file.get())) return -1;
  const std::string record = MakeRecord(content->id, content->end, ops);
  const uint64_t end = content->end + record.size();
  if (!WriteAt(file.get(), content->end, record) || !CutAt(file.get(), end) ||
      !FlushFileBuffers(file.get())) {
    // A failed save leaves nothing that a reader would take.
    CutAt(file.get(), content->end);
    content->stamp = DocumentStamp();
    return 0;
  }
  if (!file.Close()) return 0;
  // Stamped once closed (the lock keeps others out), since some systems set the write time then.
  const DocumentStamp stamp = StampFile(path.c_str());
  content->ops += ops;
  content->records.push_back(JournalContent::Record{end, content->ops.size()});
  content->end = content->size = end;
  content->stamp = stamp;
  return 1;
}

bool MarkJournalFolded(const std::string& path, const ContentHash& file_hash,
                       JournalContent* content) {
  if (!content->current()) return false;
  std::string mark;
  AppendFoldMark(&mark, file_hash.size, file_hash.first, file_hash.second);
  ScopedHandle file(OpenJournal(path, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  if (!file.valid()) return false;
  const std::string record = MakeRecord(content->id, content->end, mark);
  const bool written = WriteAt(file.get(), content->end, record) &&
                       CutAt(file.get(), content->end + record.size());
  content->stamp = DocumentStamp();
  return file.Close() && written;
}

bool RemoveJournal(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

pugi::xml_parse_status BuildStoreContent(const std::string& bytes, JournalContent* journal,
                                         pugi::xml_document* document) {
  // A second round only when a record did not fit: the first left the tree half changed.
  for (;;) {
    document->reset();
    if (!bytes.empty()) {
      const pugi::xml_parse_status parsed = ParseDocument(bytes, document);
      if (parsed != pugi::status_ok) return parsed;
    }
    if (!journal->current()) return pugi::status_ok;
    ChildNameIndex index;
    size_t applied = 0;
    size_t from = 0;
    for (const JournalContent::Record& record : journal->records) {
      if (!ReplayEdits(*document, &index, journal->ops.data() + from, record.ops_end - from)) break;
      from = record.ops_end;
      ++applied;
    }
    if (applied == journal->records.size()) return pugi::status_ok;
    journal->KeepRecords(applied);
  }
}

}  // namespace pelok

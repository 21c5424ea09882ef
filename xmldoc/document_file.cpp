#include "xmldoc/document_file.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <random>

#include "pelok/path_name.h"
#include "platform/file_access.h"
#include "platform/file_information.h"
#include "platform/file_stamp.h"
#include "platform/win32_api.h"
#include "xmldoc/scoped_handle.h"

namespace pelok {

namespace {

// Whether the open handle is a file of the disk. Anything else at a document's path (a FIFO, a
// device, a socket) is refused before a byte is read: a FIFO would block the reader until some
// writer came, a device such as /dev/zero would never end. ERROR_BAD_FILE_TYPE then says why.
bool IsDiskFile(HANDLE file) {
  if (GetFileType(file) == FILE_TYPE_DISK) return true;
  SetLastError(ERROR_BAD_FILE_TYPE);
  return false;
}

constexpr DWORD kChunk = 1u << 20;
constexpr DWORD kHashPiece = 64u * 1024;
constexpr DWORD kInvalidFileSize = 0xFFFFFFFFu;

constexpr uint64_t kUnitsPerSecond = 10000000ULL;

uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

DocumentStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  DocumentStamp stamp;
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  stamp.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp.written = FromFileTime(info.ftLastWriteTime);
  stamp.valid = true;
  return stamp;
}

DocumentStamp StampHandle(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return DocumentStamp();
  return StampOf(info);
}

// How long a move over the old file is tried again where another process holding that file
// open for a moment refuses it (a reader's stamp takes microseconds).
constexpr DWORD kMoveRetryMilliseconds = kReplacingAnOpenFileWaits ? 2000 : 0;

constexpr char kTemporaryMark[] = ".pelxml-";
constexpr char kTemporaryEnd[] = ".tmp";
constexpr char kShortTemporaryStart[] = "~pelxml-";

// Mixed into every number, so that two of one process never repeat even if the system's random
// source repeated itself.
std::atomic<unsigned long> number_count{0};

uint64_t Mix(uint64_t value) {
  value ^= value >> 33;
  value *= 0xff51afd7ed558ccdULL;
  value ^= value >> 33;
  value *= 0xc4ceb9fe1a85ec53ULL;
  value ^= value >> 33;
  return value;
}


// Whether path needs the short temporary names: its own with a suffix would pass the limit.
bool NeedsShortNames(const std::string& path) {
  return path.size() + std::strlen(kTemporaryMark) + 16 + std::strlen(kTemporaryEnd) >= MAX_PATH;
}

// The temporary file beside path: the path with a suffix of this save, or, where that would not
// fit the system's path limit (a store file path may take all of it), a short name in the same
// directory, so that the move over the old file stays within one directory.
std::string TemporaryName(const std::string& path) {
  char random[24];
  std::snprintf(random, sizeof(random), "%016llx",
                static_cast<unsigned long long>(UnpredictableNumber()));
  if (!NeedsShortNames(path)) return path + kTemporaryMark + random + kTemporaryEnd;
  return DirectoryOfPathName(path) + kShortTemporaryStart + random + kTemporaryEnd;
}

// Whether name (in the directory) is "<prefix>N.M.tmp" with decimal N and M: the temporary
// names of earlier versions, which open-existing left behind just the same.
bool IsNumberedTemporary(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string rest = name.substr(prefix.size());
  int dots = 0;
  size_t digits = 0;
  const size_t end = rest.size() >= 4 ? rest.size() - 4 : 0;
  if (rest.size() < 4 || rest.compare(end, 4, ".tmp") != 0) return false;
  for (size_t i = 0; i < end; ++i) {
    if (rest[i] == '.') {
      if (digits == 0) return false;
      ++dots;
      digits = 0;
    } else if (std::isdigit(static_cast<unsigned char>(rest[i]))) {
      ++digits;
    } else {
      return false;
    }
  }
  return dots == 1 && digits > 0;
}

// Deletes every plain file of directory whose name matches pattern and that keep accepts.
template <class Keep>
void DeleteMatching(const std::string& directory, const std::string& pattern, Keep keep) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((directory + pattern).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  try {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
      if (keep(std::string(found.cFileName))) DeleteFileA((directory + found.cFileName).c_str());
    } while (FindNextFileA(find, &found));
  } catch (const std::bad_alloc&) {
    // The rest stays for the next open.
  }
  FindClose(find);
}

bool WriteAll(HANDLE file, const char* bytes, size_t size) {
  size_t done = 0;
  while (done < size) {
    const size_t left = size - done;
    const DWORD piece = left < kChunk ? static_cast<DWORD>(left) : kChunk;
    DWORD written = 0;
    if (!WriteFile(file, bytes + done, piece, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// Writes what the source makes into an open file.
class HandleWriter : public ContentWriter {
 public:
  explicit HandleWriter(HANDLE file) : file_(file) {}
  bool Write(const char* bytes, size_t size) override { return WriteAll(file_, bytes, size); }

 private:
  HANDLE file_;
};

// Whether writing the content into the existing file itself worked; only done for a file that
// is empty, which is all it can lose.
bool WriteIntoEmptyFile(const char* path, const ContentSource& source) {
  ScopedHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  DWORD high = 0;
  if (GetFileSize(file.get(), &high) != 0 || high != 0) return false;
  HandleWriter writer(file.get());
  return source(&writer) && FlushFileBuffers(file.get()) && file.Close();
}

}  // namespace

bool DocumentStamp::SettledBefore(uint64_t now) const {
  return valid && ChangeSettledBefore(written, now, kUnitsPerSecond);
}

uint64_t UnpredictableNumber() {
  uint64_t value = Mix(SystemTimeNow() ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 40) ^
                       (static_cast<uint64_t>(++number_count) << 20));
  try {
    std::random_device source;
    value ^= (static_cast<uint64_t>(source()) << 32) ^ source();
  } catch (...) {
    // The mixed time, process and count alone.
  }
  return value;
}

uint64_t SystemTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FromFileTime(now);
}

DocumentStamp StampFile(const char* path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!PelokGetFileInformationByName(path, &info)) return DocumentStamp();
  return StampOf(info);
}

bool ReadWholeFile(const char* path, std::string* bytes, DocumentStamp* stamp) {
  bytes->clear();
  if (stamp != nullptr) *stamp = DocumentStamp();
  ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || !IsDiskFile(file.get())) return false;
  const DocumentStamp before = StampHandle(file.get());
  DWORD high = 0;
  const DWORD size = GetFileSize(file.get(), &high);
  if (high != 0) return false;  // 4 GB and more: not a document this module reads
  // Read straight into the string, to the end, whatever the size said: the file may have grown
  // meanwhile. One byte of room beyond the size lets the read that finds the end take no copy.
  if (size != kInvalidFileSize) bytes->reserve(static_cast<size_t>(size) + 1);
  for (;;) {
    const size_t used = bytes->size();
    size_t room = bytes->capacity() > used ? bytes->capacity() - used : kHashPiece;
    if (room > kChunk) room = kChunk;
    bytes->resize(used + room);
    DWORD read = 0;
    if (!ReadFile(file.get(), &(*bytes)[used], static_cast<DWORD>(room), &read, nullptr)) {
      return false;
    }
    bytes->resize(used + read);
    if (read == 0) break;
  }
  // Stamped only when nothing wrote the file while it was read.
  if (stamp != nullptr && before.valid && StampHandle(file.get()) == before) *stamp = before;
  return true;
}

bool HashFile(const char* path, ContentHash* hash, DocumentStamp* stamp) {
  *stamp = DocumentStamp();
  ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || !IsDiskFile(file.get())) return false;
  const DocumentStamp before = StampHandle(file.get());
  ContentHasher hasher;
  std::string piece(kHashPiece, '\0');
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), &piece[0], kHashPiece, &read, nullptr)) return false;
    if (read == 0) break;
    hasher.Add(piece.data(), read);
  }
  *hash = hasher.Finish();
  // Stamped only when nothing wrote the file while it was read.
  if (before.valid && StampHandle(file.get()) == before) *stamp = before;
  return true;
}

std::string FinalPath(const char* path) {
  ScopedHandle file(
      CreateFileA(path, 0, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return path;
  char final_path[MAX_PATH + 8];
  const DWORD length = GetFinalPathNameByHandleA(file.get(), final_path, sizeof(final_path),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= sizeof(final_path)) return path;
  std::string resolved(final_path, length);
  // Windows gives the long form; the short one is what every other call takes.
  if (resolved.compare(0, 8, "\\\\?\\UNC\\") == 0) {
    resolved = "\\\\" + resolved.substr(8);
  } else if (resolved.compare(0, 4, "\\\\?\\") == 0) {
    resolved = resolved.substr(4);
  }
  if (resolved.size() >= MAX_PATH) return path;
  return resolved;
}

namespace {

// Writes the content over the old file itself, keeping the file (its links, its owner): only
// once the whole content has been written to a temporary file, so that what can fail for want
// of room has failed before.
bool WriteInPlace(const char* path, const ContentSource& source, DocumentStamp* stamp) {
  ScopedHandle file(CreateFileA(path, GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  HandleWriter writer(file.get());
  const bool written = SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == 0 && source(&writer) &&
                       SetEndOfFile(file.get()) && FlushFileBuffers(file.get());
  if (written && stamp != nullptr) *stamp = StampHandle(file.get());
  return file.Close() && written;
}

bool MoveOver(const std::string& temporary, const char* path) {
  const uint64_t deadline = SystemTimeNow() + uint64_t{kMoveRetryMilliseconds} * 10000;
  for (;;) {
    if (MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
        SystemTimeNow() >= deadline) {
      return false;
    }
    Sleep(1);
  }
}

}  // namespace

bool ReplaceFileContent(const char* path, const ContentSource& source, DocumentStamp* stamp) {
  if (stamp != nullptr) *stamp = DocumentStamp();
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  ScopedHandle original(CreateFileA(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  // Only a file is replaced: a FIFO or a device at the path stays what it is.
  if (original.valid() && !IsDiskFile(original.get())) return false;
  BY_HANDLE_FILE_INFORMATION info = {};
  const bool replaces = original.valid() && GetFileInformationByHandle(original.get(), &info);
  const std::string temporary = TemporaryName(path);
  // Created new under its own name, never through a link planted there; private until it has
  // the old file's access, so that no reader opens it in between.
  const DWORD create_flags =
      (replaces ? FILE_ATTRIBUTE_TEMPORARY : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_OPEN_REPARSE_POINT;
  ScopedHandle file(CreateFileA(temporary.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, create_flags, nullptr));
  if (!file.valid()) return false;
  const bool same_access = !replaces || PelokCopyFileAccess(original.get(), file.get());
  HandleWriter writer(file.get());
  bool written = source(&writer) && FlushFileBuffers(file.get());
  if (written && replaces && (info.nNumberOfLinks > 1 || !same_access)) {
    original.Close();
    written = WriteInPlace(path, source, stamp);
    file.Close();
    DeleteFileA(temporary.c_str());
    return written;
  }
  const DocumentStamp ours = written ? StampHandle(file.get()) : DocumentStamp();
  written = file.Close() && written;
  // Windows cannot replace a file that is open, this process's handle included.
  original.Close();
  if (written && MoveOver(temporary, path)) {
    // The file now at the path is the one written only if it still has the stamp it had when it
    // was written (the write time some systems set on closing would show as a difference).
    if (stamp != nullptr) {
      const DocumentStamp now = StampFile(path);
      if (now == ours) *stamp = now;
    }
    return true;
  }
  const DWORD error = GetLastError();
  DeleteFileA(temporary.c_str());
  // Windows cannot replace a file that another handle holds open without sharing deletion, and
  // a caller that creates its file exclusively may still hold that empty file open while the
  // first document is written into it. An empty file has nothing to lose: it is filled in place.
  if (written && WriteIntoEmptyFile(path, source)) return true;
  SetLastError(error);
  return false;
}

namespace {

void RemoveLeftoversOrThrow(const std::string& path) {
  const std::string directory = DirectoryOfPathName(path);
  const std::string name = path.substr(directory.size());
  if (name.empty()) return;
  if (NeedsShortNames(path)) {
    DeleteMatching(directory, std::string(kShortTemporaryStart) + "*" + kTemporaryEnd,
                   [](const std::string&) { return true; });
  } else {
    DeleteMatching(directory, name + kTemporaryMark + "*" + kTemporaryEnd,
                   [](const std::string&) { return true; });
  }
  const std::string numbered = name + ".";
  DeleteMatching(directory, numbered + "*.*.tmp", [&numbered](const std::string& found) {
    return IsNumberedTemporary(found, numbered);
  });
}

}  // namespace

void RemoveLeftoverTemporaries(const std::string& path) {
  try {
    RemoveLeftoversOrThrow(path);
  } catch (const std::bad_alloc&) {
    // What is left goes at a later open.
  }
}

}  // namespace pelok

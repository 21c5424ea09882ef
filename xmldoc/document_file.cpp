#include "xmldoc/document_file.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/win32_api.h"

namespace pelok {

namespace {

// Closes the handle when it goes out of scope.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Close(); }

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    if (!valid()) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

constexpr DWORD kChunk = 1u << 20;
constexpr DWORD kHashPiece = 64u * 1024;
constexpr DWORD kInvalidFileSize = 0xFFFFFFFFu;

constexpr uint64_t kUnitsPerSecond = 10000000ULL;
// How long after a write a file's stamp can still be left unchanged by another write: local file
// systems stamp with the clock tick (a few milliseconds); a write time without a fraction of a
// second comes from a file system that keeps whole seconds (two on FAT).
constexpr uint64_t kFineGranularity = kUnitsPerSecond / 20;
constexpr uint64_t kCoarseGranularity = 3 * kUnitsPerSecond;

uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FileStamp StampHandle(HANDLE file) {
  FileStamp stamp;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return stamp;
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  stamp.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp.written = FromFileTime(info.ftLastWriteTime);
  stamp.valid = true;
  return stamp;
}

// Numbers the temporary files of this process, so that two documents saving at once never
// share one.
std::atomic<unsigned long> save_count{0};

// The temporary file beside path: the path with a suffix of this save, or, where that would not
// fit the system's path limit (a store file path may take all of it), a short name in the same
// directory, so that the move over the old file stays within one directory.
std::string TemporaryName(const char* path) {
  char suffix[48];
  std::snprintf(suffix, sizeof(suffix), ".%lu.%lu.tmp",
                static_cast<unsigned long>(GetCurrentProcessId()), ++save_count);
  const std::string file(path);
  if (file.size() + std::strlen(suffix) < MAX_PATH) return file + suffix;
  const size_t separator = file.find_last_of("\\/");
  const std::string directory = separator == std::string::npos ? "" : file.substr(0, separator + 1);
  return directory + "~pelxml" + suffix;
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

bool FileStamp::SettledBefore(uint64_t now) const {
  const uint64_t granularity =
      written % kUnitsPerSecond == 0 ? kCoarseGranularity : kFineGranularity;
  return valid && written + granularity < now;
}

uint64_t SystemTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FromFileTime(now);
}

FileStamp StampFile(const char* path) {
  ScopedHandle file(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return FileStamp();
  return StampHandle(file.get());
}

bool ReadWholeFile(const char* path, std::string* bytes, FileStamp* stamp) {
  bytes->clear();
  if (stamp != nullptr) *stamp = FileStamp();
  ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  const FileStamp before = StampHandle(file.get());
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

bool HashFile(const char* path, ContentHash* hash, FileStamp* stamp) {
  *stamp = FileStamp();
  ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  const FileStamp before = StampHandle(file.get());
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

bool ReplaceFileContent(const char* path, const ContentSource& source, FileStamp* stamp) {
  if (stamp != nullptr) *stamp = FileStamp();
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  const std::string temporary = TemporaryName(path);
  ScopedHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  HandleWriter writer(file.get());
  bool written = source(&writer) && FlushFileBuffers(file.get());
  const FileStamp ours = written ? StampHandle(file.get()) : FileStamp();
  written = file.Close() && written;
  if (written && MoveFileExA(temporary.c_str(), path,
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
    // The file now at the path is the one written only if it still has the stamp it had when it
    // was written (the write time some systems set on closing would show as a difference).
    if (stamp != nullptr) {
      const FileStamp now = StampFile(path);
      if (now == ours) *stamp = now;
    }
    return true;
  }
  DeleteFileA(temporary.c_str());
  // Windows cannot replace a file that another handle holds open without sharing deletion, and
  // a caller that creates its file exclusively may still hold that empty file open while the
  // first document is written into it. An empty file has nothing to lose: it is filled in place.
  return written && WriteIntoEmptyFile(path, source);
}

}  // namespace pelok

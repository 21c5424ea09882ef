// Reading a document file whole, and replacing one so that no reader ever sees it half written.
#ifndef PELOK_XMLDOC_DOCUMENT_FILE_H_
#define PELOK_XMLDOC_DOCUMENT_FILE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "xmldoc/content_hash.h"

namespace pelok {

// One state of a file as the file system describes it: which file (volume and index), its size
// and its last write time. Two equal valid stamps of one path say the file was neither written
// nor replaced in between, unless both writes fell within the write time's granularity.
struct DocumentStamp {
  bool valid = false;
  uint32_t volume = 0;
  uint64_t index = 0;
  uint64_t size = 0;
  uint64_t written = 0;  // 100-ns units since 1601

  bool operator==(const DocumentStamp& other) const {
    return valid && other.valid && volume == other.volume && index == other.index &&
           size == other.size && written == other.written;
  }
  bool operator!=(const DocumentStamp& other) const { return !(*this == other); }

  // Whether a write after the moment now (system time, 100-ns units) would change the stamp:
  // the last write lies further back than the file system's time stamp granularity.
  bool SettledBefore(uint64_t now) const;
};

// The system time in 100-ns units since 1601.
uint64_t SystemTimeNow();

// 64 bits nobody else can predict (the temporary names of saves, the journals' ids): the
// system's random source, with the time, the process and a count mixed in where that source is
// missing.
uint64_t UnpredictableNumber();

// The stamp of the file at path now; invalid when it cannot be opened.
DocumentStamp StampFile(const char* path);

// Reads the whole file into *bytes. False when it cannot be opened or read, or is no file of the
// disk (a FIFO, a device: ERROR_BAD_FILE_TYPE), which is refused before it is read. *stamp (may be
// null) receives the file's stamp when it was the same before and after the read, else an invalid
// one.
bool ReadWholeFile(const char* path, std::string* bytes, DocumentStamp* stamp = nullptr);

// The hash of the file's content, read in pieces. False when it cannot be opened or read, or is
// no file of the disk. *stamp
// receives the file's stamp when it was the same before and after the read, else an invalid one.
bool HashFile(const char* path, ContentHash* hash, DocumentStamp* stamp);

// Takes a file's new content piece by piece; false when a piece could not be written.
class ContentWriter {
 public:
  virtual bool Write(const char* bytes, size_t size) = 0;

 protected:
  ~ContentWriter() = default;
};

// Gives the whole new content to the writer, each time it is called the same; false when a piece
// could not be written.
using ContentSource = std::function<bool(ContentWriter* writer)>;

// The file that path finally names: where path is a symbolic link (or a chain of them), the file
// it leads to, so that a save writes the link's target and the link stays; path itself when it
// names no existing file.
std::string FinalPath(const char* path);

// Makes what source gives the content of the file at path (a final path) in one step: a
// temporary file beside it, created exclusively under a name nobody can guess, is given the
// old file's access (mode, owner and group on POSIX; attributes on Windows), written, flushed
// to the disk and moved over the old file, so that a crash at any moment leaves the old content
// or the new. A file with more than one hard link, or whose owner this process cannot give
// the temporary file, is written in place instead (after the temporary file has taken the
// whole content, so that a full disk fails before the file is touched), which keeps its links
// and owner. False, with the file unchanged, when the file is read-only, a directory or no file of
// the disk at all (a FIFO, a device), or when any step before the move fails (the temporary file is
// removed then). *stamp (may be null) receives the stamp of the file written when it is certain,
// else an invalid one.
bool ReplaceFileContent(const char* path, const ContentSource& source, DocumentStamp* stamp = nullptr);

// Removes the temporary files that saves of the file at path (a final path) killed before they
// ended have left beside it. Only to be called while holding the file's exclusive lock, under
// which no save is under way.
void RemoveLeftoverTemporaries(const std::string& path);

}  // namespace pelok

#endif  // PELOK_XMLDOC_DOCUMENT_FILE_H_

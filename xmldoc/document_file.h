// Reading a document file whole, and replacing one so that no reader ever sees it half written.
#ifndef PELOK_XMLDOC_DOCUMENT_FILE_H_
#define PELOK_XMLDOC_DOCUMENT_FILE_H_

#include <string>

namespace pelok {

// Reads the whole file into *bytes. False when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::string* bytes);

// Makes bytes the content of the file at path in one step: a temporary file beside it is
// written, flushed to the disk and moved over the old file, so that a crash at any moment
// leaves the old content or the new. False, with the file unchanged, when the file is
// read-only or a directory, or when any step fails (the temporary file is removed then).
bool ReplaceFileContent(const char* path, const std::string& bytes);

}  // namespace pelok

#endif  // PELOK_XMLDOC_DOCUMENT_FILE_H_

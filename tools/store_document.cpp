#include "tools/store_document.h"

#include <climits>
#include <cstdlib>

#include "pelok/component.h"
#include "pelok/store_format.h"
#include "tools/temp_file.h"
#include "tools/work_directory.h"

namespace pelok {
namespace tool {

namespace {

using store_format::kDeclaration;
using store_format::kDocumentElement;
// Deeper than any key path of 259 characters can reach; a deeper file is not a store file.
constexpr int kMaxDepth = 160;
// The largest text read from a store file.
constexpr size_t kMaxText = size_t{1} << 28;

// An attribute's decimal number, held to the range of an int ("-5" stays -5, a number past the
// range stops at its end, anything else is 0).
int AttributeNumber(const std::string& text) {
  const long long number = std::strtoll(text.c_str(), nullptr, 10);
  if (number > INT_MAX) return INT_MAX;
  if (number < INT_MIN) return INT_MIN;
  return static_cast<int>(number);
}

}  // namespace

StoreDocument::~StoreDocument() {
  if (document_ != nullptr) document_->Destroy(0);
}

bool StoreDocument::Read(const std::string& path, std::vector<StoreEntry>* top,
                         std::string* error) {
  top->clear();
  if (document_ == nullptr) {
    *error = "no document component (1) to read it with";
    return false;
  }
  if (!document_->Load(path.c_str())) {
    *error = "it is not a readable XML file";
    return false;
  }
  document_->ResetPos();
  if (!document_->FindElem(kDocumentElement) || !document_->IntoElem()) {
    *error = "it has no \"processregister\" element";
    return false;
  }
  return ReadChildren(0, top, error);
}

bool StoreDocument::ReadChildren(int depth, std::vector<StoreEntry>* children, std::string* error) {
  if (depth > kMaxDepth) {
    *error = "its elements are nested too deeply";
    return false;
  }
  while (document_->FindElem(nullptr)) {
    StoreEntry entry;
    if (!ReadEntry(&entry, error)) return false;
    if (document_->IntoElem()) {
      const bool read = ReadChildren(depth + 1, &entry.children, error);
      document_->OutOfElem();
      if (!read) return false;
    }
    children->push_back(std::move(entry));
  }
  return true;
}

bool StoreDocument::ReadEntry(StoreEntry* entry, std::string* error) {
  char name[kPathBufferSize] = {0};
  if (!document_->GetTagName(name, sizeof(name))) {
    *error = "an element name is longer than 259 characters";
    return false;
  }
  entry->name = name;
  std::string attribute;
  if (!ReadAttrib(store_format::kTypeAttribute, &attribute)) return true;
  entry->is_value = true;
  entry->type = AttributeNumber(attribute);
  // What the size says is shown, never believed: the file may say anything there.
  if (ReadAttrib(store_format::kSizeAttribute, &attribute)) entry->size = AttributeNumber(attribute);
  if (!ReadText(&entry->text)) {
    *error = "the text of the value " + entry->name + " cannot be read";
    return false;
  }
  return true;
}

bool StoreDocument::ReadText(std::string* text) {
  // The document tells no length: the buffer grows until the text fits, so that what is taken
  // follows the text the file holds (four times it at most), never a size it claims.
  size_t capacity = kPathBufferSize;
  for (;;) {
    std::string buffer(capacity, '\0');
    if (document_->GetData(&buffer[0], static_cast<int>(capacity))) {
      buffer.resize(buffer.find('\0'));
      *text = std::move(buffer);
      return true;
    }
    if (capacity > kMaxText) return false;
    capacity = capacity * 4 < kMaxText + 1 ? capacity * 4 : kMaxText + 1;
  }
}

bool StoreDocument::ReadAttrib(const char* name, std::string* text) {
  char buffer[kPathBufferSize] = {0};
  if (!document_->GetAttrib(name, buffer, sizeof(buffer))) return false;
  *text = buffer;
  return true;
}

bool StoreDocument::Write(const std::string& path, const std::vector<std::string>& parents,
                          const std::vector<StoreEntry>& entries, std::string* reason) {
  // The new document starts on an empty file of its own: path itself is only replaced by the
  // document's Save, in one step, so that a failure leaves whatever file was there. That file
  // is made new under a name nobody can guess, so that nothing planted beside path is written.
  std::string empty_file;
  if (document_ == nullptr) return false;
  if (!CreateTempBeside(path, &empty_file, reason)) return false;
  TempFileGuard remove(empty_file);
  bool written = document_->Load(empty_file.c_str()) &&
                 document_->AddNode(kXmlNodeProcessingInstruction, kDeclaration) &&
                 document_->AddElem(kDocumentElement, "", 0) && document_->IntoElem();
  for (size_t i = 0; written && i < parents.size(); ++i) {
    written = document_->AddElem(parents[i].c_str(), "", 0) && document_->IntoElem();
  }
  for (size_t i = 0; written && i < entries.size(); ++i) written = WriteEntry(entries[i]);
  if (written) {
    document_->EndEdit();
    written = document_->Save(path.c_str()) != 0;
  }
  return written;
}

bool StoreDocument::WriteEntry(const StoreEntry& entry) {
  if (!document_->AddElem(entry.name.c_str(), "", 0)) return false;
  if (entry.is_value) {
    if (!document_->SetAttrib(store_format::kTypeAttribute, entry.type) || !document_->SetAttrib(store_format::kSizeAttribute, entry.size) ||
        !document_->SetData(entry.text.c_str())) {
      return false;
    }
  }
  if (entry.children.empty()) return true;
  if (!document_->IntoElem()) return false;
  for (const StoreEntry& child : entry.children) {
    if (!WriteEntry(child)) return false;
  }
  return document_->OutOfElem() != 0;
}

const StoreEntry* FindKeyEntry(const std::vector<StoreEntry>& entries,
                               const std::vector<std::string>& parts, size_t* value_in_path) {
  const std::vector<StoreEntry>* level = &entries;
  const StoreEntry* found = nullptr;
  for (size_t i = 0; i < parts.size(); ++i) {
    found = FindChild(*level, parts[i]);
    if (found == nullptr) return nullptr;
    if (found->is_value) {
      *value_in_path = i + 1;
      return nullptr;
    }
    level = &found->children;
  }
  return found;
}

const StoreEntry* FindChild(const std::vector<StoreEntry>& entries, const std::string& name) {
  for (const StoreEntry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace tool
}  // namespace pelok

// XmlDocument: life, loading and saving.
#include "xmldoc/xml_document.h"

#include <atomic>
#include <new>
#include <string>

#include "xmldoc/document_file.h"
#include "xmldoc/xml_serializer.h"

namespace pelok {

namespace {

std::atomic<int> live_documents{0};

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
  Edited();
}

int XmlDocument::Load(const char* file) {
  if (file == nullptr || file[0] == '\0') return 0;
  // The store loads before every operation: the document it holds is that file's content plus
  // the edits made since, which must survive until the next Save.
  if (!held_file_.empty() && held_file_ == file) {
    ResetPos();
    return 1;
  }
  Clear();
  try {
    if (ReadDocument(file)) {
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

bool XmlDocument::ReadDocument(const char* file) {
  std::string bytes;
  if (!ReadWholeFile(file, &bytes)) return false;
  // Zero bytes are an empty document. Bytes are taken as UTF-8 without any conversion, so that
  // text in other encodings (GBK) comes back as it was written.
  if (bytes.empty()) return true;
  const pugi::xml_parse_result result =
      document_.load_buffer(bytes.data(), bytes.size(), kXmlParseOptions, pugi::encoding_utf8);
  ResetPos();
  return result.status == pugi::status_ok;
}

int XmlDocument::Save(const char* file) {
  if (file == nullptr || file[0] == '\0' || refuse_every_save_) return 0;
  // After a failed Load the document is not that file's content: writing it would destroy a
  // file that merely could not be read at that moment.
  if (!unreadable_file_.empty() && unreadable_file_ == file) return 0;
  // Nodes without a document element would not load back.
  if (document_.first_child() && !document_.document_element()) return 0;
  try {
    std::string text;
    SerializeDocument(document_, &text);
    if (!ReplaceFileContent(file, text)) return 0;
    held_file_ = file;
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace pelok

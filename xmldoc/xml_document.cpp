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

// Hands the document's text to the file and hashes it; after a piece fails, takes no more.
class FileSink : public TextSink {
 public:
  FileSink(ContentWriter* writer, ContentHasher* hasher) : writer_(writer), hasher_(hasher) {}
  void Write(const char* text, size_t length) override {
    if (!ok_) return;
    hasher_->Add(text, length);
    ok_ = writer_->Write(text, length);
  }
  bool ok() const { return ok_; }

 private:
  ContentWriter* writer_;
  ContentHasher* hasher_;
  bool ok_ = true;
};

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
  held_stamp_ = FileStamp();
  changed_ = false;
  Edited();
}

void XmlDocument::Matched(const FileStamp& stamp, const ContentHash& hash, uint64_t at) {
  held_stamp_ = stamp;
  held_hash_ = hash;
  held_matched_at_ = at;
  changed_ = false;
}

bool XmlDocument::HeldFileUnchanged(const char* file) {
  if (changed_ || held_file_.empty() || held_file_ != file || !held_stamp_.valid) return false;
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
  const uint64_t read_at = SystemTimeNow();
  std::string bytes;
  FileStamp stamp;
  if (!ReadWholeFile(file, &bytes, &stamp)) return false;
  const ContentHash hash = HashContent(bytes);
  // Zero bytes are an empty document. Bytes are taken as UTF-8 without any conversion, so that
  // text in other encodings (GBK) comes back as it was written.
  if (!bytes.empty()) {
    const pugi::xml_parse_result result =
        document_.load_buffer(bytes.data(), bytes.size(), kXmlParseOptions, pugi::encoding_utf8);
    ResetPos();
    if (result.status != pugi::status_ok) return false;
  }
  Matched(stamp, hash, read_at);
  return true;
}

int XmlDocument::Save(const char* file) {
  if (file == nullptr || file[0] == '\0' || refuse_every_save_) return 0;
  // After a failed Load the document is not that file's content: writing it would destroy a
  // file that merely could not be read at that moment.
  if (!unreadable_file_.empty() && unreadable_file_ == file) return 0;
  // Nodes without a document element would not load back.
  if (document_.first_child() && !document_.document_element()) return 0;
  try {
    // The store saves after every key it opens, most often without a change: the file already
    // holds the document then, and writing it again would only cost time.
    if (HeldFileUnchanged(file)) return 1;
    // The text goes to the file as it is made, never whole in memory beside the document.
    ContentHasher hasher;
    const ContentSource source = [this, &hasher](ContentWriter* writer) {
      hasher = ContentHasher();
      FileSink sink(writer, &hasher);
      SerializeDocument(document_, &sink);
      return sink.ok();
    };
    FileStamp stamp;
    if (!ReplaceFileContent(file, source, &stamp)) return 0;
    held_file_ = file;
    Matched(stamp, hasher.Finish(), SystemTimeNow());
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace pelok

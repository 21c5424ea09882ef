// Opening, creating, saving and closing the store file.
#include <cstring>

#include "pelok/store_format.h"
#include "platform/win32_api.h"
#include "store/document_load_failure.h"
#include "store/key_path.h"
#include "store/root_path.h"
#include "store/store_file.h"
#include "store/trace.h"
#include "store/xml_register_store.h"
#include "util/bounded_string.h"

namespace pelok {

int XmlRegisterStore::OpenStoreFile(const char* file_name) {
  if (document_ == nullptr || file_name == nullptr) return 0;
  char resolved[kPathBufferSize] = {};
  if (!ResolvePath(file_name, resolved, kPathBufferSize)) return 0;
  std::memcpy(store_file_, resolved, sizeof(store_file_));
  document_is_file_ = 0;
  // A FIFO would block every reader, a device such as /dev/zero never ends: neither is a store.
  if (IsSpecialFile(store_file_)) return 0;

  if (FileExists(store_file_, 0)) {
    const DWORD attributes = GetFileAttributesA(store_file_);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      SetFileAttributesA(store_file_, FILE_ATTRIBUTE_NORMAL);
    }
    int loaded = LoadDocument();
    if (loaded && HoldsRegister()) return loaded;
    if (!loaded) {
      // A load also fails for want of memory or for a read error, which is a failure of this
      // open and never a reason to set the file aside. Our PelXml tells which it was
      // (store/document_load_failure.h). Of another document component only this is known: a
      // file that reads whole and still does not load into a fresh document is damaged.
      switch (WhyLoadFailed(document_)) {
        case LoadFailure::kUnreadable:
          return 0;
        case LoadFailure::kDamaged:
          break;
        case LoadFailure::kUntold:
          if (!FileReadsWhole(store_file_) || !RenewDocument()) return 0;
          loaded = LoadDocument();
          if (loaded && HoldsRegister()) return loaded;
          break;
      }
    }
    // Damaged, cut short or not a store at all: its bytes are kept beside it, never
    // deleted or written over. If they cannot be moved, the store stays unopened.
    document_is_file_ = 0;
    if (!SetStoreFileAside(store_file_)) return 0;
    // A document that did load (an empty file, another kind of XML) is still held for this
    // path and would be built upon; the new store starts from a fresh document.
    if (loaded && !RenewDocument()) return 0;
  }
  return CreateStoreFile() && LoadDocument() ? 1 : 0;
}

int XmlRegisterStore::RenewDocument() {
  ReleaseChildAs(&document_);
  document_ = nullptr;
  try {
    CreateChildAs(&document_, component_id::kXmlDocument);
  } catch (...) {
    document_ = nullptr;
  }
  return document_ != nullptr ? 1 : 0;
}

int XmlRegisterStore::HoldsRegister() {
  document_->ResetPos();
  const int found = document_->FindElem(store_format::kDocumentElement);
  document_->ResetPos();
  return found ? 1 : 0;
}

int XmlRegisterStore::CreateStoreFile() {
  const int directory_ready = CreateParentDirectory(store_file_);
  if (!directory_ready) Trace(record_.record(), kDirectoryCreateFailedMessage, store_file_);
  // An existing file is left to the load that follows.
  if (!CreateNewEmptyFile(store_file_)) return directory_ready;
  if (!document_->Load(store_file_) ||
      !document_->AddNode(kXmlNodeProcessingInstruction, store_format::kDeclaration) ||
      !document_->AddElem(store_format::kDocumentElement, "", 0)) {
    return 0;
  }
  document_->EndEdit();
  return document_->Save(store_file_) ? 1 : 0;
}

int XmlRegisterStore::CreateKeyPath(const char* key_path) {
  if (key_path == nullptr || document_ == nullptr) return 0;
  // Without a loaded document there is nothing to add to, and saving would write whatever
  // the document component holds over a store file that merely failed to load.
  if (!LoadDocument()) return 0;
  const int result =
      document_->FindElem(store_format::kDocumentElement) && document_->IntoElem() && EnterOrAddKeyParts(key_path)
          ? 1
          : 0;
  document_->EndEdit();
  document_->Save(store_file_);
  return result;
}

int XmlRegisterStore::EnterOrAddKeyParts(const char* key_path) {
  const bool entered = ForEachKeyPathPart(key_path, [this](const char* part) {
    if (document_->FindElem(part)) return !IsValueElement() && document_->IntoElem();
    return document_->AddElem(part, "", 0) && document_->IntoElem();
  });
  return entered ? 1 : 0;
}

int XmlRegisterStore::Save() {
  auto guard = Guard();
  if (document_ == nullptr || !document_is_file_) return 0;
  return document_->Save(store_file_) ? 1 : 0;
}

void XmlRegisterStore::CloseStore() {
  auto guard = Guard();
  if (document_ != nullptr) {
    if (document_is_file_) document_->Save(store_file_);
    ReleaseChildAs(&document_);
    document_ = nullptr;
  }
  document_is_file_ = 0;
  std::memset(store_file_, 0, sizeof(store_file_));
}

}  // namespace pelok

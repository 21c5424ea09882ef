// PelForeignXml.dll: a document component (1) of another maker, as outside checks bring their
// own. It does what PelXml's documents do (each operation is handed to a PelXml document it
// holds), but its code lies in a module of its own that vouches for nothing, and each of its
// reserved slots counts the call and answers what would mislead a caller that trusted it: 2,
// which PelXml's slot 6 means as "damaged". The store must never call any of them.
#include <atomic>
#include <cstring>
#include <new>
#include <string>

#include "pelok/export.h"
#include "pelok/module.h"
#include "pelok/xml_document.h"
#include "platform/win32_api.h"

namespace {

std::atomic<int> reserved_calls{0};
std::atomic<int> live_documents{0};

// PelXml.dll beside this module, loaded once and kept.
pelok::IXmlDocument* NewInnerDocument() {
  static HMODULE pelxml = [] {
    char self[MAX_PATH] = {};
    const HMODULE module = PelokModuleFromAddress(reinterpret_cast<const void*>(&NewInnerDocument));
    const DWORD length = GetModuleFileNameA(module, self, sizeof(self));
    if (length == 0 || length >= sizeof(self)) return HMODULE{nullptr};
    std::string path(self, length);
    path = path.substr(0, path.find_last_of("\\/") + 1) + "PelXml.dll";
    return LoadLibraryA(path.c_str());
  }();
  if (pelxml == nullptr) return nullptr;
  const auto create = GetExport<pelok::CreateComponentFn>(pelxml, "CreateComponent");
  if (create == nullptr) return nullptr;
  return static_cast<pelok::IXmlDocument*>(create(pelok::component_id::kXmlDocument, 0));
}

#define PELOK_FOREIGN_RESERVED(slot) \
  int Reserved##slot() override {    \
    ++reserved_calls;                \
    return 2;                        \
  }

class ForeignDocument final : public pelok::IXmlDocument {
 public:
  explicit ForeignDocument(pelok::IXmlDocument* inner) : inner_(inner) { ++live_documents; }

  int GetComponentId() override { return pelok::component_id::kXmlDocument; }
  int GetVersion() override { return 7; }
  void Destroy(int force) override {
    inner_->Destroy(force);
    --live_documents;
    delete this;
  }
  int GetAutoFree() override { return auto_free_; }
  void SetAutoFree(int mark) override { auto_free_ = mark; }

  int Load(const char* file) override { return inner_->Load(file); }
  int FindElem(const char* name) override { return inner_->FindElem(name); }
  int IntoElem() override { return inner_->IntoElem(); }
  int OutOfElem() override { return inner_->OutOfElem(); }
  int ResetPos() override { return inner_->ResetPos(); }
  int GetTagName(char* buf, int len) override { return inner_->GetTagName(buf, len); }
  int GetData(char* buf, int len) override { return inner_->GetData(buf, len); }
  int GetAttrib(const char* name, char* buf, int len) override {
    return inner_->GetAttrib(name, buf, len);
  }
  int GetChildNameByIndex(int index, char* buf, int len) override {
    return inner_->GetChildNameByIndex(index, buf, len);
  }
  int Save(const char* file) override { return inner_->Save(file); }
  int AddElem(const char* name, const char* data, int flags) override {
    return inner_->AddElem(name, data, flags);
  }
  int AddNode(int node_kind, const char* text) override { return inner_->AddNode(node_kind, text); }
  int RemoveElem() override { return inner_->RemoveElem(); }
  int SetAttrib(const char* name, int value) override { return inner_->SetAttrib(name, value); }
  int SetData(const char* text) override { return inner_->SetData(text); }
  int EndEdit() override { return inner_->EndEdit(); }

  PELOK_FOREIGN_RESERVED(6)
  PELOK_FOREIGN_RESERVED(7)
  PELOK_FOREIGN_RESERVED(9)
  PELOK_FOREIGN_RESERVED(12)
  PELOK_FOREIGN_RESERVED(13)
  PELOK_FOREIGN_RESERVED(16)
  PELOK_FOREIGN_RESERVED(17)
  PELOK_FOREIGN_RESERVED(18)
  PELOK_FOREIGN_RESERVED(21)
  PELOK_FOREIGN_RESERVED(23)
  PELOK_FOREIGN_RESERVED(24)
  PELOK_FOREIGN_RESERVED(25)
  PELOK_FOREIGN_RESERVED(26)
  PELOK_FOREIGN_RESERVED(27)
  PELOK_FOREIGN_RESERVED(28)
  PELOK_FOREIGN_RESERVED(30)
  PELOK_FOREIGN_RESERVED(31)
  PELOK_FOREIGN_RESERVED(33)
  PELOK_FOREIGN_RESERVED(34)
  PELOK_FOREIGN_RESERVED(35)
  PELOK_FOREIGN_RESERVED(36)
  PELOK_FOREIGN_RESERVED(37)
  PELOK_FOREIGN_RESERVED(38)
  PELOK_FOREIGN_RESERVED(39)
  PELOK_FOREIGN_RESERVED(40)
  PELOK_FOREIGN_RESERVED(41)
  PELOK_FOREIGN_RESERVED(42)
  PELOK_FOREIGN_RESERVED(43)
  PELOK_FOREIGN_RESERVED(44)
  PELOK_FOREIGN_RESERVED(45)
  PELOK_FOREIGN_RESERVED(46)
  PELOK_FOREIGN_RESERVED(47)
  PELOK_FOREIGN_RESERVED(48)
  PELOK_FOREIGN_RESERVED(50)
  PELOK_FOREIGN_RESERVED(52)
  PELOK_FOREIGN_RESERVED(53)
  PELOK_FOREIGN_RESERVED(55)
  PELOK_FOREIGN_RESERVED(56)
  PELOK_FOREIGN_RESERVED(57)
  PELOK_FOREIGN_RESERVED(58)
  PELOK_FOREIGN_RESERVED(59)
  PELOK_FOREIGN_RESERVED(60)
  PELOK_FOREIGN_RESERVED(61)

 private:
  ~ForeignDocument() = default;

  pelok::IXmlDocument* inner_;
  int auto_free_ = 0;
};

}  // namespace

extern "C" {

PELOK_EXPORT pelok::IComponent* CreateComponent(int component_id, int /*creator_id*/) {
  if (component_id != pelok::component_id::kXmlDocument) return nullptr;
  pelok::IXmlDocument* inner = NewInnerDocument();
  if (inner == nullptr) return nullptr;
  ForeignDocument* document = new (std::nothrow) ForeignDocument(inner);
  if (document == nullptr) inner->Destroy(0);
  return document;
}

PELOK_EXPORT int GetComponentIDs(int* dst, unsigned count) {
  if (dst != nullptr && count >= 1) dst[0] = pelok::component_id::kXmlDocument;
  return 1;
}

// Kept loaded: the PelXml.dll it loaded stays with it.
PELOK_EXPORT int PelokDllCanUnloadNow() { return 0; }

// Its documents alive.
PELOK_EXPORT int PelForeignXmlLiveDocuments() { return live_documents.load(); }

// How many times any reserved slot of its documents was called.
PELOK_EXPORT int PelForeignXmlReservedCalls() { return reserved_calls.load(); }

}  // extern "C"

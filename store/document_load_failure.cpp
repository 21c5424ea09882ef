// Knowing a document to be PelXml's before its slot 6 is called.
//
// The module that holds the code of an object is the module of the address of its virtual table
// (the object's first word, on Windows and in the Itanium ABI alike): the document component
// could have come from any module through the factory, so the factory's word or the module's
// file name (a foreign module may be called PelXml.dll) prove nothing. That module's export
// kPelXmlMarkerExport, answering kPelXmlMarkerAnswer, is PelXml's word that slot 6 of its
// documents tells how the last Load ended. The lookup takes no reference of the module: the
// document alive keeps its module loaded.
#include "store/document_load_failure.h"

#include "platform/win32_api.h"
#include "util/pelxml_load_outcome.h"

namespace pelok {

namespace {

bool IsPelXmlDocument(IXmlDocument* document) {
  const void* table = *reinterpret_cast<const void* const*>(document);
  const HMODULE module = PelokModuleFromAddress(table);
  if (module == nullptr) return false;
  const auto marker = GetExport<int (*)()>(module, kPelXmlMarkerExport);
  return marker != nullptr && marker() == kPelXmlMarkerAnswer;
}

}  // namespace

LoadFailure WhyLoadFailed(IXmlDocument* document) {
  if (document == nullptr || !IsPelXmlDocument(document)) return LoadFailure::kUntold;
  switch (document->Reserved6()) {
    case kPelXmlDamaged:
      return LoadFailure::kDamaged;
    case kPelXmlUnreadable:
      return LoadFailure::kUnreadable;
    default:
      // Loaded after a failed Load, or an answer this store does not know: nothing certain.
      return LoadFailure::kUnreadable;
  }
}

}  // namespace pelok

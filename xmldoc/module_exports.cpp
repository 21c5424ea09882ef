// The module's three framework exports. The fourth and last name PelXml.dll exports, the marker
// PelXmlDocumentLoadOutcomeSlot, stands with the document class (xmldoc/xml_document.cpp).
#include <new>

#include "pelok/component.h"
#include "pelok/export.h"
#include "xmldoc/xml_document.h"

using pelok::IComponent;

extern "C" {

// A new document for component id 1; null for every other id.
PELOK_EXPORT IComponent* CreateComponent(int component_id, int /*creator_id*/) {
  if (component_id != pelok::component_id::kXmlDocument) return nullptr;
  return new (std::nothrow) pelok::XmlDocument();
}

// The one component id of the module: written when count is at least 1; returns 1.
PELOK_EXPORT int GetComponentIDs(int* dst, unsigned count) {
  if (dst != nullptr && count >= 1) dst[0] = pelok::component_id::kXmlDocument;
  return 1;
}

// 1 when no document is alive.
PELOK_EXPORT int PelokDllCanUnloadNow() { return pelok::XmlDocument::LiveCount() == 0 ? 1 : 0; }

}  // extern "C"

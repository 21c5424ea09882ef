// Why the document component failed to load the store file, where that can be known.
#ifndef PELOK_STORE_DOCUMENT_LOAD_FAILURE_H_
#define PELOK_STORE_DOCUMENT_LOAD_FAILURE_H_

#include "pelok/xml_document.h"

namespace pelok {

enum class LoadFailure {
  kUntold,      // a document of another maker: a failed Load may be damage, or not
  kDamaged,     // our document read the file whole, and it is no XML document
  kUnreadable,  // our document could not read the file whole (no memory, a read error, no file)
};

// What document says about its last failed Load. Slot 6 is asked only of a document of our
// PelXml, known by the marker its module exports (util/pelxml_load_outcome.h); every other
// document component is kUntold without any slot of it called.
LoadFailure WhyLoadFailed(IXmlDocument* document);

}  // namespace pelok

#endif  // PELOK_STORE_DOCUMENT_LOAD_FAILURE_H_

// What our document module PelXml tells its own users beyond the document interface: why the
// last Load of a document failed. The store must set a store file aside only when the file is
// certainly damaged, never because memory ran out or a read failed; IXmlDocument::Load answers
// 0 for all of these alike.
//
// The answer stands in slot 6 (IXmlDocument::Reserved6) of PelXml's documents. A document
// component of another maker may put anything in its reserved slots, so nothing may call slot 6
// of a document without first knowing the document to be PelXml's: the module that holds the
// document's code (the module of the address of its virtual table, PelokModuleFromAddress)
// exports kPelXmlMarkerExport, a function that answers kPelXmlMarkerAnswer. Only then is slot 6
// called (store/document_load_failure.h does all of that). The interface header
// include/pelok/xml_document.h stays as it is: for every other document the slot stays reserved.
#ifndef PELOK_UTIL_PELXML_LOAD_OUTCOME_H_
#define PELOK_UTIL_PELXML_LOAD_OUTCOME_H_

namespace pelok {

// The answers of slot 6. None is 0, the answer of a reserved slot.
enum PelXmlLoadOutcome : int {
  // The last Load succeeded, or there was none.
  kPelXmlLoaded = 1,
  // The file was read whole and its bytes are no XML document: it is damaged.
  kPelXmlDamaged = 2,
  // The file could not be read whole: it is missing, is no file of the disk (a directory, a
  // FIFO, a device), a read failed, or memory ran out. Nothing is known about its content.
  kPelXmlUnreadable = 3,
};

// The export of PelXml.dll that vouches for slot 6: int (*)(), answering kPelXmlMarkerAnswer.
constexpr char kPelXmlMarkerExport[] = "PelXmlDocumentLoadOutcomeSlot";
constexpr int kPelXmlMarkerAnswer = 0x50584d06;  // "PXM", slot 6

}  // namespace pelok

#endif  // PELOK_UTIL_PELXML_LOAD_OUTCOME_H_

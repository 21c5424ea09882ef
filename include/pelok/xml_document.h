// IXmlDocument: the XML document component (component 1) that the register store drives.
// One document, one current position: a level (the element whose children FindElem, AddElem
// and GetChildNameByIndex look at) and a current element at that level.
#ifndef PELOK_XML_DOCUMENT_H_
#define PELOK_XML_DOCUMENT_H_

#include "pelok/component.h"

namespace pelok {

// Node kind of a processing instruction for AddNode.
constexpr int kXmlNodeProcessingInstruction = 16;

struct IXmlDocument : IComponent {
  // 5: loads the file (a file of zero bytes is an empty document); the position is reset.
  virtual int Load(const char* file) = 0;
  virtual int Reserved6() = 0;
  virtual int Reserved7() = 0;
  // 8: the next element of that name (any name for null) at the current level.
  virtual int FindElem(const char* name) = 0;
  virtual int Reserved9() = 0;
  // 10: the current element becomes the level.
  virtual int IntoElem() = 0;
  // 11: the level's element becomes current again and its parent the level.
  virtual int OutOfElem() = 0;
  virtual int Reserved12() = 0;
  virtual int Reserved13() = 0;
  // 14: the level becomes the top of the document.
  virtual int ResetPos() = 0;
  // 15: the current element's name.
  virtual int GetTagName(char* buf, int len) = 0;
  virtual int Reserved16() = 0;
  virtual int Reserved17() = 0;
  virtual int Reserved18() = 0;
  // 19: the current element's text.
  virtual int GetData(char* buf, int len) = 0;
  // 20: an attribute of the current element.
  virtual int GetAttrib(const char* name, char* buf, int len) = 0;
  virtual int Reserved21() = 0;
  // 22: the name of the index-th child (from 1) of the level that carries a "type" attribute.
  virtual int GetChildNameByIndex(int index, char* buf, int len) = 0;
  virtual int Reserved23() = 0;
  virtual int Reserved24() = 0;
  virtual int Reserved25() = 0;
  virtual int Reserved26() = 0;
  virtual int Reserved27() = 0;
  virtual int Reserved28() = 0;
  // 29: writes the whole document to the file, replacing it in one step.
  virtual int Save(const char* file) = 0;
  virtual int Reserved30() = 0;
  virtual int Reserved31() = 0;
  // 32: adds an element at the current level (after the current element, else last).
  virtual int AddElem(const char* name, const char* data, int flags) = 0;
  virtual int Reserved33() = 0;
  virtual int Reserved34() = 0;
  virtual int Reserved35() = 0;
  virtual int Reserved36() = 0;
  virtual int Reserved37() = 0;
  virtual int Reserved38() = 0;
  virtual int Reserved39() = 0;
  virtual int Reserved40() = 0;
  virtual int Reserved41() = 0;
  virtual int Reserved42() = 0;
  virtual int Reserved43() = 0;
  virtual int Reserved44() = 0;
  virtual int Reserved45() = 0;
  virtual int Reserved46() = 0;
  virtual int Reserved47() = 0;
  virtual int Reserved48() = 0;
  // 49: adds a node of that kind (16: processing instruction) at the current level.
  virtual int AddNode(int node_kind, const char* text) = 0;
  virtual int Reserved50() = 0;
  // 51: removes the current element with everything inside it.
  virtual int RemoveElem() = 0;
  virtual int Reserved52() = 0;
  virtual int Reserved53() = 0;
  // 54: sets an attribute of the current element to the decimal text of value.
  virtual int SetAttrib(const char* name, int value) = 0;
  virtual int Reserved55() = 0;
  virtual int Reserved56() = 0;
  virtual int Reserved57() = 0;
  virtual int Reserved58() = 0;
  virtual int Reserved59() = 0;
  virtual int Reserved60() = 0;
  virtual int Reserved61() = 0;
  // 62: sets the current element's text.
  virtual int SetData(const char* text) = 0;
  // 63: called after edits, before Save.
  virtual int EndEdit() = 0;
};

}  // namespace pelok

#endif  // PELOK_XML_DOCUMENT_H_

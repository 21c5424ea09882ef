// XmlRegisterStore (component 1139): the persistent store of keys of kinds 2 and 3, kept in
// one XML file through the XML document component (component 1).
//
// The store file holds the declaration and the document element "processregister"; a key is
// a path of nested elements, a value an element with the attributes "type" and "size" and its
// content as text (decimal for 32-bit numbers, upper-case hexadecimal for binary).
//
// Every key operation walks from the top of the document again. Edits change the document
// held by the document component; the file is written when it is created, at the end of
// CreateKeyPath, by Save and when the store is closed, and only while the held document is
// the one loaded from the file, so a store file that failed to load is never overwritten.
#ifndef PELOK_STORE_XML_REGISTER_STORE_H_
#define PELOK_STORE_XML_REGISTER_STORE_H_

#include "framework/component_base.h"
#include "framework/component_record.h"
#include "pelok/xml_document.h"
#include "pelok/component.h"
#include "store/register_store.h"

namespace pelok {

class XmlRegisterStore : public Component<IRegisterStore, component_id::kXmlRegisterStore, 0,
                                          &IRegisterStore::CloseStore> {
 public:
  XmlRegisterStore();

  // Makes file_name (relative names against GetRootPath) the store file and loads it, or
  // creates it when it does not exist. A file that exists and is certainly damaged is first
  // kept aside under a ".corrupt-" name (see SetStoreFileAside), then replaced by an empty
  // store; one that could not be read (no memory, a read error) fails the open and stays, and
  // a FIFO or a device is refused unread.
  int OpenStoreFile(const char* file_name) override;
  // Adds the missing elements of the key path and saves; 1 when every part exists.
  int CreateKeyPath(const char* key_path) override;
  int SetValue(const char* key_path, const char* name, int type, const void* data,
               unsigned size) override;
  // *size: the capacity of data in, the stored size out (for a 32-bit value held in fewer
  // than 4 bytes of capacity: 4, the size it needs).
  int QueryValue(const char* key_path, const char* name, int* type, void* data,
                 unsigned* size) override;
  int HasValue(const char* key_path, const char* name) override;
  int DeleteValue(const char* key_path, const char* name) override;
  // Refuses the empty key path, which names the document element itself.
  int DeleteKey(const char* key_path) override;
  int GetChildName(const char* key_path, int index, char* buf, int len) override;
  int GetValueName(const char* key_path, int index, char* buf, int len) override;
  int Save() override;
  void CloseStore() override;

 private:
  // Loads the store file and puts the position at the top; remembers whether the held
  // document is now the file's.
  int LoadDocument();
  // Loads and walks to the key's element, which becomes current and the level.
  int WalkToKey(const char* key_path);
  // 1 when the loaded document has the "processregister" element.
  int HoldsRegister();
  // Gives the document component back and obtains a new one, holding nothing.
  int RenewDocument();
  // Creates a store file that does not exist yet: directory, file, declaration and element.
  int CreateStoreFile();
  // From the level of "processregister": enters each part of the key path, adding it first
  // where it is missing.
  int EnterOrAddKeyParts(const char* key_path);
  // Sets the value element name of the key entered (adding it), its attributes and its text
  // (none for an unknown type); on failure the element is as it was.
  int WriteValue(const char* name, int type, unsigned size, const char* text);
  // Values and sub-keys share the element names of a key; an element with a "type" attribute
  // is a value. Value operations never touch a sub-key of their name, and a key path never
  // enters a value: the first element of a name decides, and the other kind is refused.
  int IsValueElement();
  // From the level of the key: makes the value element of that name current; 0 when there is
  // none or when the first element of that name is a sub-key.
  int FindValueElement(const char* name);
  // Reads the text of the current value element into data (text or binary), after the attributes
  // have been read; see xml_register_store_query.cpp for how a size that disagrees with the text
  // is answered.
  int ReadText(void* data, unsigned capacity, int stored_size, unsigned* size);
  int ReadBinary(void* data, unsigned capacity, int stored_size, unsigned* size);
  // The current element's whole text in a block of the allocator that grows from first_size
  // until the text fits: memory follows the text, never a size attribute. The caller frees it.
  int ReadWholeText(unsigned first_size, char** block, unsigned* length);

  ComponentRecord record_{component_id::kXmlRegisterStore};
  IXmlDocument* document_ = nullptr;
  char store_file_[kPathBufferSize] = {};
  // 1 while the document held by the document component is the store file's content.
  int document_is_file_ = 0;
};

}  // namespace pelok

#endif  // PELOK_STORE_XML_REGISTER_STORE_H_

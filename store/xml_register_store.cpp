// The key and value operations of the store: each walks from the top of the document to the
// key's element and works there.
#include "store/xml_register_store.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "pelok/store_format.h"
#include "store/key_path.h"
#include "store/store_limits.h"
#include "util/value_encoding.h"

namespace pelok {

XmlRegisterStore::XmlRegisterStore() {
  try {
    CreateChildAs(&document_, component_id::kXmlDocument);
  } catch (...) {
    // Reaching the factory ran out of memory: without a document every operation fails.
    document_ = nullptr;
  }
}

int XmlRegisterStore::LoadDocument() {
  if (document_ == nullptr) return 0;
  const int loaded = document_->Load(store_file_);
  document_->ResetPos();
  document_is_file_ = loaded != 0 ? 1 : 0;
  return loaded;
}

int XmlRegisterStore::WalkToKey(const char* key_path) {
  if (!LoadDocument()) return 0;
  if (!document_->FindElem(store_format::kDocumentElement) || !document_->IntoElem()) return 0;
  const bool entered = ForEachKeyPathPart(key_path, [this](const char* part) {
    return document_->FindElem(part) && !IsValueElement() && document_->IntoElem();
  });
  return entered ? 1 : 0;
}

int XmlRegisterStore::SetValue(const char* key_path, const char* name, int type, const void* data,
                               unsigned size) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || name == nullptr || data == nullptr ||
      size == 0) {
    return 0;
  }
  // A name longer than the buffers names come back in would hide every value after it from
  // enumeration; a size beyond the limit could not be read back.
  if (std::strlen(name) > kMaxValueNameLength || size > kMaxStoredValueSize) return 0;
  // An unknown type has no text to store: refused before the document is touched, so that no
  // element is left that no reader could read back.
  if (type != value_type::kText && type != value_type::kUint32 && type != value_type::kBinary) {
    return 0;
  }
  if (!WalkToKey(key_path)) return 0;
  // The value's text is made before the element is touched, so that running out of memory
  // leaves the value as it was instead of a new size over the old text.
  char number_text[kPathBufferSize];
  void* block = nullptr;
  const char* text = nullptr;
  switch (type) {
    case value_type::kText: {
      // The text ends at its terminator or after size bytes, whichever comes first: nothing
      // past what the caller vouches for is read.
      const char* const given = static_cast<const char*>(data);
      const size_t length = strnlen(given, size);
      if (length < size) {
        text = given;
        break;
      }
      if (!AllocateBlock(&block, size + 1, 1, component_id::kXmlRegisterStore)) return 0;
      std::memcpy(block, given, length);
      text = static_cast<const char*>(block);
      break;
    }
    case value_type::kUint32: {
      // Only the bytes the caller vouches for are read; the rest of the number is zero.
      uint32_t number = 0;
      std::memcpy(&number, data, size < kNumberSize ? size : kNumberSize);
      if (!FormatUnsigned(number, number_text, kPathBufferSize)) return 0;
      text = number_text;
      break;
    }
    case value_type::kBinary: {
      const unsigned text_size = 2 * size + 1;
      if (!AllocateBlock(&block, text_size, 1, component_id::kXmlRegisterStore)) return 0;
      if (!HexEncode(static_cast<const uint8_t*>(data), static_cast<int>(size),
                     static_cast<char*>(block), static_cast<int>(text_size))) {
        FreeBlock(block);
        return 0;
      }
      text = static_cast<const char*>(block);
      break;
    }
    default:
      return 0;
  }
  const int result = WriteValue(name, type, size, text);
  if (block != nullptr) FreeBlock(block);
  return result;
}

int XmlRegisterStore::WriteValue(const char* name, int type, unsigned size, const char* text) {
  bool added = false;
  if (!document_->IntoElem() || !document_->FindElem(name)) {
    if (!document_->AddElem(name, "", 0)) return 0;
    added = true;
  } else if (!IsValueElement()) {
    return 0;  // a sub-key of that name is never written over
  }
  char old_type[kPathBufferSize] = {};
  char old_size[kPathBufferSize] = {};
  const bool had_type = document_->GetAttrib(kTypeAttribute, old_type, kPathBufferSize) != 0;
  const bool had_size = document_->GetAttrib(kSizeAttribute, old_size, kPathBufferSize) != 0;
  if (document_->SetAttrib(kTypeAttribute, type) &&
      document_->SetAttrib(kSizeAttribute, static_cast<int>(size)) &&
      (text == nullptr || document_->SetData(text))) {
    return text != nullptr ? 1 : 0;
  }
  // Failed half way: the value goes back to what it was.
  if (added) {
    document_->RemoveElem();
    return 0;
  }
  if (had_type) document_->SetAttrib(kTypeAttribute, ParseInt(old_type));
  if (had_size) document_->SetAttrib(kSizeAttribute, ParseInt(old_size));
  return 0;
}

int XmlRegisterStore::IsValueElement() {
  char type[kPathBufferSize] = {};
  return document_->GetAttrib(kTypeAttribute, type, kPathBufferSize) ? 1 : 0;
}

int XmlRegisterStore::FindValueElement(const char* name) {
  return document_->FindElem(name) && IsValueElement() ? 1 : 0;
}

int XmlRegisterStore::HasValue(const char* key_path, const char* name) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || name == nullptr) return 0;
  if (!WalkToKey(key_path)) return 0;
  return document_->IntoElem() && FindValueElement(name) ? 1 : 0;
}

int XmlRegisterStore::DeleteValue(const char* key_path, const char* name) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || name == nullptr) return 0;
  if (!WalkToKey(key_path)) return 0;
  if (!document_->IntoElem() || !FindValueElement(name)) return 0;
  return document_->RemoveElem() ? 1 : 0;
}

int XmlRegisterStore::DeleteKey(const char* key_path) {
  auto guard = Guard();
  // The empty path walks to "processregister"; removing it would leave a file without a store.
  if (document_ == nullptr || key_path == nullptr || key_path[0] == 0) return 0;
  if (!WalkToKey(key_path)) return 0;
  return document_->RemoveElem() ? 1 : 0;
}

int XmlRegisterStore::GetChildName(const char* key_path, int index, char* buf, int len) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || buf == nullptr || len <= 0 || index <= 0) {
    return 0;
  }
  if (!WalkToKey(key_path) || !document_->IntoElem()) return 0;
  for (int i = 0; i < index; ++i) {
    if (!document_->FindElem(nullptr)) return 0;
  }
  return document_->GetTagName(buf, len) ? 1 : 0;
}

int XmlRegisterStore::GetValueName(const char* key_path, int index, char* buf, int len) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || buf == nullptr || len <= 0 || index <= 0) {
    return 0;
  }
  if (!WalkToKey(key_path) || !document_->IntoElem()) return 0;
  return document_->GetChildNameByIndex(index, buf, len) ? 1 : 0;
}

}  // namespace pelok

// The key and value operations of the store: each walks from the top of the document to the
// key's element and works there.
#include "store/xml_register_store.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "store/key_path.h"
#include "util/value_encoding.h"

namespace pelok {

namespace {

constexpr char kRegisterElement[] = "processregister";
constexpr char kTypeAttribute[] = "type";
constexpr char kSizeAttribute[] = "size";
constexpr int kNumberSize = 4;
// The hexadecimal text of a binary value (2 x size + 1 bytes) must fit the int sizes of the
// encoder and the document.
constexpr unsigned kMaxBinarySize = (INT_MAX - 1) / 2;

int ClampToInt(unsigned value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

}  // namespace

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
  if (!document_->FindElem(kRegisterElement) || !document_->IntoElem()) return 0;
  size_t cursor = 0;
  char part[kPathBufferSize];
  for (;;) {
    switch (NextKeyPathPart(key_path, &cursor, part)) {
      case KeyPathStep::kEnd:
        return 1;
      case KeyPathStep::kTooLong:
        return 0;
      case KeyPathStep::kPart:
        if (!document_->FindElem(part) || !document_->IntoElem()) return 0;
        break;
    }
  }
}

int XmlRegisterStore::SetValue(const char* key_path, const char* name, int type, const void* data,
                               unsigned size) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || name == nullptr || data == nullptr ||
      size == 0) {
    return 0;
  }
  if (type == value_type::kBinary && size > kMaxBinarySize) return 0;
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
    case value_type::kText:
      text = static_cast<const char*>(data);
      break;
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
    // A name the file could not load again would cost the whole store at the next start.
    if (!IsStorableName(name) || !document_->AddElem(name, "", 0)) return 0;
    added = true;
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

int XmlRegisterStore::QueryValue(const char* key_path, const char* name, int* type, void* data,
                                 unsigned* size) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || name == nullptr || type == nullptr ||
      data == nullptr || size == nullptr || *size == 0) {
    return 0;
  }
  const unsigned capacity = *size;
  if (!WalkToKey(key_path)) return 0;
  if (!document_->IntoElem() || !document_->FindElem(name)) return 0;

  char text[kPathBufferSize] = {};
  if (!document_->GetAttrib(kTypeAttribute, text, kPathBufferSize)) return 0;
  *type = ParseInt(text);
  std::memset(text, 0, sizeof(text));
  if (!document_->GetAttrib(kSizeAttribute, text, kPathBufferSize)) return 0;
  const unsigned stored_size = static_cast<unsigned>(ParseInt(text));
  *size = stored_size;
  if (capacity < stored_size) return 0;

  switch (*type) {
    case value_type::kText:
      return document_->GetData(static_cast<char*>(data), ClampToInt(capacity)) ? 1 : 0;
    case value_type::kUint32: {
      // The number always takes 4 bytes, whatever size it was stored with.
      if (capacity < static_cast<unsigned>(kNumberSize)) {
        *size = kNumberSize;
        return 0;
      }
      std::memset(text, 0, sizeof(text));
      if (!document_->GetData(text, kPathBufferSize)) return 0;
      const int32_t number = ParseInt(text);
      std::memcpy(data, &number, kNumberSize);
      return 1;
    }
    case value_type::kBinary:
      return GetBinaryData(data, capacity, stored_size);
    default:
      return 0;
  }
}

int XmlRegisterStore::GetBinaryData(void* data, unsigned capacity, unsigned stored_size) {
  if (stored_size > kMaxBinarySize) return 0;
  const unsigned text_size = 2 * stored_size + 1;
  void* block = nullptr;
  if (!AllocateBlock(&block, text_size, 1, component_id::kXmlRegisterStore)) return 0;
  char* const text = static_cast<char*>(block);
  int result = 0;
  if (document_->GetData(text, static_cast<int>(text_size))) {
    result = HexDecode(text, static_cast<uint8_t*>(data), capacity) ? 1 : 0;
  }
  FreeBlock(block);
  return result;
}

int XmlRegisterStore::HasValue(const char* key_path, const char* name) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || name == nullptr) return 0;
  if (!WalkToKey(key_path)) return 0;
  return document_->IntoElem() && document_->FindElem(name) ? 1 : 0;
}

int XmlRegisterStore::DeleteValue(const char* key_path, const char* name) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || name == nullptr) return 0;
  if (!WalkToKey(key_path)) return 0;
  if (!document_->IntoElem() || !document_->FindElem(name)) return 0;
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

// Reading a value back. The "size" attribute is the size its writer gave; the text is what the
// value holds. The two agree in every file this store writes; where a file from elsewhere (or a
// damaged one) makes them disagree, the text decides, and the size reported is the one a retry
// needs to succeed:
//  - a text needs its length and the terminator; a size attribute at least that large is kept
//    (a writer may have given its whole buffer), a smaller one gives way to the text's;
//  - binary text must be exactly two digits a byte; otherwise the text's half length counts;
//  - a size of 0, a negative one or one beyond what the store accepts is no size at all: the
//    text decides, and no memory is ever taken by such a size.
#include <cstring>

#include "store/key_path.h"
#include "store/store_limits.h"
#include "store/xml_register_store.h"
#include "util/value_encoding.h"

namespace pelok {

namespace {


bool IsUsableStoredSize(int size) {
  return size > 0 && static_cast<unsigned>(size) <= kMaxStoredValueSize;
}

}  // namespace

int XmlRegisterStore::QueryValue(const char* key_path, const char* name, int* type, void* data,
                                 unsigned* size) {
  auto guard = Guard();
  if (document_ == nullptr || key_path == nullptr || name == nullptr || type == nullptr ||
      data == nullptr || size == nullptr || *size == 0) {
    return 0;
  }
  const unsigned capacity = *size;
  if (!WalkToKey(key_path) || !document_->IntoElem() || !FindValueElement(name)) return 0;

  char text[kPathBufferSize] = {};
  if (!document_->GetAttrib(kTypeAttribute, text, kPathBufferSize)) return 0;
  *type = ParseInt(text);
  std::memset(text, 0, sizeof(text));
  if (!document_->GetAttrib(kSizeAttribute, text, kPathBufferSize)) return 0;
  const int stored_size = ParseInt(text);
  const bool usable = IsUsableStoredSize(stored_size);
  *size = usable ? static_cast<unsigned>(stored_size) : 0;
  // Binary digits tell their size exactly, so the text is asked even for a capacity below the
  // attribute's size (ReadBinary); a text may be shorter than its size.
  if (usable && capacity < static_cast<unsigned>(stored_size) && *type != value_type::kBinary) {
    return 0;
  }
  switch (*type) {
    case value_type::kText:
      return ReadText(data, capacity, stored_size, size);
    case value_type::kUint32: {
      // The number always takes 4 bytes, whatever size it was stored with.
      *size = usable ? static_cast<unsigned>(stored_size) : kNumberSize;
      if (capacity < kNumberSize) {
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
      return ReadBinary(data, capacity, stored_size, size);
    default:
      return 0;
  }
}

int XmlRegisterStore::ReadText(void* data, unsigned capacity, int stored_size, unsigned* size) {
  const unsigned given = IsUsableStoredSize(stored_size) ? static_cast<unsigned>(stored_size) : 0;
  char* const out = static_cast<char*>(data);
  const int room = capacity > kMaxStoredValueSize ? static_cast<int>(kMaxStoredValueSize)
                                                  : static_cast<int>(capacity);
  if (document_->GetData(out, room)) {
    const unsigned length = static_cast<unsigned>(strnlen(out, static_cast<size_t>(room)));
    if (length < static_cast<unsigned>(room)) {
      *size = given > length ? given : length + 1;
      return 1;
    }
  }
  // The text does not fit the capacity: its own length tells the size a retry needs.
  char* block = nullptr;
  unsigned length = 0;
  if (!ReadWholeText(capacity, &block, &length)) return 0;
  FreeBlock(block);
  *size = given > length ? given : length + 1;
  return 0;
}

int XmlRegisterStore::ReadBinary(void* data, unsigned capacity, int stored_size, unsigned* size) {
  uint8_t* const out = static_cast<uint8_t*>(data);
  char* block = nullptr;
  unsigned length = 0;
  const bool usable = IsUsableStoredSize(stored_size);
  if (usable && capacity < static_cast<unsigned>(stored_size)) {
    // The answer is "too small" unless the digits disagree with the attribute; finding out takes
    // memory in proportion to the digits, never to the attribute.
    const unsigned first = 2 * capacity + 1;
    if (!ReadWholeText(first, &block, &length)) return 0;
    if (length == 2 * static_cast<unsigned>(stored_size)) {
      FreeBlock(block);
      return 0;
    }
  } else if (usable) {
    // The text of a value this store wrote: 2 x size digits in a block of that size.
    const unsigned text_size = 2 * static_cast<unsigned>(stored_size) + 1;
    void* allocated = nullptr;
    if (!AllocateBlock(&allocated, text_size, 1, component_id::kXmlRegisterStore)) return 0;
    block = static_cast<char*>(allocated);
    if (document_->GetData(block, static_cast<int>(text_size))) {
      length = static_cast<unsigned>(strnlen(block, text_size));
    } else {
      FreeBlock(block);
      block = nullptr;
    }
  }
  if (block == nullptr) {
    const unsigned first =
        capacity <= kMaxStoredValueSize ? 2 * capacity + 1 : 2 * kMaxStoredValueSize + 1;
    if (!ReadWholeText(first, &block, &length)) return 0;
  }
  // The digits decide. An odd number of them is no binary text: a retry cannot succeed either.
  *size = length / 2;
  const int result =
      length % 2 == 0 && *size <= capacity && HexDecode(block, out, capacity) ? 1 : 0;
  FreeBlock(block);
  return result;
}

int XmlRegisterStore::ReadWholeText(unsigned first_size, char** block, unsigned* length) {
  constexpr unsigned kLargestText = 2 * kMaxStoredValueSize + 1;
  unsigned block_size = first_size < kPathBufferSize ? kPathBufferSize : first_size;
  if (block_size > kLargestText) block_size = kLargestText;
  for (;;) {
    void* allocated = nullptr;
    if (!AllocateBlock(&allocated, block_size, 1, component_id::kXmlRegisterStore)) return 0;
    char* const text = static_cast<char*>(allocated);
    if (document_->GetData(text, static_cast<int>(block_size))) {
      const size_t text_length = strnlen(text, block_size);
      if (text_length < block_size) {
        *block = text;
        *length = static_cast<unsigned>(text_length);
        return 1;
      }
    }
    FreeBlock(text);
    if (block_size == kLargestText) return 0;
    block_size = block_size > kLargestText / 2 ? kLargestText : 2 * block_size;
  }
}

}  // namespace pelok

// What the store writes and accepts.
#ifndef PELOK_STORE_STORE_LIMITS_H_
#define PELOK_STORE_STORE_LIMITS_H_

#include <climits>

#include "pelok/component.h"
#include "pelok/store_format.h"

namespace pelok {

// The names of the format are pelok/store_format.h.
using store_format::kSizeAttribute;
using store_format::kTypeAttribute;

// The bytes a 32-bit number takes.
constexpr int kNumberSize = 4;

// The largest size of a value: the hexadecimal text of a binary value (2 x size + 1 bytes) must
// fit the int sizes of the encoder and of the document, and every type has the same limit.
constexpr unsigned kMaxStoredValueSize = (INT_MAX - 1) / 2;

// The longest value name: names come back through buffers of kPathBufferSize bytes.
constexpr size_t kMaxValueNameLength = kPathBufferSize - 1;

}  // namespace pelok

#endif  // PELOK_STORE_STORE_LIMITS_H_

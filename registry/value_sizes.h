// The rules both value sets (kept in memory and kept in the store) hold to for sizes and numbers.
#ifndef PELOK_REGISTRY_VALUE_SIZES_H_
#define PELOK_REGISTRY_VALUE_SIZES_H_

#include <climits>

#include "pelok/component.h"
#include "store/store_limits.h"

namespace pelok {

// A 32-bit number: read from the first min(size, 4) bytes it is given, always handed back as 4.
constexpr int kNumberType = value_type::kUint32;
constexpr unsigned kNumberBytes = kNumberSize;

// Sizes travel as int on the public interface; one above INT_MAX was a negative number there,
// and no buffer of the caller is that large.
inline bool IsUsableSize(unsigned size) { return size <= static_cast<unsigned>(INT_MAX); }

}  // namespace pelok

#endif  // PELOK_REGISTRY_VALUE_SIZES_H_

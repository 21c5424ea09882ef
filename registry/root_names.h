// The names of the five roots of the key tree and the separator of key path parts, shared by
// the register core and the key tables.
#ifndef PELOK_REGISTRY_ROOT_NAMES_H_
#define PELOK_REGISTRY_ROOT_NAMES_H_

#include <cstdint>

#include "pelok/component.h"

namespace pelok {

// Joins the parts of a key path ("share/app/net").
constexpr char kKeySeparator[] = "/";

// The root name of a code whose low 30 bits are 0x3ffffff1..0x3ffffff5 ("root", "pelok",
// "share", "user", "winreg"), whatever its top two bits; null for any other value.
const char* RootName(uint32_t code);

// True when the low 30 bits of code name a root.
inline bool IsRootCode(uint32_t code) { return RootName(code) != nullptr; }

}  // namespace pelok

#endif  // PELOK_REGISTRY_ROOT_NAMES_H_

#include "registry/root_names.h"

namespace pelok {

const char* RootName(uint32_t code) { return root::NameOf(code); }

}  // namespace pelok

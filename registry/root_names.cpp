#include "registry/root_names.h"

namespace pelok {

const char* RootName(uint32_t code) {
  switch (code & 0x3fffffffu) {
    case 0x3ffffff1u:
      return "root";
    case 0x3ffffff2u:
      return "pelok";
    case 0x3ffffff3u:
      return "share";
    case 0x3ffffff4u:
      return "user";
    case 0x3ffffff5u:
      return "winreg";
    default:
      return nullptr;
  }
}

}  // namespace pelok

// How the factory module's tables tell paths apart.
#ifndef PELOK_FACTORY_PATH_KEY_H_
#define PELOK_FACTORY_PATH_KEY_H_

#include <string>

namespace pelok {

// path lower-cased (ASCII) with "/" for every backslash: two spellings of one file in the DLL
// registry files give one key. Null gives "".
std::string PathKey(const char* path);

}  // namespace pelok

#endif  // PELOK_FACTORY_PATH_KEY_H_

#include "factory/path_key.h"

namespace pelok {

std::string PathKey(const char* path) {
  std::string key;
  if (path == nullptr) return key;
  for (const char* p = path; *p != '\0'; ++p) {
    char c = *p;
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    key.push_back(c);
  }
  return key;
}

}  // namespace pelok

// A key as the user writes it: the root name first, then the sub-key ("share/app/net").
#ifndef PELOK_TOOLS_KEY_NAME_H_
#define PELOK_TOOLS_KEY_NAME_H_

#include <cstdint>
#include <string>
#include <vector>

namespace pelok {
namespace tool {

struct KeyName {
  uint32_t root = 0;               // the root code (pelok::root), top bits 0
  std::string sub_key;             // "app/net"; empty for the root's own element
  std::vector<std::string> parts;  // {"share", "app", "net"}: the elements in the store file
  std::string path;                // "share/app/net": the key path the registry builds
};

// The root code of a root name (case-insensitive), or 0.
uint32_t RootCode(const std::string& name);

// text with ASCII A-Z lower-cased as the registry lower-cases key paths: the second byte of a
// double-byte character of the system's code page stays as it is.
std::string LowerKeyText(std::string text);

// Parses text ("/" or "\\" between the parts, a trailing separator ignored) into *key, ASCII
// lower-cased as the registry stores it. A part may hold any bytes but the separators. On failure
// *error says why (a usage error).
bool ParseKeyName(const std::string& text, KeyName* key, std::string* error);

// The key made of the first part_count parts of parts (at least the root).
KeyName KeyFromParts(const std::vector<std::string>& parts, size_t part_count);

// A value name the registry can store: 1 to 259 bytes, any but the zero byte.
bool CheckValueName(const std::string& name, std::string* error);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_KEY_NAME_H_

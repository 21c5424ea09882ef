// The pieces of pelreg's JSON output.
//
// Schema (one object on one line, followed by a line feed):
//   value: {"name": string, "type": "text"|"int"|"binary", "size": number, "data": D}
//          D is a string for text, a number for int, a string of upper-case hexadecimal
//          digits (two a byte) for binary. get adds "key": the key's path.
//   key:   {"name": string, "path": string, "values": [value...], "keys": [key...]}
//          list gives the key with its sub-keys as {"name", "path"} only; list -r and tree
//          give every sub-key whole. tree of the whole store gives a key of name and path "".
// Text that is not UTF-8 keeps its valid sequences; every other byte is written as \u00XX
// (the byte read as Latin-1), so that the output is always valid JSON.
#ifndef PELOK_TOOLS_JSON_TEXT_H_
#define PELOK_TOOLS_JSON_TEXT_H_

#include <string>

#include "tools/value_text.h"

namespace pelok {
namespace tool {

// text as a JSON string, quotes included.
std::string JsonString(const std::string& text);

// The members of a value object, without the braces: "name":...,"type":...,"size":...,"data":...
std::string JsonValueMembers(const std::string& name, const ValueData& value, int size);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_JSON_TEXT_H_

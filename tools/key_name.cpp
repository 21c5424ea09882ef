#include "tools/key_name.h"

#include "pelok/component.h"
#include "tools/exit_status.h"
#include "tools/system_files.h"

namespace pelok {
namespace tool {

namespace {

constexpr size_t kMaxPathLength = kPathBufferSize - 1;

std::string JoinParts(const std::vector<std::string>& parts, size_t first, size_t end) {
  std::string joined;
  for (size_t i = first; i < end; ++i) {
    if (i > first) joined += '/';
    joined += parts[i];
  }
  return joined;
}

}  // namespace

std::string LowerKeyText(std::string text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsCodePageLeadByte(c)) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      text[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

uint32_t RootCode(const std::string& name) { return root::CodeOf(name); }

bool ParseKeyName(const std::string& text, KeyName* key, std::string* error) {
  std::string normal = text;
  // A backslash may be the second byte of a double-byte character; only a real one separates.
  for (size_t i = 0; i < normal.size(); ++i) {
    if (IsCodePageLeadByte(static_cast<unsigned char>(normal[i]))) {
      ++i;
    } else if (normal[i] == '\\') {
      normal[i] = '/';
    }
  }
  if (!normal.empty() && normal.back() == '/') normal.pop_back();
  if (normal.empty()) {
    *error = "empty key name";
    return false;
  }
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t slash = normal.find('/', start);
    const std::string part = normal.substr(start, slash - start);
    if (part.empty()) {
      *error = "key " + Quoted(text) + " has an empty part";
      return false;
    }
    parts.push_back(LowerKeyText(part));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (RootCode(parts[0]) == 0) {
    *error =
        "key " + Quoted(text) + " does not begin with a root (root, pelok, share, user, winreg)";
    return false;
  }
  *key = KeyFromParts(parts, parts.size());
  if (key->path.size() > kMaxPathLength) {
    *error = "key " + Quoted(text) + " is longer than 259 characters";
    return false;
  }
  return true;
}

KeyName KeyFromParts(const std::vector<std::string>& parts, size_t part_count) {
  KeyName key;
  key.root = RootCode(parts[0]);
  key.parts.assign(parts.begin(), parts.begin() + part_count);
  key.sub_key = JoinParts(key.parts, 1, key.parts.size());
  key.path = JoinParts(key.parts, 0, key.parts.size());
  return key;
}

bool CheckValueName(const std::string& name, std::string* error) {
  if (name.empty()) {
    *error = "empty value name";
    return false;
  }
  if (name.size() > kMaxPathLength) {
    *error = "value name " + Quoted(name) + " is longer than 259 characters";
    return false;
  }
  return true;
}

}  // namespace tool
}  // namespace pelok

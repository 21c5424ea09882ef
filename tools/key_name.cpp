#include "tools/key_name.h"

#include "pelok/component.h"
#include "tools/exit_status.h"

namespace pelok {
namespace tool {

namespace {

constexpr size_t kMaxPathLength = kPathBufferSize - 1;

struct RootEntry {
  const char* name;
  uint32_t code;
};

constexpr RootEntry kRoots[] = {{"root", root::kRoot},
                                {"pelok", root::kPelok},
                                {"share", root::kShare},
                                {"user", root::kUser},
                                {"winreg", root::kWinreg}};

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string JoinParts(const std::vector<std::string>& parts, size_t first, size_t end) {
  std::string joined;
  for (size_t i = first; i < end; ++i) {
    if (i > first) joined += '/';
    joined += parts[i];
  }
  return joined;
}

// Element names of the store file are XML names. The ASCII part of the rule is checked here,
// so that the user learns which name is wrong; other bytes are left to the document.
bool IsStorableName(const std::string& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    const bool start =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
    const bool later = (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (!start && (i == 0 || !later)) return false;
  }
  return !name.empty();
}

const char kNameRule[] =
    " is not a name the store file can hold (a letter, '_' or ':' first, then letters, digits, "
    "'_', ':', '-' or '.')";

}  // namespace

uint32_t RootCode(const std::string& name) {
  const std::string lower = LowerAscii(name);
  for (const RootEntry& entry : kRoots) {
    if (lower == entry.name) return entry.code;
  }
  return 0;
}

bool ParseKeyName(const std::string& text, KeyName* key, std::string* error) {
  std::string normal = text;
  for (char& c : normal) {
    if (c == '\\') c = '/';
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
    if (!IsStorableName(part)) {
      *error = "key part " + Quoted(part) + kNameRule;
      return false;
    }
    parts.push_back(LowerAscii(part));
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
  if (!IsStorableName(name)) {
    *error = "value name " + Quoted(name) + kNameRule;
    return false;
  }
  return true;
}

}  // namespace tool
}  // namespace pelok

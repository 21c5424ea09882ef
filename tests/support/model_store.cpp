#include "tests/support/model_store.h"

#include <cctype>
#include <cstring>

namespace pelok {
namespace model {

namespace {

constexpr char kRegisterElement[] = "processregister";
constexpr char kType[] = "type";
constexpr char kSize[] = "size";
constexpr size_t kPartLimit = 260;

int HexDigit(char c) {
  static const char kUpper[] = "0123456789ABCDEF";
  static const char kLower[] = "0123456789abcdef";
  for (int i = 0; i < 16; ++i) {
    if (kUpper[i] == c) return i;
  }
  for (int i = 0; i < 16; ++i) {
    if (kLower[i] == c) return i;
  }
  return -1;
}

}  // namespace

Element NewStoreDocument() {
  Element document;
  document.name = kRegisterElement;
  return document;
}

std::string FormatUnsigned(uint32_t value) { return std::to_string(value); }

int32_t ParseInt(const std::string& text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return 0;
  const size_t end = text.find_last_not_of(' ');
  const std::string trimmed = text.substr(begin, end - begin + 1);
  if (trimmed.size() >= 128) return 0;
  size_t at = 0;
  while (at < trimmed.size() && std::isspace(static_cast<unsigned char>(trimmed[at]))) ++at;
  bool negative = false;
  if (at < trimmed.size() && (trimmed[at] == '+' || trimmed[at] == '-')) {
    negative = trimmed[at] == '-';
    ++at;
  }
  uint32_t value = 0;
  for (; at < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[at])); ++at) {
    value = value * 10u + static_cast<uint32_t>(trimmed[at] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

std::string HexEncode(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char c : bytes) {
    text.push_back(kDigits[c >> 4]);
    text.push_back(kDigits[c & 15]);
  }
  return text;
}

bool HexDecode(const std::string& text, unsigned char* out, unsigned out_size, bool* refused) {
  *refused = false;
  if (2ull * out_size < text.size()) {
    *refused = true;
    return false;
  }
  size_t start = text.find("0x");
  if (start == std::string::npos) start = text.find("0X");
  start = start == std::string::npos ? 0 : start + 2;
  std::memset(out, 0, out_size);
  for (size_t i = start; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return false;
    const size_t position = i - start;
    if (position % 2 == 0) {
      out[position / 2] = static_cast<unsigned char>(digit << 4);
    } else {
      out[position / 2] |= static_cast<unsigned char>(digit);
    }
  }
  return true;
}

bool SplitKeyPath(const std::string& key_path, std::vector<std::string>* parts) {
  parts->clear();
  size_t cursor = 0;
  while (cursor < key_path.size()) {
    const size_t slash = key_path.find('/', cursor);
    std::string part;
    if (slash != std::string::npos && slash != cursor && slash - cursor < kPartLimit) {
      part = key_path.substr(cursor, slash - cursor);
    } else {
      part = key_path.substr(cursor);
      if (part.size() >= kPartLimit) return false;
    }
    cursor += part.size() + 1;
    parts->push_back(part);
  }
  return true;
}

int StoreModel::FindChild(const Element& parent, const std::string& name) {
  for (size_t i = 0; i < parent.children.size(); ++i) {
    if (parent.children[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

bool StoreModel::IsValue(const Element& element) { return element.attributes.count(kType) != 0; }

int StoreModel::FindValueChild(const Element& parent, const std::string& name) {
  const int child = FindChild(parent, name);
  return child >= 0 && IsValue(parent.children[child]) ? child : -1;
}

Element* StoreModel::Walk(const std::string& key_path) {
  if (!open_) return nullptr;
  std::vector<std::string> parts;
  if (!SplitKeyPath(key_path, &parts)) return nullptr;
  Element* element = &document_;
  for (const std::string& part : parts) {
    const int child = FindChild(*element, part);
    if (child < 0 || IsValue(element->children[child])) return nullptr;
    element = &element->children[child];
  }
  return element;
}

int StoreModel::CreateKeyPath(const std::string& key_path) {
  if (!open_) return 0;
  std::vector<std::string> parts;
  const bool whole = SplitKeyPath(key_path, &parts);
  Element* element = &document_;
  for (const std::string& part : parts) {
    int child = FindChild(*element, part);
    if (child >= 0 && IsValue(element->children[child])) return 0;
    if (child < 0) {
      element->children.emplace_back();
      element->children.back().name = part;
      child = static_cast<int>(element->children.size()) - 1;
    }
    element = &element->children[child];
  }
  return whole ? 1 : 0;
}

int StoreModel::SetValue(const std::string& key_path, const char* name, int type, const void* data,
                         unsigned size) {
  if (name == nullptr || data == nullptr || size == 0) return 0;
  // An element needs a name of one byte at least.
  if (name[0] == '\0' || std::strlen(name) >= kPartLimit || size > kMaxValueSize) return 0;
  // An unknown type changes nothing.
  if (type != 1 && type != 2 && type != 3) return 0;
  Element* key = Walk(key_path);
  if (key == nullptr) return 0;
  int child = FindChild(*key, name);
  if (child >= 0 && !IsValue(key->children[child])) return 0;
  if (child < 0) {
    key->children.emplace_back();
    key->children.back().name = name;
    child = static_cast<int>(key->children.size()) - 1;
  }
  Element& value = key->children[child];
  value.attributes[kType] = std::to_string(type);
  value.attributes[kSize] = std::to_string(static_cast<int>(size));
  switch (type) {
    case 1:
      value.text.assign(static_cast<const char*>(data),
                        strnlen(static_cast<const char*>(data), size));
      return 1;
    case 2: {
      uint32_t number = 0;
      std::memcpy(&number, data, 4);
      value.text = FormatUnsigned(number);
      return 1;
    }
    case 3:
      value.text = HexEncode(std::string(static_cast<const char*>(data), size));
      return 1;
    default:
      return 0;
  }
}

int StoreModel::QueryValue(const std::string& key_path, const char* name, int* type, void* data,
                           unsigned* size, unsigned* data_written) {
  *data_written = 0;
  if (name == nullptr || type == nullptr || data == nullptr || size == nullptr || *size == 0) {
    return 0;
  }
  const unsigned capacity = *size;
  Element* key = Walk(key_path);
  if (key == nullptr) return 0;
  const int child = FindValueChild(*key, name);
  if (child < 0) return 0;
  const Element& value = key->children[child];
  *type = ParseInt(value.attributes.at(kType));
  const auto size_text = value.attributes.find(kSize);
  if (size_text == value.attributes.end()) return 0;
  // A size is what its writer gave, as long as it is one at all; the text decides otherwise.
  const int stored = ParseInt(size_text->second);
  const bool usable = stored > 0 && static_cast<unsigned>(stored) <= kMaxValueSize;
  *size = usable ? static_cast<unsigned>(stored) : 0;
  // Binary digits give their size exactly: they are asked even when the capacity is too small.
  if (usable && capacity < static_cast<unsigned>(stored) &&
      (*type != 3 || value.text.size() == 2ull * static_cast<unsigned>(stored))) {
    return 0;
  }
  switch (*type) {
    case 1: {
      // A text needs its length and terminator; a larger size (a writer's whole buffer) stays.
      const unsigned needed = static_cast<unsigned>(value.text.size() + 1);
      *size = usable && static_cast<unsigned>(stored) >= needed ? static_cast<unsigned>(stored)
                                                                : needed;
      if (needed > capacity) return 0;
      std::memcpy(data, value.text.c_str(), needed);
      *data_written = needed;
      return 1;
    }
    case 2: {
      if (!usable) *size = 4;
      if (capacity < 4) {
        *size = 4;
        return 0;
      }
      if (value.text.size() >= 260) return 0;
      const int32_t number = ParseInt(value.text);
      std::memcpy(data, &number, 4);
      *data_written = 4;
      return 1;
    }
    case 3: {
      // Two digits a byte: the text's half length is the size.
      *size = static_cast<unsigned>(value.text.size() / 2);
      if (value.text.size() % 2 != 0 || *size > capacity) return 0;
      bool refused = false;
      const bool decoded =
          HexDecode(value.text, static_cast<unsigned char*>(data), capacity, &refused);
      if (!refused) *data_written = capacity;
      return decoded ? 1 : 0;
    }
    default:
      return 0;
  }
}

int StoreModel::HasValue(const std::string& key_path, const char* name) {
  if (name == nullptr) return 0;
  Element* key = Walk(key_path);
  return key != nullptr && FindValueChild(*key, name) >= 0 ? 1 : 0;
}

int StoreModel::DeleteValue(const std::string& key_path, const char* name) {
  if (name == nullptr) return 0;
  Element* key = Walk(key_path);
  if (key == nullptr) return 0;
  const int child = FindValueChild(*key, name);
  if (child < 0) return 0;
  key->children.erase(key->children.begin() + child);
  return 1;
}

int StoreModel::DeleteKey(const std::string& key_path) {
  if (!open_) return 0;
  std::vector<std::string> parts;
  if (!SplitKeyPath(key_path, &parts) || parts.empty()) return 0;
  Element* parent = &document_;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    const int child = FindChild(*parent, parts[i]);
    if (child < 0) return 0;
    parent = &parent->children[child];
  }
  const int child = FindChild(*parent, parts.back());
  if (child < 0) return 0;
  parent->children.erase(parent->children.begin() + child);
  return 1;
}

int StoreModel::GetValueName(const std::string& key_path, int index, char* buf, int len) {
  if (buf == nullptr || len <= 0 || index <= 0) return 0;
  Element* key = Walk(key_path);
  if (key == nullptr) return 0;
  int at = 0;
  for (const Element& child : key->children) {
    if (child.attributes.count(kType) == 0) continue;
    if (++at < index) continue;
    if (child.name.size() >= static_cast<size_t>(len)) return 0;
    std::memcpy(buf, child.name.c_str(), child.name.size() + 1);
    return 1;
  }
  return 0;
}

const Element* StoreModel::FindValue(const std::string& key_path, const std::string& name) {
  Element* key = Walk(key_path);
  if (key == nullptr) return nullptr;
  const int child = FindChild(*key, name);
  return child < 0 ? nullptr : &key->children[child];
}

}  // namespace model
}  // namespace pelok

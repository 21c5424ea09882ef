#include "tests/support/model_operations.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace pelok {
namespace model {

namespace {

constexpr const char* kOpNames[] = {
    "SetStoreFile",     "CreateKey", "OpenKey",      "CloseKey",         "ReleaseKey",
    "DeleteKey",        "SetValue",  "QueryValue",   "QueryStringValue", "QueryIntValue",
    "QueryBinaryValue", "EnumValue", "HasValue",     "DeleteValue",      "GetKeyName",
    "EnumKey",          "Flush",     "CloseAllKeys", "RestartFront",     "ReloadModules"};
static_assert(sizeof(kOpNames) / sizeof(kOpNames[0]) == static_cast<size_t>(OpCode::kCount),
              "a name per operation");

constexpr uint32_t kRoots[] = {0x3ffffff1u, 0x3ffffff2u, 0x3ffffff3u, 0x3ffffff4u, 0x3ffffff5u};

// Parts of sub-keys: XML names (some upper case, some beyond ASCII), names that are none (a digit
// first, a blank, markup, a name character that cannot start a name, a ":" and an escape's look).
const char* const kParts[] = {
    "a",   "B",   "app", "Cfg", "x.y",       "_u",   "\xC3\xA9", "\xE4\xB8\xAD", "n-1",
    "k:v", "1st", "a b", "q<",  "\xC2\xB7x", "port", "name",     "_x0041_"};

// Value names: several alike in all but case, names of sub-keys, names that are no XML names,
// the empty name.
const char* const kNames[] = {"a",   "A",   "b",    "port", "name", "\xC3\xA9", "x.1",     "_",
                              "app", "cfg", "1bad", "a b",  "",     "v-2",      "\xC2\xB7"};

const char* const kTexts[] = {"hello",
                              "",
                              " ",
                              " \t\n",
                              "a&b<c>\"d'e",
                              "line\r\nbreak\r",
                              "\x01\x02\x1f control",
                              "\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD",
                              "\xFF\xFE raw bytes",
                              "  padded  ",
                              "]]> <![CDATA[ x ]]>"};

std::string Hex(const std::string& bytes) {
  if (bytes.empty()) return "-";
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : bytes) {
    text.push_back(kDigits[c >> 4]);
    text.push_back(kDigits[c & 15]);
  }
  return text;
}

bool Unhex(const std::string& text, std::string* bytes) {
  bytes->clear();
  if (text == "-") return true;
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = text.substr(i, 2);
    const long value = std::strtol(pair.c_str(), &end, 16);
    if (end != pair.c_str() + 2) return false;
    bytes->push_back(static_cast<char>(value));
  }
  return true;
}

}  // namespace

const char* OpName(OpCode code) {
  const int index = static_cast<int>(code);
  return index >= 0 && index < static_cast<int>(OpCode::kCount) ? kOpNames[index] : "?";
}

std::string FormatOp(const Op& op) {
  std::ostringstream line;
  line << OpName(op.code) << ' ' << static_cast<int>(op.key.how) << ' ' << op.key.value << ' '
       << op.kind << ' ' << op.has_text << ' ' << Hex(op.text) << ' ' << op.type << ' '
       << op.has_data << ' ' << Hex(op.data) << ' ' << op.size << ' ' << op.exact_capacity << ' '
       << op.capacity << ' ' << op.index << ' ' << op.name_len << ' ' << op.null_type << ' '
       << op.null_size;
  return line.str();
}

bool ParseOp(const std::string& line, Op* op) {
  std::istringstream in(line);
  std::string name, text, data;
  int how = 0;
  *op = Op();
  if (!(in >> name >> how >> op->key.value >> op->kind >> op->has_text >> text >> op->type >>
        op->has_data >> data >> op->size >> op->exact_capacity >> op->capacity >> op->index >>
        op->name_len >> op->null_type >> op->null_size)) {
    return false;
  }
  if (how < KeyRef::kRootCode || how > KeyRef::kRaw) return false;
  op->key.how = static_cast<KeyRef::How>(how);
  if (!Unhex(text, &op->text) || !Unhex(data, &op->data)) return false;
  for (int i = 0; i < static_cast<int>(OpCode::kCount); ++i) {
    if (name == kOpNames[i]) {
      op->code = static_cast<OpCode>(i);
      return true;
    }
  }
  return false;
}

uint64_t OpGenerator::Random() {
  if (bytes_ != nullptr) {
    // Two bytes a choice: enough for every draw here, and a mutation stays local.
    uint64_t value = 0;
    for (int i = 0; i < 2 && bytes_left_ > 0; ++i, --bytes_left_) value = value << 8 | *bytes_++;
    return value;
  }
  // splitmix64: the same numbers on every system and compiler.
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

KeyRef OpGenerator::AnyKey(int open_keys, int percent_open) {
  KeyRef key;
  const int draw = Below(100);
  if (open_keys > 0 && draw < percent_open) {
    key.how = KeyRef::kOpenKey;
    key.value = static_cast<uint32_t>(Below(open_keys));
  } else if (draw < 96) {
    key.how = KeyRef::kRootCode;
    key.value = kRoots[Below(5)] | (static_cast<uint32_t>(Below(4)) << 30);
  } else {
    key.how = KeyRef::kRaw;
    const uint32_t raw[] = {0u, 0x40000001u, 0x80000002u, 0xc0000003u, 0x7fffffffu, 0xdeadbeefu};
    key.value = raw[Below(6)];
  }
  return key;
}

std::string OpGenerator::SubKey() {
  const int shape = Below(100);
  if (shape < 3) return "";
  if (shape < 5) return std::string(Below(2) == 0 ? 120 : 250, 'l');
  std::string sub_key;
  const int parts = 1 + Below(3);
  for (int i = 0; i < parts; ++i) {
    if (i > 0) sub_key += "/";
    if (Chance(10)) {
      sub_key += RandomBytes(1 + Below(12), '/');
    } else {
      sub_key += kParts[Below(static_cast<int>(sizeof(kParts) / sizeof(kParts[0])))];
    }
  }
  if (shape < 8) sub_key += "/";
  if (shape >= 8 && shape < 10) sub_key = "/" + sub_key;
  if (shape >= 10 && shape < 12) sub_key += "//z";
  return sub_key;
}

std::string OpGenerator::RandomBytes(int length, char left_out) {
  std::string bytes;
  while (static_cast<int>(bytes.size()) < length) {
    const char c = static_cast<char>(1 + Below(255));
    if (c != left_out) bytes.push_back(c);
  }
  return bytes;
}

std::string OpGenerator::ValueName() {
  if (Chance(2)) return std::string(Chance(50) ? 260 : 300, 'n');
  if (Chance(10)) return RandomBytes(1 + Below(12), '\0');
  return kNames[Below(static_cast<int>(sizeof(kNames) / sizeof(kNames[0])))];
}

void OpGenerator::ValueData(Op* op) {
  const int draw = Below(100);
  std::string& data = op->data;
  if (draw < 35) {
    op->type = 1;
    if (Chance(15)) {
      const int length = Below(40);
      for (int i = 0; i < length; ++i) data.push_back(static_cast<char>(1 + Below(255)));
    } else if (Chance(5)) {
      data.assign(300, 't');
    } else {
      data = kTexts[Below(static_cast<int>(sizeof(kTexts) / sizeof(kTexts[0])))];
    }
    const int text_length = static_cast<int>(data.size());
    data.push_back('\0');
    const int padding = Below(4);
    for (int i = 0; i < padding; ++i) data.push_back(static_cast<char>('p' + i));
    const int size_draw = Below(100);
    op->size = size_draw < 60   ? text_length + 1
               : size_draw < 70 ? text_length
               : size_draw < 80 ? 1
               : size_draw < 90 ? static_cast<int>(data.size())
               : size_draw < 95 ? 0
                                : -1;
  } else if (draw < 60) {
    op->type = 2;
    const uint32_t specials[] = {0u, 7u, 0xffffffffu, 0x80000000u, 8080u};
    uint32_t number = Chance(50) ? specials[Below(5)] : static_cast<uint32_t>(Random());
    data.assign(reinterpret_cast<const char*>(&number), 4);
    data.append(4, '\x5a');
    const int sizes[] = {4, 4, 4, 4, 4, 4, 1, 2, 3, 5, 8, 0, -4};
    op->size = sizes[Below(13)];
  } else if (draw < 90) {
    op->type = 3;
    const int lengths[] = {1, 2, 3, 4, 5, 16, 259, 260, 1000};
    const int length = Chance(1) ? 70000 : lengths[Below(9)];
    for (int i = 0; i < length; ++i) data.push_back(static_cast<char>(Random() & 0xff));
    const int size_draw = Below(100);
    op->size = size_draw < 80   ? length
               : size_draw < 90 ? 1 + Below(length)
               : size_draw < 95 ? 0
                                : -length;
  } else {
    const int types[] = {0, 7, -1};
    op->type = types[Below(3)];
    const int length = 1 + Below(8);
    for (int i = 0; i < length; ++i) data.push_back(static_cast<char>(Random() & 0xff));
    op->size = length;
  }
  if (Chance(3)) op->has_data = false;
}

void OpGenerator::Capacity(Op* op) {
  if (Chance(55)) {
    op->exact_capacity = true;
    const int deltas[] = {0, 0, 0, -1, 1, 7};
    op->capacity = deltas[Below(6)];
  } else {
    const int capacities[] = {4096, 4096, 260, 4, 3, 1, 0, -1};
    op->capacity = capacities[Below(8)];
  }
}

Op OpGenerator::Next(int open_keys) {
  Op op;
  if (store_file_due_) {
    store_file_due_ = false;
    if (Chance(95)) {
      op.code = OpCode::kSetStoreFile;
      op.text = "a";
      return op;
    }
  }
  const int draw = Below(1000);
  if (draw < 150) {
    op.code = OpCode::kCreateKey;
  } else if (draw < 200) {
    op.code = OpCode::kOpenKey;
  } else if (draw < 240) {
    op.code = OpCode::kCloseKey;
  } else if (draw < 260) {
    op.code = OpCode::kReleaseKey;
  } else if (draw < 290) {
    op.code = OpCode::kDeleteKey;
  } else if (draw < 510) {
    op.code = OpCode::kSetValue;
  } else if (draw < 620) {
    op.code = OpCode::kQueryValue;
  } else if (draw < 640) {
    op.code = OpCode::kQueryStringValue;
  } else if (draw < 660) {
    op.code = OpCode::kQueryIntValue;
  } else if (draw < 680) {
    op.code = OpCode::kQueryBinaryValue;
  } else if (draw < 780) {
    op.code = OpCode::kEnumValue;
  } else if (draw < 820) {
    op.code = OpCode::kHasValue;
  } else if (draw < 870) {
    op.code = OpCode::kDeleteValue;
  } else if (draw < 900) {
    op.code = OpCode::kGetKeyName;
  } else if (draw < 940) {
    op.code = OpCode::kEnumKey;
  } else if (draw < 965) {
    op.code = OpCode::kFlush;
  } else if (draw < 975) {
    op.code = OpCode::kCloseAllKeys;
  } else if (draw < 985) {
    op.code = OpCode::kSetStoreFile;
  } else if (draw < 995) {
    op.code = OpCode::kRestartFront;
  } else {
    op.code = OpCode::kReloadModules;
  }

  switch (op.code) {
    case OpCode::kSetStoreFile: {
      const int which = Below(10);
      op.has_text = which != 0;
      op.text = which < 7 ? "a" : which < 9 ? "b" : "long";
      break;
    }
    case OpCode::kCreateKey:
    case OpCode::kOpenKey: {
      const int kind_draw = Below(100);
      const int other_kinds[] = {0, 4, -1};
      op.kind = kind_draw < 40   ? 1
                : kind_draw < 68 ? 2
                : kind_draw < 96 ? 3
                                 : other_kinds[Below(3)];
      op.key = AnyKey(open_keys, 40);
      if (op.key.how == KeyRef::kRootCode && Chance(70) && op.kind >= 1 && op.kind <= 3) {
        op.key.value = (op.key.value & 0x3fffffffu) | (static_cast<uint32_t>(op.kind) << 30);
      }
      op.has_text = !Chance(2);
      op.text = SubKey();
      break;
    }
    case OpCode::kCloseKey:
    case OpCode::kReleaseKey:
    case OpCode::kDeleteKey:
      op.key = AnyKey(open_keys, 92);
      break;
    case OpCode::kSetValue:
      op.key = AnyKey(open_keys, 90);
      op.has_text = !Chance(3);
      op.text = ValueName();
      ValueData(&op);
      break;
    case OpCode::kQueryValue:
    case OpCode::kQueryStringValue:
    case OpCode::kQueryBinaryValue:
    case OpCode::kQueryIntValue:
      op.key = AnyKey(open_keys, 90);
      op.has_text = !Chance(3);
      op.text = ValueName();
      Capacity(&op);
      op.has_data = !Chance(3);
      op.null_type = Chance(2);
      op.null_size = Chance(2);
      break;
    case OpCode::kEnumValue: {
      op.key = AnyKey(open_keys, 90);
      op.index = Below(7) - 1;
      const int lengths[] = {260, 260, 260, 0, 1, 2, 5, -1};
      op.name_len = lengths[Below(8)];
      const int capacities[] = {4096, 4096, 4096, 260, 4, 3, 1, 0, -1};
      op.capacity = capacities[Below(9)];
      op.has_data = !Chance(3);
      op.null_type = Chance(2);
      op.null_size = Chance(2);
      break;
    }
    case OpCode::kHasValue:
    case OpCode::kDeleteValue:
      op.key = AnyKey(open_keys, 90);
      op.has_text = !Chance(3);
      op.text = ValueName();
      break;
    case OpCode::kGetKeyName:
    case OpCode::kEnumKey: {
      op.key = AnyKey(open_keys, 60);
      op.index = Below(7) - 1;
      const int lengths[] = {260, 260, 260, 0, 1, 4, 5, 6, 10, 30, -1};
      op.name_len = lengths[Below(11)];
      break;
    }
    case OpCode::kRestartFront:
    case OpCode::kReloadModules:
      store_file_due_ = true;
      break;
    default:
      break;
  }
  return op;
}

}  // namespace model
}  // namespace pelok

// The operations of the randomised model test: one call of the front component each, with its
// arguments, drawn from a seed, and written as one line of text so that a failing sequence can be
// kept in a replay file and run again.
//
// Keys are named by how they are chosen, not by their handle: an open key by its position among
// the keys open at that moment, so that a sequence shortened by removing operations still names
// keys that exist.
#ifndef PELOK_TESTS_MODEL_OPERATIONS_H_
#define PELOK_TESTS_MODEL_OPERATIONS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace pelok {
namespace model {

enum class OpCode : int {
  kSetStoreFile,
  kCreateKey,
  kOpenKey,
  kCloseKey,
  kReleaseKey,
  kDeleteKey,
  kSetValue,
  kQueryValue,
  kQueryStringValue,
  kQueryIntValue,
  kQueryBinaryValue,
  kEnumValue,
  kHasValue,
  kDeleteValue,
  kGetKeyName,
  kEnumKey,
  kFlush,
  kCloseAllKeys,
  kRestartFront,
  kReloadModules,
  kCount
};

const char* OpName(OpCode code);

struct KeyRef {
  enum How : int { kRootCode, kOpenKey, kRaw };
  How how = kRootCode;
  uint32_t value = 0;  // the root code, the position among the open keys, or the handle
};

struct Op {
  OpCode code = OpCode::kFlush;
  KeyRef key;  // the key, or the parent for CreateKey and OpenKey
  int kind = 0;
  bool has_text = true;  // sub-key, value name, or store file ("a", "b", "long")
  std::string text;
  int type = 0;
  bool has_data = true;
  std::string data;  // the bytes handed to SetValue
  int size = 0;
  bool exact_capacity = false;  // capacity counts from the stored size of the value
  int capacity = 0;
  int index = 0;
  int name_len = 260;  // -1: no buffer
  bool null_type = false;
  bool null_size = false;
};

// One line of text and back; false for a line that is not an operation.
std::string FormatOp(const Op& op);
bool ParseOp(const std::string& line, Op* op);

// Draws operations from a seed. The draw depends on the number of keys open and of values of
// the key, which the caller passes for each operation.
class OpGenerator {
 public:
  explicit OpGenerator(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  // Draws from the given bytes instead (for fuzzing): each choice takes the next bytes, and
  // zeros once they run out.
  OpGenerator(const uint8_t* bytes, size_t size) : bytes_(bytes), bytes_left_(size) {}
  bool exhausted() const { return bytes_ != nullptr && bytes_left_ == 0; }
  // An operation; open_keys is the number of keys open now.
  Op Next(int open_keys);

 private:
  uint64_t Random();
  int Below(int bound) { return static_cast<int>(Random() % static_cast<uint64_t>(bound)); }
  bool Chance(int percent) { return Below(100) < percent; }
  KeyRef AnyKey(int open_keys, int percent_open);
  std::string SubKey();
  std::string ValueName();
  // length bytes from 1 to 255, left_out never among them.
  std::string RandomBytes(int length, char left_out);
  void ValueData(Op* op);
  void Capacity(Op* op);

  uint64_t state_ = 0;
  const uint8_t* bytes_ = nullptr;
  size_t bytes_left_ = 0;
  bool store_file_due_ = true;
};

}  // namespace model
}  // namespace pelok

#endif  // PELOK_TESTS_MODEL_OPERATIONS_H_

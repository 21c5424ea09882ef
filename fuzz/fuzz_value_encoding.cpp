// The value text encodings: every 32-bit number and every byte string written and read back
// unchanged, and any text read without reading or writing outside its buffers.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "util/value_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelok;
  if (size >= 4) {
    uint32_t number;
    std::memcpy(&number, data, 4);
    char text[16];
    if (!FormatUnsigned(number, text, sizeof(text))) __builtin_trap();
    if (static_cast<uint32_t>(ParseInt(text)) != number) __builtin_trap();
  }
  // Binary round trip.
  std::vector<char> hex(2 * size + 1);
  if (!HexEncode(data, static_cast<int>(size), hex.data(), static_cast<int>(hex.size()))) {
    __builtin_trap();
  }
  std::vector<uint8_t> back(size + 1, 0xee);
  if (!HexDecode(hex.data(), back.data(), static_cast<unsigned>(size))) __builtin_trap();
  if (size > 0 && std::memcmp(back.data(), data, size) != 0) __builtin_trap();
  if (back[size] != 0xee) __builtin_trap();
  // Any text: parsed, trimmed and decoded within bounds.
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParseInt(text.c_str());
  std::vector<char> trimmed(text.size() / 2 + 1);
  TrimSpaces(text.c_str(), trimmed.data(), static_cast<int>(trimmed.size()));
  std::vector<uint8_t> decoded(size / 3 + 1);
  HexDecode(text.c_str(), decoded.data(), static_cast<unsigned>(decoded.size()));
  return 0;
}

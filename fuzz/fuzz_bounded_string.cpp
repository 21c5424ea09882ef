// The bounded string primitives and the path joins: arbitrary texts into buffers of arbitrary
// sizes. Nothing is written past the size given, a result that reports success is terminated,
// and a refusal leaves the buffer as it was where that is promised.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "util/bounded_string.h"
#include "util/path.h"

namespace {

constexpr char kGuard = 0x5a;

struct Buffer {
  explicit Buffer(int size, const std::string& content) : bytes(size + 32, kGuard), size(size) {
    if (size > 0) {
      const size_t n = std::min<size_t>(content.size(), static_cast<size_t>(size) - 1);
      std::memcpy(bytes.data(), content.data(), n);
      bytes[n] = 0;
    }
  }
  char* data() { return bytes.data(); }
  void CheckGuard() const {
    for (size_t i = static_cast<size_t>(size < 0 ? 0 : size); i < bytes.size(); ++i) {
      if (bytes[i] != kGuard) __builtin_trap();
    }
  }
  bool Terminated() const { return std::memchr(bytes.data(), 0, size) != nullptr; }
  std::vector<char> bytes;
  int size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelok;
  if (size < 2) return 0;
  const int dst_size = data[0] % 48;
  const int count = static_cast<int>(data[1] % 64) - 8;
  const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t cut = rest.find('|');
  const std::string first = rest.substr(0, cut);
  const std::string second = cut == std::string::npos ? "" : rest.substr(cut + 1);
  const std::string a(first.c_str()), b(second.c_str());  // up to their first zero byte

  {
    Buffer dst(dst_size, a);
    const std::vector<char> before = dst.bytes;
    const int result = BoundedCopy(dst.data(), dst_size, b.c_str());
    dst.CheckGuard();
    if (result == 0 && std::strcmp(dst.data(), b.c_str()) != 0) __builtin_trap();
    if (result == kBoundedTooLong && dst.bytes != before) __builtin_trap();
  }
  {
    Buffer dst(dst_size, a);
    const std::vector<char> before = dst.bytes;
    const std::string old = dst_size > 0 ? std::string(dst.data()) : std::string();
    const int result = BoundedAppend(dst.data(), dst_size, b.c_str());
    dst.CheckGuard();
    if (result == 0 && std::strcmp(dst.data(), (old + b).c_str()) != 0) __builtin_trap();
    if (result == kBoundedTooLong && dst.bytes != before) __builtin_trap();
  }
  {
    Buffer dst(dst_size, a);
    BoundedCopyN(dst.data(), dst_size, b.c_str(), count);
    dst.CheckGuard();
  }
  {
    Buffer dst(dst_size, a);
    const std::vector<char> before = dst.bytes;
    if (CopyText(dst.data(), dst_size, b.c_str())) {
      if (std::strcmp(dst.data(), b.c_str()) != 0) __builtin_trap();
    } else if (dst.bytes != before) {
      __builtin_trap();
    }
    dst.CheckGuard();
  }
  {
    Buffer dst(dst_size, a);
    const std::vector<char> before = dst.bytes;
    if (!CopyPrefix(dst.data(), dst_size, b.c_str(), count) && dst.bytes != before) {
      __builtin_trap();
    }
    dst.CheckGuard();
  }
  {
    Buffer dst(dst_size, a);
    const std::vector<char> before = dst.bytes;
    if (!AppendText(dst.data(), dst_size, b.c_str()) && dst.bytes != before) __builtin_trap();
    dst.CheckGuard();
  }
  {
    Buffer dst(dst_size, a);
    const int written = FormatBounded(dst.data(), dst_size, count, "%s-%s", a.c_str(), b.c_str());
    dst.CheckGuard();
    if (written >= 0 && dst_size > 0 && !dst.Terminated()) __builtin_trap();
  }
  {
    Buffer dst(dst_size, "");
    TrimBlanks(a.c_str(), dst.data(), dst_size);
    dst.CheckGuard();
    if (dst_size > 0 && !dst.Terminated()) __builtin_trap();
  }
  {
    Buffer dst(dst_size, "");
    JoinRelative(a.c_str(), b.c_str(), dst.data(), dst_size);
    dst.CheckGuard();
    if (dst_size > 0 && !dst.Terminated()) __builtin_trap();
  }
  {
    Buffer dst(dst_size, "");
    JoinPath(a.c_str(), b.c_str(), dst.data(), dst_size);
    dst.CheckGuard();
    if (dst_size > 0 && !dst.Terminated()) __builtin_trap();
  }
  IsBlank(a.c_str());
  LastSeparator(a.c_str());
  return 0;
}

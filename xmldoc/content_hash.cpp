#include "xmldoc/content_hash.h"

#include <cstring>

namespace pelok {

namespace {

// MurmurHash64A's mixing (Austin Appleby, public domain), run twice with different seeds.
constexpr uint64_t kMultiplier = 0xc6a4a7935bd1e995ULL;
constexpr int kShift = 47;
constexpr uint64_t kFirstSeed = 0x9e3779b97f4a7c15ULL;
constexpr uint64_t kSecondSeed = 0x6a09e667f3bcc909ULL;

uint64_t Mix(uint64_t word) {
  word *= kMultiplier;
  word ^= word >> kShift;
  return word * kMultiplier;
}

uint64_t Finish(uint64_t hash) {
  hash ^= hash >> kShift;
  hash *= kMultiplier;
  return hash ^ (hash >> kShift);
}

}  // namespace

ContentHash HashContent(const char* bytes, size_t size) {
  ContentHash hash;
  hash.size = size;
  uint64_t first = kFirstSeed ^ (size * kMultiplier);
  uint64_t second = kSecondSeed ^ (size * kMultiplier);
  size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + at, sizeof(word));
    first = (first ^ Mix(word)) * kMultiplier;
    // The second lane sees each word rotated, so that the lanes do not fail together.
    second = (second ^ Mix((word << 29) | (word >> 35))) * kMultiplier;
  }
  uint64_t tail = 0;
  for (size_t i = 0; at + i < size; ++i) {
    tail |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  first = (first ^ tail) * kMultiplier;
  second = (second ^ ((tail << 29) | (tail >> 35))) * kMultiplier;
  hash.first = Finish(first);
  hash.second = Finish(second);
  return hash;
}

}  // namespace pelok

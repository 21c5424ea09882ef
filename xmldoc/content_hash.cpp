#include "xmldoc/content_hash.h"

#include <cstring>

namespace pelok {

namespace {

// MurmurHash64A's mixing (Austin Appleby, public domain).
constexpr uint64_t kMultiplier = 0xc6a4a7935bd1e995ULL;
constexpr int kShift = 47;

uint64_t Mix(uint64_t word) {
  word *= kMultiplier;
  word ^= word >> kShift;
  return word * kMultiplier;
}

uint64_t Rotate(uint64_t word) { return (word << 29) | (word >> 35); }

uint64_t FinishLane(uint64_t hash, uint64_t size) {
  hash = (hash ^ (size * kMultiplier)) * kMultiplier;
  hash ^= hash >> kShift;
  hash *= kMultiplier;
  return hash ^ (hash >> kShift);
}

}  // namespace

void ContentHasher::AddWord(uint64_t word) {
  first_ = (first_ ^ Mix(word)) * kMultiplier;
  // The second lane sees each word rotated, so that the lanes do not fail together.
  second_ = (second_ ^ Mix(Rotate(word))) * kMultiplier;
}

void ContentHasher::Add(const char* bytes, size_t size) {
  size_ += size;
  if (pending_size_ != 0) {
    // First the word that the last piece left unfinished.
    const size_t room = sizeof(pending_) - pending_size_;
    const size_t take = size < room ? size : room;
    std::memcpy(pending_ + pending_size_, bytes, take);
    pending_size_ += take;
    bytes += take;
    size -= take;
    if (pending_size_ < sizeof(pending_)) return;
    uint64_t word;
    std::memcpy(&word, pending_, sizeof(word));
    AddWord(word);
    pending_size_ = 0;
  }
  for (; size >= 8; bytes += 8, size -= 8) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof(word));
    AddWord(word);
  }
  std::memcpy(pending_, bytes, size);
  pending_size_ = size;
}

ContentHash ContentHasher::Finish() const {
  uint64_t tail = 0;
  for (size_t i = 0; i < pending_size_; ++i) tail |= static_cast<uint64_t>(pending_[i]) << (8 * i);
  ContentHash hash;
  hash.size = size_;
  hash.first = FinishLane((first_ ^ tail) * kMultiplier, size_);
  hash.second = FinishLane((second_ ^ Rotate(tail)) * kMultiplier, size_);
  return hash;
}

ContentHash HashContent(const char* bytes, size_t size) {
  ContentHasher hasher;
  hasher.Add(bytes, size);
  return hasher.Finish();
}

}  // namespace pelok

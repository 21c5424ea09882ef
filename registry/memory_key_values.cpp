#include "registry/memory_key_values.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <tuple>
#include <utility>

#include "registry/value_sizes.h"
#include "util/bounded_string.h"

namespace pelok {

static_assert(sizeof(uint32_t) == kNumberBytes, "a number is held in a uint32_t");

int MemoryKeyValues::SetKeyPath(const char* key_path) {
  auto guard = Guard();
  if (key_path == nullptr) return 1;
  char buffer[kPathBufferSize] = {};
  CopyText(buffer, kPathBufferSize, key_path);
  LowerCaseAscii(buffer);
  std::memcpy(key_path_, buffer, sizeof(key_path_));
  return 1;
}

int MemoryKeyValues::GetKeyPath(char* buf, int len) {
  auto guard = Guard();
  return CopyText(buf, len, key_path_);
}

// Reading a value into the caller's buffer (QueryValue and EnumValue). A value larger than the
// capacity is not copied, and a value whose block could not be allocated is never read from;
// either way the stored size goes back in *size so that the caller learns what it needs. A
// number is always given as 4 bytes, so a capacity below 4 is refused too, and *size then says
// 4 (as the store does for its numbers).
int MemoryKeyValues::ReadValue(const ValueRecord& record, int* type, void* data, unsigned* size) {
  const unsigned capacity = *size;
  *size = record.size;
  if (record.size > capacity) return 0;
  if (record.type == kNumberType) {
    if (capacity < kNumberBytes) {
      *size = kNumberBytes;
      return 0;
    }
    std::memcpy(data, &record.number, kNumberBytes);
  } else if (record.size > 0) {
    if (record.block == nullptr) return 0;
    std::memcpy(data, record.block, record.size);
  }
  *type = record.type;
  return 1;
}

int MemoryKeyValues::SetValue(const char* name, int type, const void* data, unsigned size) {
  auto guard = Guard();
  if (name == nullptr || data == nullptr || size == 0 || !IsUsableSize(size)) return 0;
  try {
    ValueRecord record;
    record.type = type;
    record.size = size;
    if (type == kNumberType) {
      std::memcpy(&record.number, data, std::min<unsigned>(size, kNumberBytes));
    } else {
      // The new content is in place before any old one goes: a value whose block cannot be
      // allocated is not created, and an existing one stays as it was.
      record.block = CopyToBlock(data, size);
      if (record.block == nullptr) return 0;
    }
    // One walk down the tree finds the value or the place of a new one.
    const std::string_view key(name);
    const auto place = values_.lower_bound(key);
    if (place != values_.end() && place->first == key) {
      FreeContent(&place->second);
      place->second = record;
      return 1;
    }
    try {
      values_.emplace_hint(place, std::piecewise_construct, std::forward_as_tuple(key),
                           std::forward_as_tuple(record));
    } catch (...) {
      FreeContent(&record);
      return 0;
    }
    return 1;
  } catch (...) {
    return 0;
  }
}

int MemoryKeyValues::EnumValue(int index, char* name_buf, int name_len, int* type, void* data,
                               unsigned* size) {
  auto guard = Guard();
  if (data == nullptr || type == nullptr || size == nullptr || *size == 0) return 0;
  if (!IsUsableSize(*size) || index < 0) return 0;
  if (static_cast<size_t>(index) >= values_.size()) return 0;
  const auto entry = std::next(values_.begin(), index);
  const int read = ReadValue(entry->second, type, data, size);
  if (name_buf == nullptr || read == 0) return read;
  return CopyText(name_buf, name_len, entry->first.c_str());
}

int MemoryKeyValues::QueryValue(const char* name, int* type, void* data, unsigned* size) {
  auto guard = Guard();
  if (name == nullptr || data == nullptr || type == nullptr || size == nullptr) return 0;
  if (*size == 0 || !IsUsableSize(*size)) return 0;
  const auto found = values_.find(std::string_view(name));
  if (found == values_.end()) return 0;
  return ReadValue(found->second, type, data, size);
}

int MemoryKeyValues::DeleteValue(const char* name) {
  auto guard = Guard();
  if (name == nullptr) return 0;
  const auto found = values_.find(std::string_view(name));
  if (found == values_.end()) return 0;
  FreeContent(&found->second);
  values_.erase(found);
  return 1;
}

// Testing a memory value also empties it (type, size and content 0; the name stays): callers
// of this registry use it as "test and reset".
int MemoryKeyValues::HasValue(const char* name) {
  auto guard = Guard();
  if (name == nullptr) return 0;
  const auto found = values_.find(std::string_view(name));
  if (found == values_.end()) return 0;
  ValueRecord& record = found->second;
  FreeContent(&record);
  record.type = 0;
  record.size = 0;
  record.number = 0;
  return 1;
}

int MemoryKeyValues::DeleteKey() { return 1; }

int MemoryKeyValues::Flush() { return 1; }

void MemoryKeyValues::ClearValues() {
  auto guard = Guard();
  for (auto& entry : values_) FreeContent(&entry.second);
  values_.clear();
}

void MemoryKeyValues::FreeContent(ValueRecord* record) {
  if (record->block == nullptr) return;
  try {
    FreeBlock(record->block);
  } catch (...) {
    // The allocator could not be reached; the block stays with it, tagged with our id.
  }
  record->block = nullptr;
}

void* MemoryKeyValues::CopyToBlock(const void* data, unsigned size) {
  void* block = nullptr;
  if (!AllocateBlock(&block, size, 1, kComponentId) || block == nullptr) return nullptr;
  std::memcpy(block, data, size);
  return block;
}

}  // namespace pelok

#include "registry/open_key_index.h"

#include <cstring>
#include <iterator>

#include "registry/root_names.h"
#include "util/bounded_string.h"

namespace pelok {
namespace {

constexpr uint32_t kSequenceMask = 0x3fffffffu;

}  // namespace

uint32_t OpenKeyIndex::Add(const char* key_path, IKeyValues* values) {
  if (key_path == nullptr || values == nullptr) return 0;
  const uint32_t handle = IssueHandle();
  if (handle == 0) return 0;
  char path[kPathBufferSize] = {};
  CopyText(path, kPathBufferSize, key_path);
  LowerCaseAscii(path);
  try {
    keys_.emplace(handle, values);
  } catch (...) {
    return 0;
  }
  try {
    paths_.insert_or_assign(std::string(path), handle);
  } catch (...) {
    keys_.erase(handle);
    return 0;
  }
  return handle;
}

// The sequence has 30 bits. Once it wraps, a number still in use must not be issued again;
// neither is 0 (no key) nor a number that reads as a root code. Among any count + 7 numbers in
// a row at least one is free, so the search ends.
uint32_t OpenKeyIndex::IssueHandle() {
  for (size_t tries = 0; tries < keys_.size() + 7; ++tries) {
    ++counter_;
    const uint32_t sequence = counter_ & kSequenceMask;
    const uint32_t handle = sequence | tag_;
    if (sequence == 0 || IsRootCode(handle) || keys_.count(handle) != 0) continue;
    return handle;
  }
  return 0;
}

IKeyValues* OpenKeyIndex::First(uint32_t* out_key) {
  cursor_ = 0;
  if (keys_.empty()) return nullptr;
  const auto first = keys_.begin();
  if (out_key != nullptr) *out_key = first->first;
  return first->second;
}

IKeyValues* OpenKeyIndex::Next(uint32_t* out_key) {
  if (static_cast<size_t>(cursor_) < keys_.size()) {
    const auto entry = std::next(keys_.begin(), cursor_);
    if (out_key != nullptr) *out_key = entry->first;
    return entry->second;
  }
  if (out_key != nullptr) *out_key = 0;
  if (keys_.size() == static_cast<size_t>(cursor_)) ++cursor_;
  return nullptr;
}

IKeyValues* OpenKeyIndex::Find(uint32_t key) const {
  const auto found = keys_.find(key);
  return found != keys_.end() ? found->second : nullptr;
}

void OpenKeyIndex::ForgetPath(uint32_t key) {
  for (auto entry = paths_.begin(); entry != paths_.end(); ++entry) {
    if (entry->second == key) {
      paths_.erase(entry);
      return;
    }
  }
}

IKeyValues* OpenKeyIndex::Take(uint32_t key) {
  const auto found = keys_.find(key);
  if (found == keys_.end()) return nullptr;
  IKeyValues* const values = found->second;
  keys_.erase(found);
  return values;
}

uint32_t OpenKeyIndex::FindPath(const char* key_path) const {
  if (key_path == nullptr) return 0;
  const auto found = paths_.find(key_path);
  return found != paths_.end() ? found->second : 0;
}

int OpenKeyIndex::CopyPathWithPrefix(const char* prefix, int index, char* buf, int len) const {
  if (index < 0) return 0;
  const size_t prefix_length = std::strlen(prefix);
  for (auto entry = paths_.lower_bound(prefix); entry != paths_.end(); ++entry) {
    if (entry->first.compare(0, prefix_length, prefix) != 0) return 0;
    if (index == 0) return CopyText(buf, len, entry->first.c_str());
    --index;
  }
  return 0;
}

IKeyValues* OpenKeyIndex::Oldest() const { return keys_.empty() ? nullptr : keys_.begin()->second; }

}  // namespace pelok

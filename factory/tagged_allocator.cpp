#include "factory/tagged_allocator.h"

#include <cstdlib>
#include <new>

#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

void* TaggedAllocator::AllocateTagged(int owner_id, unsigned size) {
  if (size > kLargestBlock) return nullptr;
  // A block of 0 bytes is still a block of its own that FreeTagged takes back.
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) return nullptr;
  LockScope scope(lock_);
  try {
    blocks_.emplace(block, Block{owner_id, size});
  } catch (const std::bad_alloc&) {
    std::free(block);
    return nullptr;
  }
  return block;
}

int TaggedAllocator::FreeTagged(void* block) {
  LockScope scope(lock_);
  const auto found = blocks_.find(block);
  if (found == blocks_.end()) return 0;
  blocks_.erase(found);
  std::free(block);
  return 1;
}

int TaggedAllocator::CountLiveBlocks(int owner_id) {
  LockScope scope(lock_);
  if (owner_id == 0) return static_cast<int>(blocks_.size());
  int count = 0;
  for (const auto& entry : blocks_) {
    if (entry.second.owner_id == owner_id) ++count;
  }
  return count;
}

int TaggedAllocator::ReportLiveBlocks() {
  LockScope scope(lock_);
  for (const auto& entry : blocks_) {
    DebugPrint("PelFact: live block %p, %u bytes, owner component %d\n", entry.first,
               entry.second.size, entry.second.owner_id);
  }
  return static_cast<int>(blocks_.size());
}

}  // namespace pelok

// Component 3: memory blocks tagged with the id of the component that asked for them. It knows
// every block it has handed out, so a pointer it did not hand out (or has taken back already)
// is refused instead of being freed.
#ifndef PELOK_FACTORY_TAGGED_ALLOCATOR_H_
#define PELOK_FACTORY_TAGGED_ALLOCATOR_H_

#include <atomic>
#include <map>

#include "factory/factory_lock.h"
#include "pelok/component_factory.h"

namespace pelok {

// Larger requests are refused: sizes travel as 32-bit values, and no component of the system
// asks for anything near this.
constexpr unsigned kLargestBlock = 0x7fffffffu;

class TaggedAllocator : public IAllocator {
 public:
  TaggedAllocator() = default;
  TaggedAllocator(const TaggedAllocator&) = delete;
  TaggedAllocator& operator=(const TaggedAllocator&) = delete;

  int GetComponentId() override { return component_id::kAllocator; }
  int GetVersion() override { return 1; }
  // One allocator serves the whole process: no Destroy ends it.
  void Destroy(int) override {}
  int GetAutoFree() override { return auto_free_.load(); }
  void SetAutoFree(int mark) override { auto_free_.store(mark); }

  // A block of size bytes (its content as the system gives it), or null.
  void* AllocateTagged(int owner_id, unsigned size) override;
  int FreeTagged(void* block) override;
  int CountLiveBlocks(int owner_id) override;
  int ReportLiveBlocks() override;

 private:
  struct Block {
    int owner_id;
    unsigned size;
  };

  FactoryLock lock_;
  // By address, so that the report lists the blocks in address order.
  std::map<void*, Block> blocks_;
  std::atomic<int> auto_free_{0};
};

}  // namespace pelok

#endif  // PELOK_FACTORY_TAGGED_ALLOCATOR_H_

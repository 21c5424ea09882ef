#include "tests/support/fault_memory.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <pugixml.hpp>

#include "tests/support/fault_registry_host.h"

namespace pelok {
namespace fault {
namespace {

std::atomic<long> uses{0};
std::atomic<long> fail_at{0};  // 0: no fault
std::atomic<bool> fail_on{false};
std::atomic<size_t> largest_allowed{0};  // 0: any size

// Counts the allocation; false when it is to fail.
bool Allowed() {
  const long at = fail_at.load();
  if (at == 0) return true;
  const long use = uses.fetch_add(1) + 1;
  if (use < at) return true;
  return use > at && !fail_on.load();
}

bool AllowedSize(size_t size) {
  const size_t limit = largest_allowed.load();
  return limit == 0 || size <= limit;
}

void* PugiAllocate(size_t size) {
  return Allowed() && AllowedSize(size) ? std::malloc(size) : nullptr;
}
void PugiDeallocate(void* block) { std::free(block); }

}  // namespace

void InstallMemoryFaults() {
  pugi::set_memory_management_functions(&PugiAllocate, &PugiDeallocate);
  SetAllocationGate(&Allowed);
}

void FailAllocation(long nth, bool persistent) {
  uses.store(0);
  fail_on.store(persistent);
  fail_at.store(nth);
}

void FailAllocationsLargerThan(size_t bytes) { largest_allowed.store(bytes); }

long AllocationCount() { return uses.load(); }

void RestoreMemory() {
  fail_at.store(0);
  uses.store(0);
  largest_allowed.store(0);
}

}  // namespace fault
}  // namespace pelok

// Every operator new of the process goes through the counter while a fault is set.
void* operator new(size_t size) {
  if (!pelok::fault::Allowed() || !pelok::fault::AllowedSize(size)) throw std::bad_alloc();
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  if (!pelok::fault::Allowed() || !pelok::fault::AllowedSize(size)) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }

// Memory faults for the fault-injection tests: this executable replaces the global operator new
// and routes pugixml's allocations and the allocator component's blocks through the same
// counter, so that any allocation can be made to fail at its nth use, like the platform layer's
// routed system calls (platform/fault_injection.h).
#ifndef PELOK_TESTS_FAULT_MEMORY_H_
#define PELOK_TESTS_FAULT_MEMORY_H_

#include <cstddef>

namespace pelok {
namespace fault {

// Routes pugixml and the allocator component through the counter (once per process).
void InstallMemoryFaults();

// From now on the nth allocation (1 = the next one) fails; with persistent every later one too.
void FailAllocation(long nth, bool persistent = false);
// From now on every allocation of more than bytes fails, as under a limit of the process's
// memory that leaves room for small blocks only (0: no such limit).
void FailAllocationsLargerThan(size_t bytes);
// Allocations counted since the last RestoreMemory, failed ones included.
long AllocationCount();
// Ends the faults and zeroes the counter.
void RestoreMemory();

}  // namespace fault
}  // namespace pelok

#endif  // PELOK_TESTS_FAULT_MEMORY_H_

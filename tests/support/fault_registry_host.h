// The whole registry inside one executable: the host and registry code (pelok_core), the XML
// document and a factory component of the test's own, so that the platform layer this
// executable links (and its fault-injection table) is the one every component uses, and so that
// the factory can be told to refuse a component (the allocator, the XML document).
//
// The executable must export CreateComponent (CMake: ENABLE_EXPORTS); it is the factory module.
#ifndef PELOK_TESTS_FAULT_REGISTRY_HOST_H_
#define PELOK_TESTS_FAULT_REGISTRY_HOST_H_

#include "pelok/component_factory.h"
#include "pelok/register_front.h"

namespace pelok {
namespace fault {

// Points the module code at this executable as its factory module (once per process).
void UseInProcessFactory();

// From now on the factory gives null for component_id (refuse) or gives it again.
void RefuseComponent(int component_id, bool refuse);

// The allocator (component 3) every component of this process uses.
IAllocator* Allocator();

// Asked before every block the allocator hands out: false refuses the block.
void SetAllocationGate(bool (*gate)());

// A new front (component 991) created through the host, or null.
IRegisterFront* CreateFront();

// Instances recorded by the host; 0 once everything created has been destroyed.
int LiveInstances();
// XML documents alive.
int LiveDocuments();

}  // namespace fault
}  // namespace pelok

#endif  // PELOK_TESTS_FAULT_REGISTRY_HOST_H_

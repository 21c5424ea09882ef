// The test component module PelTest.dll: a small component module of the kind the factory
// loads, whose components show what the factory did for them.
//
// It serves 5001, 5002 and 5003 (5003's constructor asks the factory for a 5001, as real
// components ask for their children). Every component registers its record with an already
// loaded factory module when it is built, and the module tells the factory it is idle when its
// last component goes.
#ifndef PELOK_TESTS_SUPPORT_TEST_COMPONENT_H_
#define PELOK_TESTS_SUPPORT_TEST_COMPONENT_H_

#include "pelok/component_factory.h"
#include "pelok/component.h"

namespace pelok {
namespace test {

constexpr int kTestComponent = 5001;
constexpr int kOtherTestComponent = 5002;
constexpr int kNestingTestComponent = 5003;

struct ITestComponent : IComponent {
  // The registration record as the factory filled it at construction.
  virtual const RegistrationRecord* Record() = 0;
  // The creator id CreateComponent was given.
  virtual int CreatorId() = 0;
  // Appends text at the end of the record's trace file, under its lock; 1 when written.
  virtual int AppendTrace(const char* text) = 0;
  // The component the constructor obtained from the factory (5003), else null.
  virtual IComponent* Inner() = 0;
};

// Exports of PelTest.dll besides the component module's usual ones (CreateComponent,
// GetComponentIDs, PelokDllCanUnloadNow, SetDLLRegistry).
using PelTestLiveCountFn = int (*)();

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_TEST_COMPONENT_H_

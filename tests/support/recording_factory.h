// What the recording factory module (a stand-in "PelFact.dll" built for the tests, in bin/fake)
// saw, read through its export RecordingFactoryCalls().
#ifndef PELOK_TESTS_SUPPORT_RECORDING_FACTORY_H_
#define PELOK_TESTS_SUPPORT_RECORDING_FACTORY_H_

namespace pelok {
namespace test {

struct RecordingFactoryCalls {
  int create_instance[2048];  // CreateInstance calls per component id (ids below 2048)
  int register_record;        // RegisterRecord calls
  int last_recorded_id;       // the component id of the last RegisterRecord
  int register_singleton;
  int on_module_idle;
  void* last_idle_module;
  int allocations;  // live blocks of the allocator it hands out
  // 1: the export CreateComponent returns null.
  int create_returns_null;
};

using RecordingFactoryCallsFn = RecordingFactoryCalls* (*)();

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_RECORDING_FACTORY_H_

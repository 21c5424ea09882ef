// Runs model operations against the real modules (PelReg.dll with PelFact.dll and PelXml.dll,
// loaded from the bin directory as a host program loads them) and against the reference model
// side by side, and compares every result and every output byte; the store files are compared
// with the model's copies whenever the registry has written them.
#ifndef PELOK_TESTS_MODEL_RUNNER_H_
#define PELOK_TESTS_MODEL_RUNNER_H_

#include <memory>
#include <string>
#include <vector>

#include "pelok/component_factory.h"
#include "pelok/register_front.h"
#include "tests/support/model_operations.h"
#include "tests/support/model_registry.h"
#include "tests/support/pelreg_module.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace model {

class ModelRunner {
 public:
  ModelRunner();
  ModelRunner(const ModelRunner&) = delete;
  ModelRunner& operator=(const ModelRunner&) = delete;
  // Destroys the front and checks nothing is left.
  ~ModelRunner();

  // Loads the modules and creates the front; "" or what went wrong.
  std::string Start();
  // Runs one operation on both sides; "" when they agree, else the difference.
  std::string Run(const Op& op);
  // Destroys the front and checks that no instance and no value block is left and that the
  // store files hold what the model says; "" or what went wrong.
  std::string Finish();

  int open_keys() const { return static_cast<int>(model_.OpenHandles().size()); }

 private:
  uint32_t Resolve(const KeyRef& key) const;
  std::string StorePath(const std::string& which) const;
  std::string CheckFiles() const;
  std::string StopFront();
  std::string LoadRegistry();

  std::string RunQuery(const Op& op, uint32_t key);
  std::string RunEnumValue(const Op& op, uint32_t key);
  std::string RunNameBuffer(const Op& op, uint32_t key);

  test::TempDir dir_;
  test::LoadedModule factory_;
  IAllocator* allocator_ = nullptr;
  std::unique_ptr<test::PelRegModule> registry_;
  IRegisterFront* front_ = nullptr;
  RegistryModel model_;
};

}  // namespace model
}  // namespace pelok

#endif  // PELOK_TESTS_MODEL_RUNNER_H_

// A value set that records what reaches it, for tests of the key tables.
#ifndef PELOK_TESTS_REGISTRY_FAKES_H_
#define PELOK_TESTS_REGISTRY_FAKES_H_

#include <string>
#include <utility>
#include <vector>

#include "registry/registry_interfaces.h"

namespace pelok {
namespace test {

class FakeKeyValues : public IKeyValues {
 public:
  explicit FakeKeyValues(std::string path = std::string()) : path(std::move(path)) {}

  int GetComponentId() override { return component_id::kStoredKeyValues; }
  int GetVersion() override { return 1; }
  void Destroy(int) override { ++destroy_calls; }
  int GetAutoFree() override { return 0; }
  void SetAutoFree(int) override {}

  int SetKeyPath(const char* key_path) override;
  int GetKeyPath(char* buf, int len) override;
  int SetValue(const char* name, int type, const void* data, unsigned size) override;
  int EnumValue(int index, char* name_buf, int name_len, int* type, void* data,
                unsigned* size) override;
  int QueryValue(const char* name, int* type, void* data, unsigned* size) override;
  int DeleteValue(const char* name) override;
  int HasValue(const char* name) override;
  int DeleteKey() override;
  int Flush() override;

  std::string path;
  // What every operation returns.
  int result = 1;
  // The operations called, by name, and the arguments of the last one.
  std::vector<std::string> calls;
  const char* last_name = nullptr;
  int last_type = 0;
  int last_index = 0;
  int last_name_len = 0;
  char* last_name_buf = nullptr;
  int* last_type_out = nullptr;
  const void* last_data = nullptr;
  unsigned last_size = 0;
  unsigned* last_size_ptr = nullptr;
  int destroy_calls = 0;
};

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_REGISTRY_FAKES_H_

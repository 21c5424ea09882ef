#include "tests/support/registry_fakes.h"

#include "util/bounded_string.h"

namespace pelok {
namespace test {

int FakeKeyValues::SetKeyPath(const char* key_path) {
  calls.push_back("SetKeyPath");
  path = key_path != nullptr ? key_path : "";
  return result;
}

int FakeKeyValues::GetKeyPath(char* buf, int len) {
  calls.push_back("GetKeyPath");
  return CopyText(buf, len, path.c_str());
}

int FakeKeyValues::SetValue(const char* name, int type, const void* data, unsigned size) {
  calls.push_back("SetValue");
  last_name = name;
  last_type = type;
  last_data = data;
  last_size = size;
  return result;
}

int FakeKeyValues::EnumValue(int index, char* name_buf, int name_len, int* type, void* data,
                             unsigned* size) {
  calls.push_back("EnumValue");
  last_index = index;
  last_name_buf = name_buf;
  last_name_len = name_len;
  last_type_out = type;
  last_data = data;
  last_size_ptr = size;
  return result;
}

int FakeKeyValues::QueryValue(const char* name, int* type, void* data, unsigned* size) {
  calls.push_back("QueryValue");
  last_name = name;
  last_type_out = type;
  last_data = data;
  last_size_ptr = size;
  return result;
}

int FakeKeyValues::DeleteValue(const char* name) {
  calls.push_back("DeleteValue");
  last_name = name;
  return result;
}

int FakeKeyValues::HasValue(const char* name) {
  calls.push_back("HasValue");
  last_name = name;
  return result;
}

int FakeKeyValues::DeleteKey() {
  calls.push_back("DeleteKey");
  return result;
}

int FakeKeyValues::Flush() {
  calls.push_back("Flush");
  return result;
}

}  // namespace test
}  // namespace pelok

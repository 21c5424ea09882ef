// MemoryKeyValues (component 1134): the values of one key of kind 1, held in memory only and
// lost when the component is destroyed. Contents other than 32-bit numbers live in blocks from
// the allocator component, tagged with this component's id.
#ifndef PELOK_REGISTRY_MEMORY_KEY_VALUES_H_
#define PELOK_REGISTRY_MEMORY_KEY_VALUES_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "framework/component_base.h"
#include "framework/component_record.h"
#include "registry/registry_interfaces.h"
#include "registry/root_names.h"

namespace pelok {

class MemoryKeyValues final : public Component<IMemoryKeyValues, component_id::kMemoryKeyValues, 0,
                                               &IMemoryKeyValues::ClearValues> {
 public:
  MemoryKeyValues() = default;

  // Keeps the path lower-cased; a path of 260 characters or more leaves it empty. Always 1.
  int SetKeyPath(const char* key_path) override;
  // Copies the path out when it fits with its terminator.
  int GetKeyPath(char* buf, int len) override;
  // Creates or replaces a value. Refused: null name or data, size 0, size above INT32_MAX.
  // A 32-bit number (type 2) is read from the first min(size, 4) bytes of data. A value whose
  // content block cannot be allocated is not created, and an existing one keeps its content.
  int SetValue(const char* name, int type, const void* data, unsigned size) override;
  // The value at position index (from 0) in byte order of the names. *size is the capacity of
  // data on the way in and the stored size on the way out (4 for a number read into fewer than
  // 4 bytes, which is refused). name_buf may be null.
  int EnumValue(int index, char* name_buf, int name_len, int* type, void* data,
                unsigned* size) override;
  int QueryValue(const char* name, int* type, void* data, unsigned* size) override;
  int DeleteValue(const char* name) override;
  // 1 when the value exists, which is then emptied: type, size and content 0, the name kept
  // (callers use it as "test and reset").
  int HasValue(const char* name) override;
  // A memory key has nothing stored: both report success and change nothing.
  int DeleteKey() override;
  int Flush() override;
  // The destroy hook: frees every content block and forgets every value.
  void ClearValues() override;

 private:
  struct ValueRecord {
    int32_t type = 0;
    uint32_t size = 0;
    uint32_t number = 0;    // the content of a 32-bit number (type 2), kNumberBytes bytes
    void* block = nullptr;  // the content of any other type, owned; null when there is none
  };
  // Looked up by std::string_view, so that a name is measured once and not at every node.
  using ValueMap = std::map<std::string, ValueRecord, std::less<>>;

  // Gives the record's content to the caller's buffer of *size bytes; see the .cpp.
  static int ReadValue(const ValueRecord& record, int* type, void* data, unsigned* size);
  void FreeContent(ValueRecord* record);
  // A zero-filled block of size bytes holding a copy of data, or null.
  void* CopyToBlock(const void* data, unsigned size);

  ComponentRecord record_{kComponentId};
  ValueMap values_;
  char key_path_[kPathBufferSize] = {};
};

}  // namespace pelok

#endif  // PELOK_REGISTRY_MEMORY_KEY_VALUES_H_

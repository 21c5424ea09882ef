// The registry as pelreg uses it: the store file set, the root directory pointed at the current
// directory, keys of one kind opened by their names, values read whole.
#ifndef PELOK_TOOLS_REGISTRY_SESSION_H_
#define PELOK_TOOLS_REGISTRY_SESSION_H_

#include <cstdint>
#include <string>

#include "pelok/register_front.h"
#include "tools/key_name.h"
#include "tools/value_text.h"

namespace pelok {
namespace tool {

class RegistrySession {
 public:
  RegistrySession(IRegisterFront* front, int kind) : front_(front), kind_(kind) {}

  // Before the store is first used: the store file name as given (a relative one is resolved
  // by the registry against its root directory) and that root directory.
  bool Begin(const std::string& store_name, const std::string& root_directory);
  // Opens the key, creating it in the store when it is not there; 0 on failure.
  uint32_t OpenKey(const KeyName& key);
  // Reads a value into room for capacity bytes: what the store file's text of it holds, which
  // the caller knows (the registry tells only the size the value claims). *stored_size is the
  // size the value claims, also when the registry did not give it in that room.
  bool ReadValue(uint32_t key, const std::string& name, size_t capacity, ValueData* value,
                 int* stored_size);
  // Writes the store file through the open keys of the kind.
  bool Flush();

  IRegisterFront* front() const { return front_; }

 private:
  IRegisterFront* front_;
  int kind_;
  // The in-memory key that holds the root directory; open for the whole run, since the store
  // reads the directory from it whenever it resolves the store file.
  uint32_t root_path_key_ = 0;
};

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_REGISTRY_SESSION_H_

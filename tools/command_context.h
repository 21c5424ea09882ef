// What every command works with: its command line, the framework (loaded on first need), the
// store file and the registry session on it.
#ifndef PELOK_TOOLS_COMMAND_CONTEXT_H_
#define PELOK_TOOLS_COMMAND_CONTEXT_H_

#include <memory>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/framework_host.h"
#include "tools/key_name.h"
#include "tools/registry_session.h"
#include "tools/store_document.h"

namespace pelok {
namespace tool {

class CommandContext {
 public:
  explicit CommandContext(const CommandLine& line);

  const CommandLine& line() const { return line_; }
  // The store file as the registry resolves it.
  const std::string& store_path() const { return store_path_; }

  // Each of these prints its failure line and returns false; the exit status is then 3.
  bool OpenFramework();
  // Reads the store file; a missing file is an empty store (*exists false).
  bool ReadStore(std::vector<StoreEntry>* entries, bool* exists);
  // Reads another store file (an import file).
  bool ReadStoreFile(const std::string& path, const char* what, std::vector<StoreEntry>* entries);
  // The session, begun on first call.
  RegistrySession* Session();
  FrameworkHost& host() { return host_; }

  // Closes every key and destroys the register front, which writes the store file.
  void CloseRegistry();

 private:
  const CommandLine& line_;
  std::string store_path_;
  FrameworkHost host_;
  std::unique_ptr<RegistrySession> session_;
};

// Where the key is a key of the store: kExitOk with *found set. Otherwise prints why not and
// returns kExitNotFound.
int LookUpKey(const CommandContext& context, const std::vector<StoreEntry>& entries, bool exists,
              const KeyName& key, const StoreEntry** found);
// The same for a value of an existing key.
int LookUpValue(const StoreEntry& key_entry, const KeyName& key, const std::string& name,
                const StoreEntry** found);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_COMMAND_CONTEXT_H_

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
  // Reads another store file (an import file); shown names it in the failure line, when it is
  // not to be named by its path.
  bool ReadStoreFile(const std::string& path, const char* what, std::vector<StoreEntry>* entries,
                     const std::string& shown = "");
  // The session, begun on first call, on the store file or on the file given to
  // UseStoreFile before.
  RegistrySession* Session();
  // The registry works on this file (an absolute name) instead of the store file.
  void UseStoreFile(const std::string& path) { session_store_ = path; }
  FrameworkHost& host() { return host_; }

  // Closes every key and destroys the register front, which writes the store file.
  void CloseRegistry();

 private:
  // Why there is no document component, and what to do about it.
  std::string NoDocumentComponent() const;

  const CommandLine& line_;
  std::string store_path_;
  std::string session_store_;
  FrameworkHost host_;
  std::unique_ptr<RegistrySession> session_;
};

// The KEY argument, and NAME after it when name is not null; false with the usage line printed.
bool ParseKeyAndName(const CommandLine& line, KeyName* key, std::string* name);

// How ReadKeyValue went.
enum class ValueRead {
  kRead,    // *value and *stored_size hold it
  kOdd,     // an odd value whose text is no data of its type either: its line is printed
  kFailed,  // the registry failed; the failure line is printed
};

// Reads the value of entry (as the store file was read) through the open key, into room for what
// the entry's text holds: the size the value claims is never believed. An odd value, whose size
// the registry gives as one its text cannot hold, is taken from the file's text as it stands,
// with a line on standard error that says so, so that one odd value fails no command.
ValueRead ReadKeyValue(CommandContext& context, uint32_t handle, const KeyName& key,
                       const StoreEntry& entry, ValueData* value, int* stored_size);

// The failure line of a store file the registry could not write ("cannot write the store file
// '...': no space left on the device"), the reason found by trying; extra is about how many bytes
// more than the file holds the write needed. Returns kExitFailure.
int CannotWriteStore(const CommandContext& context, size_t extra);
// The same for a key the registry could not open (or create).
int CannotOpenKey(const CommandContext& context, const KeyName& key);

// Where the key is a key of the store: kExitOk with *found set. Otherwise prints why not and
// returns kExitNotFound.
int LookUpKey(const CommandContext& context, const std::vector<StoreEntry>& entries, bool exists,
              const KeyName& key, const StoreEntry** found);
// What most commands do first: opens the framework, reads the store file into *entries and
// looks the key up in it. kExitOk with *found set; otherwise the status, its line printed.
int ReadStoreAndKey(CommandContext& context, const KeyName& key, std::vector<StoreEntry>* entries,
                    const StoreEntry** found);
// The same for a value of an existing key.
int LookUpValue(const StoreEntry& key_entry, const KeyName& key, const std::string& name,
                const StoreEntry** found);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_COMMAND_CONTEXT_H_

#include "factory/registry_file_memo.h"

#include <atomic>
#include <cstring>

#include "framework/dll_registry_file.h"
#include "pelok/component.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

namespace {

bool Unchanged(const std::vector<std::pair<std::string, FileStamp>>& files) {
  for (const auto& file : files) {
    if (StampOfFile(file.first.c_str()) != file.second) return false;
  }
  return true;
}

std::string ExplicitModulePath(const std::string& ini_path, int component_id) {
  const std::string section = SectionOf(component_id);
  if (!NamesModule(ini_path.c_str(), section.c_str())) return "";
  char path[kPathBufferSize];
  std::memset(path, 0, sizeof(path));
  ReadModulePath(ini_path.c_str(), section.c_str(), path, kPathBufferSize);
  return path;
}

// The creation under way on this thread (0: none), numbered across the process so that an
// entry looked at in one creation never counts as looked at in another.
std::atomic<uint64_t> last_creation{0};
thread_local uint64_t current_creation = 0;

}  // namespace

RegistryFileMemo::Creation::Creation() : outermost_(current_creation == 0) {
  if (outermost_) current_creation = ++last_creation;
}

RegistryFileMemo::Creation::~Creation() {
  if (outermost_) current_creation = 0;
}

RegistryFileMemo::Entry& RegistryFileMemo::Current(const char* registry_path) {
  const std::string key = registry_path != nullptr ? registry_path : "";
  const auto found = entries_.find(key);
  if (found != entries_.end() && found->second.kept) {
    Entry& entry = found->second;
    if (current_creation != 0 && entry.checked_in == current_creation) return entry;
    if (Unchanged(entry.files)) {
      entry.checked_in = current_creation;
      return entry;
    }
  }
  // Stamped after the reads: a file that changed since the reads began is too recent to keep.
  const int64_t read_at = FileClockNow();
  Entry fresh;
  char ini_path[kPathBufferSize];
  std::memset(ini_path, 0, sizeof(ini_path));
  std::vector<std::string> chain;
  ResolveRegistryFile(registry_path, ini_path, kPathBufferSize, &chain);
  fresh.ini_path = ini_path;
  // The file the chain ended at was read for its redirect already, unless a relative redirect
  // named it.
  if (!fresh.ini_path.empty() && (chain.empty() || chain.back() != fresh.ini_path)) {
    chain.push_back(fresh.ini_path);
  }
  fresh.kept = true;
  for (const std::string& file : chain) {
    const FileStamp stamp = StampOfFile(file.c_str());
    fresh.kept = fresh.kept && stamp.SettledBefore(read_at);
    fresh.files.emplace_back(file, stamp);
  }
  // Hosts name one or two files; a program that names ever new ones starts over now and then.
  constexpr size_t kMostPaths = 64;
  if (entries_.size() >= kMostPaths && entries_.count(key) == 0) entries_.clear();
  Entry& entry = entries_[key];
  entry = std::move(fresh);
  entry.checked_in = current_creation;
  return entry;
}

void RegistryFileMemo::ModuleFor(const char* registry_path, int component_id,
                                 std::string* ini_path, std::string* module_path) {
  LockScope scope(lock_);
  Entry& entry = Current(registry_path);
  *ini_path = entry.ini_path;
  if (entry.ini_path.empty()) {
    module_path->clear();
    return;
  }
  IdAnswers& answers = entry.ids[component_id];
  if (!answers.module_known) {
    answers.module_path = ExplicitModulePath(entry.ini_path, component_id);
    answers.module_known = true;
  }
  *module_path = answers.module_path;
}

void RegistryFileMemo::TraceFor(const char* registry_path, int component_id,
                                TraceSettings* settings) {
  LockScope scope(lock_);
  Entry& entry = Current(registry_path);
  IdAnswers& answers = entry.ids[component_id];
  if (!answers.trace_known) {
    ReadTraceSettings(entry.ini_path.c_str(), component_id, &answers.trace);
    answers.trace_known = true;
  }
  *settings = answers.trace;
}

}  // namespace pelok

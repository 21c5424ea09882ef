#include "factory/trace_files.h"

#include "util/path.h"

namespace pelok {

TraceFiles::File::File(HANDLE file) : handle(file) {
  InitializeCriticalSection(&lock);
  words[0] = reinterpret_cast<intptr_t>(&lock);
  words[1] = reinterpret_cast<intptr_t>(handle);
}

TraceFiles::File::~File() {
  CloseHandle(handle);
  DeleteCriticalSection(&lock);
}

intptr_t* TraceFiles::Open(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  const std::string key = FileNameKey(path);
  LockScope scope(lock_);
  const auto found = files_.find(key);
  if (found != files_.end()) return found->second->words;
  // Other processes may read the file, or append to it, while it is open here.
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  SetFilePointer(file, 0, nullptr, FILE_END);
  auto& entry = files_[key];
  entry.reset(new File(file));
  return entry->words;
}

}  // namespace pelok

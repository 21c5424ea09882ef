// The trace files the factory hands out: each opened once per process for appending, and shared
// with its lock by every component whose DLL registry file names it. They stay open while the
// factory module is loaded.
#ifndef PELOK_FACTORY_TRACE_FILES_H_
#define PELOK_FACTORY_TRACE_FILES_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "factory/factory_lock.h"
#include "platform/win32_api.h"

namespace pelok {

class TraceFiles {
 public:
  TraceFiles() = default;
  TraceFiles(const TraceFiles&) = delete;
  TraceFiles& operator=(const TraceFiles&) = delete;

  // The two words {lock, file handle} of the file at path, which a component copies into its
  // traceLock and traceFile; null when the file cannot be opened (it is tried again next time).
  intptr_t* Open(const char* path);

 private:
  struct File {
    File(HANDLE file);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    CRITICAL_SECTION lock;
    HANDLE handle;
    intptr_t words[2];
  };

  FactoryLock lock_;
  // By the path's spelling without regard to case or the kind of separator.
  std::map<std::string, std::unique_ptr<File>> files_;
};

}  // namespace pelok

#endif  // PELOK_FACTORY_TRACE_FILES_H_

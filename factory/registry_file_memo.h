// What the factory has read of the DLL registry files, kept while the files are unchanged, so
// that creating a component reads no file but looks at the stamps of the few it came from.
//
// An answer is kept for the registry path as it was given, together with the stamp of every
// file its redirect chain passed through and of the file it ended at. The next question for that
// path first compares those stamps with the files' current ones (one look at each file, no
// read); a difference, or a file that changed too recently for its stamp to show the next
// change, makes the factory read the files again. An edit is therefore seen at once.
#ifndef PELOK_FACTORY_REGISTRY_FILE_MEMO_H_
#define PELOK_FACTORY_REGISTRY_FILE_MEMO_H_

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "factory/factory_lock.h"
#include "factory/trace_settings.h"
#include "platform/file_stamp.h"

namespace pelok {

class RegistryFileMemo {
 public:
  // One creation of a component: CreateInstance asks for the module, and the new component's
  // constructor asks again (RegisterRecord) for its trace settings, microseconds later on the
  // same thread. The files are looked at once for both: a look at each file per creation, as
  // every creation had before this scope.
  class Creation {
   public:
    Creation();
    ~Creation();
    Creation(const Creation&) = delete;
    Creation& operator=(const Creation&) = delete;

   private:
    bool outermost_;
  };

  RegistryFileMemo() = default;
  RegistryFileMemo(const RegistryFileMemo&) = delete;
  RegistryFileMemo& operator=(const RegistryFileMemo&) = delete;

  // For CreateInstance: the DLL registry file that registry_path resolves to ("" when none can
  // be named), and the module its "[id]" section names ("" when it names none: the module is
  // then found under "[Modules]").
  void ModuleFor(const char* registry_path, int component_id, std::string* ini_path,
                 std::string* module_path);
  // For RegisterRecord: the "[Trace]" settings of that file for component_id.
  void TraceFor(const char* registry_path, int component_id, TraceSettings* settings);

 private:
  struct IdAnswers {
    bool module_known = false;
    std::string module_path;
    bool trace_known = false;
    TraceSettings trace;
  };
  struct Entry {
    std::string ini_path;
    std::vector<std::pair<std::string, FileStamp>> files;
    bool kept = false;  // false: answers are for this call only
    uint64_t checked_in = 0;  // the creation in which the files were last looked at
    std::map<int, IdAnswers> ids;
  };

  // Under lock_: the entry for registry_path, read afresh unless its files are unchanged.
  Entry& Current(const char* registry_path);

  FactoryLock lock_;
  std::map<std::string, Entry> entries_;
};

}  // namespace pelok

#endif  // PELOK_FACTORY_REGISTRY_FILE_MEMO_H_

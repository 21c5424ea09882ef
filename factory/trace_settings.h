// The "[Trace]" section of a DLL registry file: where the components it serves send their
// trace lines.
//
//   [Trace]
//   File=trace.log    ; relative to the DLL registry file's directory
//   DebugMask=0       ; decimal; the bit of value 2 sends trace lines to the debugger
//   FileMask=2        ; decimal; the bit of value 2 sends trace lines to the file
//   1139=store        ; the name a component id writes in its lines (default: the id)
#ifndef PELOK_FACTORY_TRACE_SETTINGS_H_
#define PELOK_FACTORY_TRACE_SETTINGS_H_

#include <cstdint>

#include "pelok/component.h"
#include "pelok/component_factory.h"

namespace pelok {

struct TraceSettings {
  int32_t debug_mask = 0;
  int32_t file_mask = 0;
  char name[sizeof(RegistrationRecord::traceName)] = {0};
  // The trace file's full path; empty when the section names none.
  char file[kPathBufferSize] = {0};
};

// The settings for component_id from the DLL registry file ini_path (already resolved). A
// missing file or section gives masks 0 and no file.
void ReadTraceSettings(const char* ini_path, int component_id, TraceSettings* settings);

}  // namespace pelok

#endif  // PELOK_FACTORY_TRACE_SETTINGS_H_

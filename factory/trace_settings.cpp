#include "factory/trace_settings.h"

#include <cstdlib>
#include <cstring>

#include "framework/dll_registry_file.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

namespace {

constexpr char kSection[] = "Trace";

int32_t ReadMask(const char* ini_path, const char* key) {
  char text[32];
  std::memset(text, 0, sizeof(text));
  GetPrivateProfileStringA(kSection, key, "0", text, sizeof(text), ini_path);
  return static_cast<int32_t>(std::strtol(text, nullptr, 10));
}

}  // namespace

void ReadTraceSettings(const char* ini_path, int component_id, TraceSettings* settings) {
  *settings = TraceSettings();
  // Without a file the system would read its own default one.
  if (ini_path == nullptr || ini_path[0] == '\0') return;
  settings->debug_mask = ReadMask(ini_path, "DebugMask");
  settings->file_mask = ReadMask(ini_path, "FileMask");

  char id_text[16];
  FormatBounded(id_text, sizeof(id_text), sizeof(id_text) - 1, "%d", component_id);
  // Cut to the record's 64 bytes, terminator included.
  GetPrivateProfileStringA(kSection, id_text, id_text, settings->name, sizeof(settings->name),
                           ini_path);

  char file[260];
  std::memset(file, 0, sizeof(file));
  GetPrivateProfileStringA(kSection, "File", "", file, sizeof(file), ini_path);
  // The trace file follows the rule of a module path that skips the default directory: as it
  // stands when absolute, else beside the DLL registry file.
  if (!IsBlank(file)) ResolveModuleValue(ini_path, file, 0, settings->file, sizeof(settings->file));
}

}  // namespace pelok

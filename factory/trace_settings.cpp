#include "factory/trace_settings.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "framework/dll_registry_file.h"
#include "pelok/component.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

namespace {

constexpr char kSection[] = "Trace";
// Room for the section names of a DLL registry file, each with its terminator.
constexpr DWORD kSectionListSize = 4096;

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b))) {
      return false;
    }
  }
  return *a == *b;
}

int32_t ReadMask(const char* ini_path, const char* key) {
  char text[32];
  std::memset(text, 0, sizeof(text));
  GetPrivateProfileStringA(kSection, key, "0", text, sizeof(text), ini_path);
  return static_cast<int32_t>(std::strtol(text, nullptr, 10));
}

// Whether the file has a section named like kSection (as section names compare: without case).
bool HasTraceSection(const char* ini_path) {
  char names[kSectionListSize];
  std::memset(names, 0, sizeof(names));
  // The last byte stays 0 whatever is read, so that the walk below ends inside the buffer.
  const DWORD size = kSectionListSize - 1;
  const DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", names, size, ini_path);
  // A list cut short may have lost the section: then it counts as there.
  if (length + 2 >= size) return true;
  for (size_t at = 0; at < sizeof(names) && names[at] != '\0'; at += std::strlen(&names[at]) + 1) {
    char name[kPathBufferSize];
    TrimBlanks(&names[at], name, sizeof(name));
    if (EqualsIgnoringCase(name, kSection)) return true;
  }
  return false;
}

}  // namespace

void ReadTraceSettings(const char* ini_path, int component_id, TraceSettings* settings) {
  *settings = TraceSettings();
  // Without a file the system would read its own default one.
  if (ini_path == nullptr || ini_path[0] == '\0') return;
  // The id as the file spells it, here a key of the trace section.
  const std::string id = SectionOf(component_id);
  const char* const id_text = id.c_str();
  // Most files have no such section: one look at the list of sections then answers every value
  // with its default, where four reads of the file would.
  if (!HasTraceSection(ini_path)) {
    CopyText(settings->name, sizeof(settings->name), id_text);
    return;
  }
  settings->debug_mask = ReadMask(ini_path, "DebugMask");
  settings->file_mask = ReadMask(ini_path, "FileMask");

  // Cut to the record's 64 bytes, terminator included.
  GetPrivateProfileStringA(kSection, id_text, id_text, settings->name, sizeof(settings->name),
                           ini_path);

  char file[kPathBufferSize];
  std::memset(file, 0, sizeof(file));
  GetPrivateProfileStringA(kSection, "File", "", file, sizeof(file), ini_path);
  // The trace file follows the rule of a module path that skips the default directory: as it
  // stands when absolute, else beside the DLL registry file.
  if (!IsBlank(file)) ResolveModuleValue(ini_path, file, 0, settings->file, sizeof(settings->file));
}

}  // namespace pelok

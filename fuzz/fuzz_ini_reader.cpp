// The INI reader: an arbitrary file read with GetPrivateProfileStringA, for names taken from the
// file itself and for the names the module reads, into buffers of every small size. The result
// must fit the buffer, be terminated and be what the scanner finds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/posix/ini_text.h"
#include "platform/win32_api.h"

namespace {

std::string TempFile() {
  char path[] = "/tmp/pelok_fuzz_ini_XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  return path;
}

void Read(const char* file, const char* section, const char* key, unsigned size) {
  char buffer[64];
  std::memset(buffer, 0x5a, sizeof(buffer));
  const DWORD length = GetPrivateProfileStringA(section, key, "dflt", buffer, size, file);
  if (size == 0) return;
  if (length >= size) __builtin_trap();  // the result never fills the whole buffer
  if (buffer[length] != '\0') __builtin_trap();
  for (unsigned i = size; i < sizeof(buffer); ++i) {
    if (buffer[i] != 0x5a) __builtin_trap();  // written past the size given
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = TempFile();
  FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  const std::string text(reinterpret_cast<const char*>(data), size);
  pelok::posix::IniScanner scanner(text);
  pelok::posix::IniLine line;
  std::string section = "361";
  int lines = 0;
  while (scanner.Next(&line) && lines++ < 64) {
    const std::string name(line.name);
    if (line.kind == pelok::posix::IniLine::kSection) {
      section = name;
      continue;
    }
    if (name.find('\0') != std::string::npos || section.find('\0') != std::string::npos) continue;
    for (unsigned buffer_size : {0u, 1u, 2u, 7u, 64u}) {
      Read(file.c_str(), section.c_str(), name.c_str(), buffer_size);
    }
  }
  Read(file.c_str(), "Redirect", "Path", 64);
  Read(file.c_str(), "361", "DLL", 64);
  Read(file.c_str(), "DefaultValue", "DllPath", 64);
  return 0;
}

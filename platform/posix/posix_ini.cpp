// GetPrivateProfileStringA as Windows answers it. Every call looks at the file, so an edit is seen
// at once; the text of a file that certainly has not changed comes from memory
// (platform/posix/ini_file_cache.h).
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/posix/ini_file_cache.h"
#include "platform/posix/ini_text.h"
#include "platform/posix/posix_path.h"
#include "platform/posix_win32.h"

using pelok::posix::IniLine;
using pelok::posix::IniScanner;

namespace {

// text cut to size - 1 characters and terminated; the number of characters copied.
DWORD CopyCut(std::string_view text, char* out, DWORD size) {
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return static_cast<DWORD>(n);
}

// The default as Windows gives it back: "" for null, without trailing spaces and without one
// pair of surrounding quotes.
std::string_view DefaultText(const char* default_value) {
  std::string_view text = default_value == nullptr ? "" : default_value;
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return pelok::posix::StripQuotes(text);
}

// A list of names, each terminated and the list ending in a second zero. A list that does not
// fit is cut inside the first name that does not fit completely, that part still terminated and
// followed by the final zero; the result is then size - 2.
class NameList {
 public:
  NameList(char* out, DWORD size) : out_(out), size_(size) {}

  void Add(std::string_view name) {
    if (cut_ || size_ < 2 || name.empty()) return;
    ++count_;
    const size_t room = size_ - 1 - used_;  // before the final zero; never 0
    if (name.size() + 1 >= room) {
      name = name.substr(0, room - 1);
      cut_ = true;
    }
    std::memcpy(out_ + used_, name.data(), name.size());
    used_ += name.size();
    out_[used_++] = '\0';
  }

  bool empty() const { return count_ == 0; }

  DWORD Finish() {
    out_[used_] = '\0';
    if (used_ == 0 && size_ > 1) out_[1] = '\0';  // an empty list is still "\0\0"
    return cut_ ? size_ - 2 : static_cast<DWORD>(used_);
  }

 private:
  char* out_;
  size_t size_;
  size_t used_ = 0;
  size_t count_ = 0;
  bool cut_ = false;
};

DWORD ListSections(std::string_view text, char* out, DWORD size) {
  NameList list(out, size);
  IniScanner scanner(text);
  IniLine line;
  while (scanner.Next(&line)) {
    if (line.kind == IniLine::kSection) list.Add(line.name);
  }
  return list.Finish();
}

// Walks the entries of the first section named section (case-insensitive); entries before any
// header belong to the section "". visit returns false to stop.
template <class Visit>
void ForEachEntry(std::string_view text, std::string_view section, Visit visit) {
  bool inside = section.empty();
  IniScanner scanner(text);
  IniLine line;
  while (scanner.Next(&line)) {
    if (line.kind == IniLine::kSection) {
      if (inside) return;
      inside = pelok::posix::EqualNoCase(line.name, section);
    } else if (inside && !visit(line)) {
      return;
    }
  }
}

DWORD ReadProfileString(const std::string& text, const char* section, const char* key,
                        std::string_view fallback, char* out, DWORD size) {
  if (section == nullptr) return ListSections(text, out, size);
  const std::string_view wanted_section = pelok::posix::TrimBlanks(section);
  if (key == nullptr) {
    NameList list(out, size);
    ForEachEntry(text, wanted_section, [&list](const IniLine& line) {
      if (line.has_value) list.Add(line.name);
      return true;
    });
    return list.empty() ? CopyCut(fallback, out, size) : list.Finish();
  }
  const std::string_view wanted_key = pelok::posix::TrimBlanks(key);
  const IniLine* found = nullptr;
  IniLine match;
  if (!wanted_key.empty()) {
    ForEachEntry(text, wanted_section, [&](const IniLine& line) {
      if (!pelok::posix::EqualNoCase(line.name, wanted_key)) return true;
      match = line;
      found = &match;
      return false;
    });
  }
  if (found == nullptr || !found->has_value) return CopyCut(fallback, out, size);
  return CopyCut(pelok::posix::StripQuotes(found->value), out, size);
}

}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* default_value,
                               char* out, DWORD size, const char* file) {
  if (out == nullptr || size == 0) return 0;
  const std::string_view fallback = DefaultText(default_value);
  try {
    const pelok::posix::PosixPath path(file);
    const std::shared_ptr<const std::string> text =
        path.ok() ? pelok::posix::ReadIniFile(path.c_str()) : nullptr;
    if (text == nullptr) {
      if (section == nullptr) return NameList(out, size).Finish();
      return CopyCut(fallback, out, size);
    }
    return ReadProfileString(*text, section, key, fallback, out, size);
  } catch (...) {
    // Out of memory for the file's text: as if the file were missing.
    return CopyCut(fallback, out, size);
  }
}

// The lines of an INI text as Windows reads them: "[name]" opens a section, "name=value" is an
// entry, a line starting with ';' is a comment. Names and values come without surrounding blanks;
// a line without '=' is an entry without a value. Lines end with LF or CRLF.
#ifndef PELOK_PLATFORM_POSIX_INI_TEXT_H_
#define PELOK_PLATFORM_POSIX_INI_TEXT_H_

#include <string_view>

namespace pelok {
namespace posix {

struct IniLine {
  enum Kind { kSection, kEntry };
  Kind kind = kEntry;
  std::string_view name;
  std::string_view value;
  bool has_value = false;
};

// Gives the sections and entries of a text one by one, skipping blank lines and comments.
class IniScanner {
 public:
  explicit IniScanner(std::string_view text);
  // The next section or entry; false at the end of the text.
  bool Next(IniLine* line);

 private:
  std::string_view rest_;
};

// text without the blanks at either end.
std::string_view TrimBlanks(std::string_view text);

// text without one pair of matching single or double quotes around it.
std::string_view StripQuotes(std::string_view text);

// ASCII case-insensitive equality, as section and key names compare.
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace posix
}  // namespace pelok

#endif  // PELOK_PLATFORM_POSIX_INI_TEXT_H_

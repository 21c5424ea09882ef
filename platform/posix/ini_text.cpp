#include "platform/posix/ini_text.h"

namespace pelok {
namespace posix {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

IniScanner::IniScanner(std::string_view text) : rest_(text) {
  // Editors that save UTF-8 may put a byte-order mark first.
  if (rest_.substr(0, kUtf8Bom.size()) == kUtf8Bom) rest_.remove_prefix(kUtf8Bom.size());
}

bool IniScanner::Next(IniLine* line) {
  while (!rest_.empty()) {
    const size_t end = rest_.find_first_of("\r\n");
    const std::string_view raw = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    const std::string_view text = TrimBlanks(raw);
    if (text.empty() || text.front() == ';') continue;
    // A section header runs to its last ']'; a '[' line without one is read as an entry.
    const size_t close = text.rfind(']');
    if (text.front() == '[' && close != std::string_view::npos) {
      line->kind = IniLine::kSection;
      line->name = TrimBlanks(text.substr(1, close - 1));
      line->value = std::string_view();
      line->has_value = false;
      return true;
    }
    line->kind = IniLine::kEntry;
    const size_t equals = text.find('=');
    line->has_value = equals != std::string_view::npos;
    line->name = TrimBlanks(text.substr(0, equals));
    line->value = line->has_value ? TrimBlanks(text.substr(equals + 1)) : std::string_view();
    return true;
  }
  return false;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view StripQuotes(std::string_view text) {
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front()) {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace posix
}  // namespace pelok

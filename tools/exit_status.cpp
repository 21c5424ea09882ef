#include "tools/exit_status.h"

#include <cstdio>

namespace pelok {
namespace tool {

namespace {

// Control characters as \xNN: a name or path the user gave may hold any byte, and a control
// character would break the one line of a message, or reach the terminal as a command.
std::string WithoutControlCharacters(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      static const char kHex[] = "0123456789ABCDEF";
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace

int Fail(int status, const std::string& message) {
  // Whatever went to standard output so far stays ahead of the error line.
  std::fflush(stdout);
  std::fprintf(stderr, "pelreg: %s\n", WithoutControlCharacters(message).c_str());
  std::fflush(stderr);
  return status;
}

void Warn(const std::string& message) { Fail(kExitOk, message); }

int FailForWantOfMemory() {
  std::fflush(stdout);
  std::fputs("pelreg: not enough memory\n", stderr);
  std::fflush(stderr);
  return kExitFailure;
}

std::string Quoted(const std::string& text) { return "'" + WithoutControlCharacters(text) + "'"; }

}  // namespace tool
}  // namespace pelok

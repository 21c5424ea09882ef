#include "tools/exit_status.h"

#include <cstdio>

namespace pelok {
namespace tool {

int Fail(int status, const std::string& message) {
  // Whatever went to standard output so far stays ahead of the error line.
  std::fflush(stdout);
  std::fprintf(stderr, "pelreg: %s\n", message.c_str());
  std::fflush(stderr);
  return status;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace tool
}  // namespace pelok

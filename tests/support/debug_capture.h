// Captures what the modules write to the debugger output while the object lives: on Windows
// through a vectored exception handler for the debug-print exception, elsewhere from standard
// error (where the POSIX layer writes it).
#ifndef PELOK_TESTS_SUPPORT_DEBUG_CAPTURE_H_
#define PELOK_TESTS_SUPPORT_DEBUG_CAPTURE_H_

#include <string>

namespace pelok {
namespace test {

class DebugCapture {
 public:
  DebugCapture();
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;
  ~DebugCapture();

  // Everything captured so far (stops nothing).
  std::string Text();

 private:
  struct State;
  State* state_;
};

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_DEBUG_CAPTURE_H_

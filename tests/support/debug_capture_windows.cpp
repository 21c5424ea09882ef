#include <mutex>
#include <string>

#include "platform/win32_api.h"
#include "tests/support/debug_capture.h"

namespace pelok {
namespace test {

namespace {

std::mutex g_mutex;
std::string* g_sink = nullptr;

// OutputDebugStringA raises this exception with {length, text}; a vectored handler sees it first.
LONG CALLBACK OnDebugPrint(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
  const size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_sink != nullptr && text != nullptr) {
    // The length counts the terminating zero.
    g_sink->append(text, length > 0 ? length - 1 : 0);
  }
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

struct DebugCapture::State {
  std::string text;
  void* handler = nullptr;
};

DebugCapture::DebugCapture() : state_(new State) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sink = &state_->text;
  }
  state_->handler = AddVectoredExceptionHandler(1, OnDebugPrint);
}

DebugCapture::~DebugCapture() {
  RemoveVectoredExceptionHandler(state_->handler);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sink = nullptr;
  }
  delete state_;
}

std::string DebugCapture::Text() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return state_->text;
}

}  // namespace test
}  // namespace pelok

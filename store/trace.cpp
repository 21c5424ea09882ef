#include "store/trace.h"

#include <cstdarg>
#include <cstring>

#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {

// GBK bytes: 目录 = C4 BF C2 BC, 创建失败 = B4 B4 BD A8 CA A7 B0 DC.
const char kDirectoryCreateFailedMessage[] =
    "Error : \xC4\xBF\xC2\xBC %s \xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC!";

namespace {

constexpr int kStageOneSize = 256;
constexpr int kLineSize = 1024;
// "%04d-%02d-%02d %02d:%02d:%02d:%03d " is written first and cut off again: the lines carry
// no time stamp, but the stamp counts toward the first stage's length limit.
constexpr int kTimeStampLength = 24;
constexpr int kTraceNameSize = static_cast<int>(sizeof(RegistrationRecord::traceName));

// The name goes into the second stage's format text, so each "%" is doubled there to stay a
// percent sign. The factory may fill all 64 bytes without a terminator.
void EscapePercent(const char* name, char (&out)[2 * kTraceNameSize + 1]) {
  int used = 0;
  for (int i = 0; i < kTraceNameSize && name[i] != 0; ++i) {
    if (name[i] == '%') out[used++] = '%';
    out[used++] = name[i];
  }
  out[used] = 0;
}

// A first stage cut at its limit may end inside a directive ("%", "%l"), which would make the
// second stage read an argument that is not there; such a tail is dropped.
void DropIncompleteDirective(char* text) {
  static const char kDirectiveModifiers[] = "-+ #'0123456789.*hlLqjzt";
  for (char* c = text; *c != 0; ++c) {
    if (*c != '%') continue;
    char* end = c + 1;
    while (*end != 0 && std::strchr(kDirectiveModifiers, *end) != nullptr) ++end;
    if (*end == 0) {
      *c = 0;
      return;
    }
    c = end;
  }
}

}  // namespace

void Trace(const RegistrationRecord& record, const char* format, ...) {
  const bool debugger_on = (record.debugMask & 2) != 0;
  const bool file_on = (record.fileMask & 2) != 0;
  if ((!debugger_on && !file_on) || format == nullptr) return;

  SYSTEMTIME now;
  GetLocalTime(&now);
  char name[2 * kTraceNameSize + 1];
  EscapePercent(record.traceName, name);

  char stage_one[kStageOneSize];
  const int stage_one_length = FormatBounded(
      stage_one, kStageOneSize, kStageOneSize - 1, "%04d-%02d-%02d %02d:%02d:%02d:%03d %s_%s %s\n",
      now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
      "Trace", name, format);
  if (stage_one_length < 0) DropIncompleteDirective(stage_one);

  char line[kLineSize] = {};
  va_list args;
  va_start(args, format);
  BoundedFormat(line, kLineSize, kLineSize - 1, stage_one, args);
  va_end(args);
  if (std::strlen(line) < static_cast<size_t>(kTimeStampLength)) return;
  const char* text = line + kTimeStampLength;

  if (debugger_on) OutputDebugStringA(text);
  if (file_on) AppendTraceLine(record, text);
}

void AppendTraceLine(const RegistrationRecord& record, const char* text) {
  if (text == nullptr) return;
  CRITICAL_SECTION* const lock = reinterpret_cast<CRITICAL_SECTION*>(record.traceLock);
  if (lock != nullptr) EnterCriticalSection(lock);
  if (record.traceFile != -1) {
    const HANDLE file = reinterpret_cast<HANDLE>(record.traceFile);
    LONG high = 0;
    // With a high part, all bits set is also a valid low part; only the error tells them
    // apart, so a stale error must not be mistaken for this move's.
    SetLastError(0);
    const DWORD position = SetFilePointer(file, 0, &high, FILE_END);
    const DWORD error = GetLastError();
    if (position == INVALID_SET_FILE_POINTER && error != 0) {
      char message[kLineSize];
      FormatBounded(message, kLineSize, kLineSize - 1,
                    "Set log file pointer at end fail , error id = %d !\n",
                    static_cast<int>(error));
      OutputDebugStringA(message);
    } else {
      DWORD written = 0;
      WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    }
  }
  if (lock != nullptr) LeaveCriticalSection(lock);
}

}  // namespace pelok

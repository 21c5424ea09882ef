// Time, process and thread.
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/posix_win32.h"

void GetLocalTime(SYSTEMTIME* time) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm local;
  localtime_r(&now.tv_sec, &local);
  time->wYear = static_cast<WORD>(local.tm_year + 1900);
  time->wMonth = static_cast<WORD>(local.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  time->wDay = static_cast<WORD>(local.tm_mday);
  time->wHour = static_cast<WORD>(local.tm_hour);
  time->wMinute = static_cast<WORD>(local.tm_min);
  // A leap second reads as the second before it, as Windows has no second 60.
  time->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
  time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

void GetSystemTimeAsFileTime(FILETIME* time) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  // 100-ns units since 1601-01-01: 11644473600 seconds before 1970.
  const uint64_t units = (static_cast<uint64_t>(now.tv_sec) + 11644473600ULL) * 10000000ULL +
                         static_cast<uint64_t>(now.tv_nsec) / 100;
  time->dwLowDateTime = static_cast<DWORD>(units & 0xFFFFFFFFu);
  time->dwHighDateTime = static_cast<DWORD>(units >> 32);
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

void Sleep(DWORD milliseconds) {
  struct timespec rest;
  rest.tv_sec = static_cast<time_t>(milliseconds / 1000);
  rest.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  // A signal cuts the sleep short; sleep what is left.
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

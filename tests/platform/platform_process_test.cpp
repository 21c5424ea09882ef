// Critical sections, the per-thread last error, local time, thread ids and Sleep. Run against the
// real Win32 API in the Windows build as well.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <set>
#include <thread>
#include <vector>

#include "platform/win32_api.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace pelok {
namespace {

class CriticalSectionTest : public ::testing::Test {
 protected:
  CriticalSectionTest() { InitializeCriticalSection(&section_); }
  ~CriticalSectionTest() override { DeleteCriticalSection(&section_); }

  CRITICAL_SECTION section_;
};

TEST_F(CriticalSectionTest, OwnerMayEnterAgain) {
  EnterCriticalSection(&section_);
  EnterCriticalSection(&section_);
  std::atomic<bool> entered{false};
  std::thread other([&] {
    EnterCriticalSection(&section_);
    entered = true;
    LeaveCriticalSection(&section_);
  });
  LeaveCriticalSection(&section_);
  // Still held once: the other thread must wait.
  Sleep(50);
  EXPECT_FALSE(entered.load());
  LeaveCriticalSection(&section_);
  other.join();
  EXPECT_TRUE(entered.load());
}

TEST_F(CriticalSectionTest, ExcludesOtherThreads) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  long counter = 0;  // deliberately not atomic: only the section protects it
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        EnterCriticalSection(&section_);
        const long seen = counter;
        if (i % 1000 == 0) std::this_thread::yield();
        counter = seen + 1;
        LeaveCriticalSection(&section_);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, static_cast<long>(kThreads) * kRounds);
}

TEST(LastErrorTest, EachThreadHasItsOwn) {
  // The threads hand over by spinning on an atomic: any system call in between could change
  // the last error by itself.
  std::atomic<int> step{0};
  DWORD first_seen = 0;
  DWORD second_seen = 0;
  std::thread first([&] {
    SetLastError(ERROR_DISK_FULL);
    step = 1;
    while (step.load() != 2) {
    }
    first_seen = GetLastError();
  });
  std::thread second([&] {
    while (step.load() != 1) {
    }
    SetLastError(ERROR_ACCESS_DENIED);
    second_seen = GetLastError();
    step = 2;
  });
  first.join();
  second.join();
  EXPECT_EQ(first_seen, ERROR_DISK_FULL);
  EXPECT_EQ(second_seen, ERROR_ACCESS_DENIED);
}

TEST(LocalTimeTest, MatchesTheCalendarClock) {
  const std::time_t before = std::time(nullptr);
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::time_t after = std::time(nullptr);

  std::tm fields = {};
  fields.tm_year = now.wYear - 1900;
  fields.tm_mon = now.wMonth - 1;
  fields.tm_mday = now.wDay;
  fields.tm_hour = now.wHour;
  fields.tm_min = now.wMinute;
  fields.tm_sec = now.wSecond;
  fields.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&fields);
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
  EXPECT_EQ(now.wDayOfWeek, fields.tm_wday);
  EXPECT_LT(now.wMilliseconds, 1000);
}

TEST(LocalTimeTest, CarriesMilliseconds) {
  std::set<WORD> seen;
  for (int i = 0; i < 20; ++i) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    seen.insert(now.wMilliseconds);
    Sleep(7);
  }
  EXPECT_GT(seen.size(), 1u);
}

TEST(ThreadIdTest, StableInAThreadDistinctBetweenThreads) {
  const DWORD mine = GetCurrentThreadId();
  EXPECT_EQ(GetCurrentThreadId(), mine);
  DWORD other_id = mine;
  DWORD other_process = 0;
  std::thread other([&] {
    other_id = GetCurrentThreadId();
    other_process = GetCurrentProcessId();
  });
  other.join();
  EXPECT_NE(other_id, mine);
  EXPECT_EQ(other_process, GetCurrentProcessId());
#if !defined(_WIN32)
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
  EXPECT_EQ(mine, static_cast<DWORD>(getpid()));  // the main thread's id is the process id
#endif
}

TEST(SleepTest, WaitsAtLeastTheTimeAsked) {
  const auto start = std::chrono::steady_clock::now();
  Sleep(60);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 55);
}

}  // namespace
}  // namespace pelok

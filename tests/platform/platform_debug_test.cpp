// The debugger hooks: OutputDebugStringA passes its text on unchanged (captured from standard
// error on POSIX and from the debug-print exception on Windows); DebugBreak breaks only into an
// attached debugger, which IsDebuggerPresent reports.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/win32_api.h"
#include "tests/support/debug_capture.h"

#if !defined(_WIN32)
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace pelok {
namespace {

TEST(DebugOutputTest, TextArrivesUnchangedAndInOrder) {
  test::DebugCapture capture;
  OutputDebugStringA("Pelok[Error] first line\n");
  OutputDebugStringA("");
  OutputDebugStringA(nullptr);
  OutputDebugStringA("no newline, \"quotes\", \\ and \xB2\xE9\xD5\xD2");
  OutputDebugStringA("\r\nlast\n");
  EXPECT_EQ(capture.Text(),
            "Pelok[Error] first line\nno newline, \"quotes\", \\ and \xB2\xE9\xD5\xD2\r\nlast\n");
}

TEST(DebuggerTest, NoneIsAttachedToTheTests) { EXPECT_FALSE(IsDebuggerPresent()); }

#if !defined(_WIN32)
TEST(DebugOutputTest, InterleavesWithOtherStandardErrorOutput) {
  test::DebugCapture capture;
  std::fputs("before ", stderr);
  OutputDebugStringA("debug ");
  std::fputs("after", stderr);
  EXPECT_EQ(capture.Text(), "before debug after");
}

TEST(DebugOutputTest, LongTextIsWrittenWhole) {
  std::string text;
  for (int i = 0; text.size() < (1u << 20); ++i) text += "line " + std::to_string(i) + "\n";
  test::DebugCapture capture;
  OutputDebugStringA(text.c_str());
  EXPECT_EQ(capture.Text(), text);
}

TEST(DebugBreakTest, WithoutDebuggerDoesNothing) {
  DebugBreak();  // a SIGTRAP would end the test program here
  SUCCEED();
}

TEST(DebugBreakTest, UnderATracerIsSeenAndStopsWithSigtrap) {
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    // The parent becomes the tracer; TracerPid then names it.
    if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(3);
    if (!IsDebuggerPresent()) _exit(4);
    DebugBreak();
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
    GTEST_SKIP() << "ptrace is not permitted here";
  }
  ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 4) << "the tracer went unseen";
  ASSERT_TRUE(WIFSTOPPED(status)) << "DebugBreak returned without a break, status " << status;
  EXPECT_EQ(WSTOPSIG(status), SIGTRAP);
  // Let the child go on without the signal; it then ends normally.
  ASSERT_EQ(ptrace(PTRACE_CONT, child, nullptr, nullptr), 0);
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

}  // namespace
}  // namespace pelok

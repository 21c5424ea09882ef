// Trace lines built from a registration record and appended to a real trace file.
#include "store/trace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32_api.h"
#include "tests/support/debug_capture.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::DebugCapture;
using test::TempDir;

// The store's message with the path C:\data, as the trace file must hold it.
const char kExpectedStoreLine[] =
    "Trace_store Error : \xC4\xBF\xC2\xBC C:\\data \xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC!\n";

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Join("trace.log");
    file_ =
        CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file_);
    std::memset(&record_, 0, sizeof(record_));
    record_.traceFile = reinterpret_cast<intptr_t>(file_);
    std::strcpy(record_.traceName, "store");
  }
  void TearDown() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  std::string FileText() {
    std::string text;
    EXPECT_TRUE(test::ReadFileBytes(path_, &text));
    return text;
  }

  TempDir dir_;
  std::string path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  RegistrationRecord record_;
};

TEST_F(TraceTest, MessageIsStoredInGbkByteForByte) {
  EXPECT_STREQ("Error : \xC4\xBF\xC2\xBC %s \xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC!",
               kDirectoryCreateFailedMessage);
}

TEST_F(TraceTest, FileMaskAppendsTheLineWithoutTimeStamp) {
  record_.fileMask = 2;
  DebugCapture debugger;
  Trace(record_, kDirectoryCreateFailedMessage, "C:\\data");
  EXPECT_EQ(kExpectedStoreLine, FileText());
  EXPECT_EQ("", debugger.Text());
}

TEST_F(TraceTest, DebugMaskSendsTheLineOnlyToTheDebugger) {
  record_.debugMask = 2;
  DebugCapture debugger;
  Trace(record_, kDirectoryCreateFailedMessage, "C:\\data");
  EXPECT_EQ(kExpectedStoreLine, debugger.Text());
  EXPECT_EQ("", FileText());
}

TEST_F(TraceTest, OnlyTheBitOfValueTwoCounts) {
  record_.debugMask = ~2;
  record_.fileMask = ~2;
  DebugCapture debugger;
  Trace(record_, "message %d", 1);
  EXPECT_EQ("", FileText());
  EXPECT_EQ("", debugger.Text());
}

TEST_F(TraceTest, LinesGoToTheEndOfTheFileWhereverItsPositionIs) {
  record_.fileMask = 2;
  Trace(record_, "first %d", 1);
  // Another writer of the shared handle may leave the position anywhere.
  SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
  Trace(record_, "second %s", "two");
  EXPECT_EQ("Trace_store first 1\nTrace_store second two\n", FileText());
}

TEST_F(TraceTest, WithoutAFileNothingIsWrittenAndNothingReported) {
  record_.fileMask = 2;
  record_.traceFile = -1;
  DebugCapture debugger;
  Trace(record_, kDirectoryCreateFailedMessage, "C:\\data");
  EXPECT_EQ("", FileText());
  EXPECT_EQ("", debugger.Text());
}

TEST_F(TraceTest, PercentSignsInTheNameStayLiteral) {
  record_.fileMask = 2;
  std::strcpy(record_.traceName, "50%s%n%%");
  Trace(record_, "value %d", 7);
  EXPECT_EQ("Trace_50%s%n%% value 7\n", FileText());
}

TEST_F(TraceTest, NameFillingAllSixtyFourBytesIsReadNoFurther) {
  record_.fileMask = 2;
  std::memset(record_.traceName, 'n', sizeof(record_.traceName));
  std::memset(record_.recordText1, 'X', sizeof(record_.recordText1));
  Trace(record_, "end");
  EXPECT_EQ("Trace_" + std::string(64, 'n') + " end\n", FileText());
}

TEST_F(TraceTest, FirstStageIsCutAt255CharactersWithoutAHalfDirective) {
  record_.fileMask = 2;
  // 24 (time stamp) + "Trace_store " (12) leave 219 characters of the format: the cut falls
  // right after the "%" of a "%s", which must not read the argument.
  const std::string format = std::string(218, 'a') + "%s tail";
  Trace(record_, format.c_str(), "ARG");
  EXPECT_EQ("Trace_store " + std::string(218, 'a'), FileText());

  ASSERT_TRUE(test::WriteFileBytes(path_, ""));
  const std::string long_directive = std::string(217, 'b') + "%ld tail";
  Trace(record_, long_directive.c_str(), 5L);
  EXPECT_EQ("Trace_store " + std::string(217, 'b'), FileText());
}

TEST_F(TraceTest, ExpandedLineIsCutAt1023Characters) {
  record_.fileMask = 2;
  const std::string big(2000, 'z');
  Trace(record_, "%s", big.c_str());
  const std::string text = FileText();
  // The time stamp's 24 characters are part of the 1023.
  EXPECT_EQ(1023u - 24u, text.size());
  EXPECT_EQ("Trace_store " + std::string(1023 - 24 - 12, 'z'), text);
}

TEST_F(TraceTest, FailingPositioningIsReportedAndTheLineDropped) {
  record_.fileMask = 2;
  record_.traceFile = 0x7ff0;  // no such handle or descriptor
  DebugCapture debugger;
  Trace(record_, "lost");
  const std::string text = debugger.Text();
  EXPECT_EQ(0u, text.find("Set log file pointer at end fail , error id = ")) << text;
  EXPECT_NE(std::string::npos, text.find(" !\n")) << text;
  EXPECT_EQ(std::string::npos, text.find("lost"));
}

TEST_F(TraceTest, LinesFromManyThreadsStayWholeUnderTheLock) {
  CRITICAL_SECTION lock;
  InitializeCriticalSection(&lock);
  record_.fileMask = 2;
  record_.traceLock = reinterpret_cast<intptr_t>(&lock);
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kLines; ++i) Trace(record_, "thread %d line %03d payload", t, i);
    });
  }
  for (auto& thread : threads) thread.join();
  DeleteCriticalSection(&lock);

  const std::string text = FileText();
  std::vector<int> next(kThreads, 0);
  size_t start = 0;
  int lines = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    ASSERT_NE(std::string::npos, end);
    int t = -1;
    int i = -1;
    const std::string line = text.substr(start, end - start);
    ASSERT_EQ(2, std::sscanf(line.c_str(), "Trace_store thread %d line %d payload", &t, &i))
        << line;
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(next[t]++, i);
    ++lines;
    start = end + 1;
  }
  EXPECT_EQ(kThreads * kLines, lines);
}

}  // namespace
}  // namespace pelok

// When a file's times can be trusted to show its next change, in every unit the stamps use.
#include "platform/file_stamp.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pelok {
namespace {

constexpr int64_t kNs = 1000000000LL;         // nanoseconds in a second
constexpr uint64_t kFileTime = 10000000ULL;  // 100-ns units in a second

TEST(ChangeSettledBeforeTest, AFineTimeSettlesAfterFiftyMilliseconds) {
  const int64_t last = 1000 * kNs + 123456789;
  EXPECT_FALSE(ChangeSettledBefore(last, last, kNs));
  EXPECT_FALSE(ChangeSettledBefore(last, last + kNs / 20, kNs));
  EXPECT_TRUE(ChangeSettledBefore(last, last + kNs / 20 + 1, kNs));
}

TEST(ChangeSettledBeforeTest, AWholeSecondComesFromACoarseFileSystemAndTakesThreeSeconds) {
  const int64_t last = 1000 * kNs;
  EXPECT_FALSE(ChangeSettledBefore(last, last + 2 * kNs, kNs));
  EXPECT_FALSE(ChangeSettledBefore(last, last + 3 * kNs, kNs));
  EXPECT_TRUE(ChangeSettledBefore(last, last + 3 * kNs + 1, kNs));
}

TEST(ChangeSettledBeforeTest, TheSameRuleInWindowsFileTimeUnits) {
  // A whole second of 2026 in 100-ns units since 1601 (in nanoseconds it would pass INT64_MAX).
  const uint64_t whole = 13400000000ULL * kFileTime;
  EXPECT_FALSE(ChangeSettledBefore(whole, whole + 2 * kFileTime, kFileTime));
  EXPECT_TRUE(ChangeSettledBefore(whole, whole + 3 * kFileTime + 1, kFileTime));
  const uint64_t fine = whole + 7;
  EXPECT_TRUE(ChangeSettledBefore(fine, fine + kFileTime / 20 + 1, kFileTime));
  EXPECT_FALSE(ChangeSettledBefore(fine, fine + kFileTime / 20, kFileTime));
}

TEST(FileStampTest, AMissingFileIsSettledAndTheLaterOfBothTimesCounts) {
  FileStamp missing;
  EXPECT_TRUE(missing.SettledBefore(0));
  FileStamp stamp;
  stamp.exists = true;
  stamp.modified_ns = 1000 * kNs + 1;
  stamp.changed_ns = 1000 * kNs + kNs / 2;
  EXPECT_FALSE(stamp.SettledBefore(stamp.modified_ns + kNs / 20 + 1));
  EXPECT_TRUE(stamp.SettledBefore(stamp.changed_ns + kNs / 20 + 1));
}

}  // namespace
}  // namespace pelok

// The rule that cuts a key path into element names, and the names the store may write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/key_path.h"

namespace pelok {
namespace {

// Every part of key_path in order; "<too long>" stands for a failed step.
std::vector<std::string> Parts(const std::string& key_path) {
  std::vector<std::string> parts;
  size_t cursor = 0;
  char part[kPathBufferSize];
  for (;;) {
    const KeyPathStep step = NextKeyPathPart(key_path.c_str(), &cursor, part);
    if (step == KeyPathStep::kEnd) break;
    if (step == KeyPathStep::kTooLong) {
      parts.push_back("<too long>");
      break;
    }
    parts.push_back(part);
  }
  return parts;
}

using Strings = std::vector<std::string>;

TEST(KeyPathSplitTest, PartsFollowTheSlashes) {
  EXPECT_EQ((Strings{"pelok", "a", "b"}), Parts("pelok/a/b"));
  EXPECT_EQ((Strings{"share"}), Parts("share"));
}

TEST(KeyPathSplitTest, TrailingSlashIsIgnoredAndEmptyPathHasNoParts) {
  EXPECT_EQ((Strings{"pelok", "a"}), Parts("pelok/a/"));
  EXPECT_EQ(Strings{}, Parts(""));
}

TEST(KeyPathSplitTest, SlashAtTheCursorMakesTheRestOnePart) {
  EXPECT_EQ((Strings{"/a/b"}), Parts("/a/b"));
  EXPECT_EQ((Strings{"a", "/b/c"}), Parts("a//b/c"));
  EXPECT_EQ((Strings{"/"}), Parts("/"));
}

TEST(KeyPathSplitTest, PartsOf260CharactersOrMoreFailTheWalk) {
  const std::string longest(259, 'k');
  EXPECT_EQ((Strings{"a", longest}), Parts("a/" + longest));
  EXPECT_EQ((Strings{longest, "b"}), Parts(longest + "/b"));
  const std::string too_long(260, 'k');
  EXPECT_EQ((Strings{"a", "<too long>"}), Parts("a/" + too_long));
  // A piece that is too long before a "/" makes the whole rest the part, which is longer.
  EXPECT_EQ((Strings{"<too long>"}), Parts(too_long + "/b"));
}

TEST(KeyPathSplitTest, NullPathHasNoParts) {
  size_t cursor = 0;
  char part[kPathBufferSize];
  EXPECT_EQ(KeyPathStep::kEnd, NextKeyPathPart(nullptr, &cursor, part));
}

}  // namespace
}  // namespace pelok

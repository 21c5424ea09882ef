// The root names and codes every host program and the registry share.
#include "pelok/component.h"

#include <gtest/gtest.h>

#include <string>

namespace pelok {
namespace {

TEST(RootNamesTest, EachRootIsNamedByItsLowThirtyBitsWhateverItsKind) {
  EXPECT_STREQ("root", root::NameOf(root::kRoot));
  EXPECT_STREQ("pelok", root::NameOf(root::kPelok));
  EXPECT_STREQ("share", root::NameOf(RootOfKind(root::kShare, kind::kStored)));
  EXPECT_STREQ("user", root::NameOf(RootOfKind(root::kUser, kind::kStored3)));
  EXPECT_STREQ("winreg", root::NameOf(0x3ffffff5u | 0x40000000u));
  EXPECT_EQ(nullptr, root::NameOf(0x3ffffff0u));
  EXPECT_EQ(nullptr, root::NameOf(0x3ffffff6u));
  EXPECT_EQ(nullptr, root::NameOf(0));
}

TEST(RootNamesTest, ANameGivesItsCodeWhateverTheCaseOfItsLetters) {
  for (const root::NamedRoot& named : root::kNamedRoots) {
    EXPECT_EQ(named.code, root::CodeOf(named.name));
    std::string upper = named.name;
    for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
    EXPECT_EQ(named.code, root::CodeOf(upper)) << upper;
  }
  EXPECT_EQ(0u, root::CodeOf(""));
  EXPECT_EQ(0u, root::CodeOf("shar"));
  EXPECT_EQ(0u, root::CodeOf("shares"));
  EXPECT_EQ(0u, root::CodeOf("share/app"));
  // Only ASCII letters fold: 0xD3 is no capital of "s".
  EXPECT_EQ(0u, root::CodeOf("\xd3hare"));
}

}  // namespace
}  // namespace pelok

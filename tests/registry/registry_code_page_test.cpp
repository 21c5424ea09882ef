// Key paths are lower-cased in ASCII, but never inside a character: on Windows the second byte of
// a double-byte character of the ANSI code page stays (this test runs there under GBK, code page
// 936, where B0 41 and B0 61 are two characters); on POSIX names are UTF-8, whose multi-byte
// characters hold no ASCII byte at all. Every kind, and stored keys across a restart.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "pelok/register_front.h"
#include "platform/win32_api.h"
#include "tests/support/persistence_host.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::RegistryHost;

constexpr char kUpperTrail[] = "App\xB0\x41";  // 癆 on code page 936
constexpr char kLowerTrail[] = "App\xB0\x61";  // 癮

class RegistryCodePageTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    path_ = dir_.Join("registry.xml");
    host_ = Start();
  }
  std::unique_ptr<RegistryHost> Start() {
    auto host = std::make_unique<RegistryHost>();
    EXPECT_TRUE(host->ready());
    if (host->ready()) {
      EXPECT_EQ(1, host->front()->SetStoreFile(path_.c_str()));
    }
    return host;
  }
  uint32_t Key(const char* sub_key) {
    uint32_t key = 0;
    int disposition = 0;
    EXPECT_EQ(1, host_->front()->CreateKey(RootOfKind(root::kShare, GetParam()), sub_key,
                                           GetParam(), 0, &key, &disposition));
    return key;
  }
  std::string Name(uint32_t key) {
    char name[260] = {};
    EXPECT_EQ(1, host_->front()->GetKeyName(key, name, sizeof(name)));
    return name;
  }
  std::string Text(uint32_t key, const char* value) {
    char text[64] = {};
    int size = sizeof(text);
    if (!host_->front()->QueryStringValue(key, value, text, &size)) return "<none>";
    return text;
  }

  test::TempDir dir_;
  std::string path_;
  std::unique_ptr<RegistryHost> host_;
};

#if defined(_WIN32)

TEST_P(RegistryCodePageTest, TwoCharactersThatDifferInTheirSecondByteAreTwoKeys) {
  ASSERT_TRUE(IsDBCSLeadByte(0xB0)) << "run under a double-byte code page (LC_ALL=zh_CN.GBK)";
  const uint32_t upper = Key(kUpperTrail);
  const uint32_t lower = Key(kLowerTrail);
  ASSERT_NE(0u, upper);
  ASSERT_NE(upper, lower);
  EXPECT_EQ("share/app\xB0\x41", Name(upper)) << "the letters before it are lower-cased";
  EXPECT_EQ("share/app\xB0\x61", Name(lower));
  ASSERT_EQ(1, host_->front()->SetValue(upper, "v", 1, "upper", 6));
  ASSERT_EQ(1, host_->front()->SetValue(lower, "v", 1, "lower", 6));
  EXPECT_EQ("upper", Text(upper, "v"));
  EXPECT_EQ("lower", Text(lower, "v"));
  if (GetParam() == 1) return;
  host_.reset();
  host_ = Start();
  EXPECT_EQ("upper", Text(Key(kUpperTrail), "v"));
  EXPECT_EQ("lower", Text(Key(kLowerTrail), "v"));
}

TEST_P(RegistryCodePageTest, ALeadByteAtTheEndLeavesNothingBehindIt) {
  const uint32_t key = Key("Cfg/X\xB0");
  ASSERT_NE(0u, key);
  EXPECT_EQ("share/cfg/x\xB0", Name(key));
}

#else

TEST_P(RegistryCodePageTest, Utf8NamesKeepTheirBytesAndAsciiLettersAreLowerCased) {
  // É and é differ in a byte above 127, which no lower-casing touches.
  const uint32_t capital = Key("App/\xC3\x89t\xC3\xA9");
  const uint32_t small = Key("APP/\xC3\xA9t\xC3\xA9");
  ASSERT_NE(0u, capital);
  ASSERT_NE(capital, small);
  EXPECT_EQ("share/app/\xC3\x89t\xC3\xA9", Name(capital));
  EXPECT_EQ("share/app/\xC3\xA9t\xC3\xA9", Name(small));
  // Bytes that are no UTF-8 are no characters either: the ASCII letter after B0 is a letter.
  EXPECT_EQ(Key(kUpperTrail), Key(kLowerTrail));
  ASSERT_EQ(1, host_->front()->SetValue(capital, "v", 1, "capital", 8));
  if (GetParam() == 1) return;
  host_.reset();
  host_ = Start();
  EXPECT_EQ("capital", Text(Key("app/\xC3\x89t\xC3\xA9"), "v"));
}

#endif

INSTANTIATE_TEST_SUITE_P(EveryKind, RegistryCodePageTest, ::testing::Values(1, 2, 3));

}  // namespace
}  // namespace pelok

// pelreg takes key parts and value names of any bytes but the separators, stores them through
// the registry and shows them as they were given, run after run.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/strict_xml.h"

namespace pelok {
namespace {

class PelregNamesTest : public test::PelregTest {};

TEST_F(PelregNamesTest, NamesWithBlanksDigitsAndColonsAreSetAndReadBack) {
  Ok({"set", "share/my app", "Recent File 1", "x"});
  Ok({"set", "share/my app/2nd level", "na:me", "7", "--type", "int"});
  EXPECT_EQ("x\n", Out({"get", "share/my app", "Recent File 1"}));
  EXPECT_EQ("7\n", Out({"get", "share/my app/2nd level", "na:me"}));
  EXPECT_EQ("Recent File 1\ttext\t2\tx\n2nd level/\n", Out({"list", "share/my app"}));
#if !defined(_WIN32)
  EXPECT_TRUE(test::IsStrictXml(dir_.Join("registry.xml")));
#endif
  // The file holds the names escaped; what a user sees is the name itself.
  EXPECT_NE(std::string::npos, Store().find("<my_x0020_app>"));
}

#if !defined(_WIN32)
// Arguments reach a Windows program through its code page; bytes that are no UTF-8 are tried
// where they pass unchanged.
TEST_F(PelregNamesTest, BytesThatAreNoUtf8SurviveARestart) {
  const std::string key = "share/\xB0\x41pp";
  const std::string name = "\xB0\x61 \xFF";
  Ok({"set", key, name, "gbk"});
  EXPECT_EQ("gbk\n", Out({"get", key, name}));
  EXPECT_EQ(name + "\ttext\t4\tgbk\n", Out({"list", key}));
  EXPECT_TRUE(test::IsStrictXml(dir_.Join("registry.xml")));
}
#endif

TEST_F(PelregNamesTest, AValueNameThatLooksLikeAnEscapeIsNoEscape) {
  Ok({"set", "share/app", "_x0041_", "literal"});
  EXPECT_EQ("literal\n", Out({"get", "share/app", "_x0041_"}));
  EXPECT_EQ(1, Run({"get", "share/app", "A"}).status);
}

}  // namespace
}  // namespace pelok

// reg.exe's verbs and switches as pelreg takes them: each stands for an argument or option of a
// pelreg command, gives what that command gives, and a switch pelreg does not know is refused.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ProgramRun;

class PelregRegSwitchesTest : public test::PelregTest {};

TEST_F(PelregRegSwitchesTest, AddAndQueryAsRegExeTakesThem) {
  Ok({"add", "share/app", "/v", "port", "/t", "REG_DWORD", "/d", "8080", "/f"});
  EXPECT_EQ("8080\n", Out({"query", "share/app", "/v", "port"}));
  EXPECT_EQ(Out({"get", "share/app", "port"}), Out({"query", "share/app", "/V", "port"}));

  Ok({"add", "share/app/net", "/v", "mask", "/t", "REG_BINARY", "/d", "FF00"});
  Ok({"add", "share/app", "/d", "demo", "/v", "name"});  // switches in any order
  EXPECT_EQ("demo\n", Out({"get", "share/app", "name"}));
  EXPECT_EQ("FF00\n", Out({"get", "share/app/net", "mask"}));

  // Without /d: reg.exe's empty text, or the number 0.
  Ok({"add", "share/app", "/v", "blank"});
  Ok({"add", "share/app", "/v", "zero", "/t", "REG_DWORD"});
  EXPECT_NE(std::string::npos, Out({"list", "share/app"}).find("blank\ttext\t1\t\n"));
  EXPECT_EQ("0\n", Out({"get", "share/app", "zero"}));

  // query without /v is list; /s is list -r.
  EXPECT_EQ(Out({"list", "share/app"}), Out({"query", "share/app"}));
  EXPECT_EQ(Out({"list", "-r", "share"}), Out({"query", "share", "/s"}));
  const std::string all = Out({"query", "share", "/S"});
  EXPECT_NE(std::string::npos, all.find("app/\n")) << all;
  EXPECT_NE(std::string::npos, all.find("app/port\tint\t4\t8080\n")) << all;
  EXPECT_NE(std::string::npos, all.find("app/net/mask\tbinary\t2\tFF00\n")) << all;
}

TEST_F(PelregRegSwitchesTest, AddWithoutANameCreatesTheKeyAlone) {
  Ok({"add", "share/app/empty"});
  EXPECT_EQ("empty/\n", Out({"list", "share/app"}));
  EXPECT_EQ("", Out({"list", "share/app/empty"}));
  Ok({"add", "share/app/empty"});
  Ok({"set", "share/app", "port", "1"});
  const ProgramRun value = Run({"add", "share/app/port"});
  EXPECT_EQ(1, value.status);
  EXPECT_EQ("pelreg: 'share/app/port' is a value, not a key\n", value.err);
}

TEST_F(PelregRegSwitchesTest, DeleteTakesAValueEveryValueOrTheKey) {
  Ok({"add", "share/app", "/v", "a", "/d", "1"});
  Ok({"add", "share/app", "/v", "b", "/d", "2"});
  Ok({"add", "share/app/net", "/v", "c", "/d", "3"});

  Ok({"delete", "share/app", "/v", "a"});
  EXPECT_EQ(1, Run({"get", "share/app", "a"}).status);
  EXPECT_EQ("2\n", Out({"get", "share/app", "b"}));

  // /va takes the values and leaves the key and the keys below it.
  Ok({"delete", "share/app", "/va"});
  EXPECT_EQ("net/\n", Out({"list", "share/app"}));
  EXPECT_EQ("3\n", Out({"get", "share/app/net", "c"}));

  // A key with keys below it needs /f.
  const ProgramRun refused = Run({"delete", "share/app"});
  EXPECT_EQ(2, refused.status);
  EXPECT_NE(std::string::npos, Store().find("net"));
  Ok({"delete", "share/app", "/F"});
  EXPECT_EQ(1, Run({"list", "share/app"}).status);
}

TEST_F(PelregRegSwitchesTest, ExportWithYesAndImportGoTogether) {
  Ok({"add", "share/app", "/v", "port", "/t", "REG_DWORD", "/d", "8080"});
  ASSERT_TRUE(test::WriteFileBytes(dir_.Join("app.xml"), "old"));
  Ok({"export", "share/app", "app.xml", "/y"});
  Ok({"--store", "other.xml", "import", "app.xml"});
  EXPECT_EQ("8080\n", Out({"--store", "other.xml", "query", "share/app", "/v", "port"}));
}

TEST_F(PelregRegSwitchesTest, SlashQuestionMarkIsHelpAfterAnyCommand) {
  const ProgramRun tool = Run({"/?"});
  EXPECT_EQ(0, tool.status);
  EXPECT_EQ(0u, tool.out.find("Usage: pelreg [OPTIONS] COMMAND [ARGUMENTS]")) << tool.out;
  for (const char* command : {"query", "add", "delete", "export", "import", "get", "list"}) {
    const ProgramRun run = Run({command, "/?"});
    EXPECT_EQ(0, run.status) << command;
    EXPECT_EQ(Run({command, "--help"}).out, run.out) << command;
  }
}

TEST_F(PelregRegSwitchesTest, UnknownOrIncompleteSwitchesAreUsageErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{"query", "share/app", "/q"}, "query: unknown switch '/q' (see pelreg query /?)"},
      {{"query", "share/app", "/y"}, "query: unknown switch '/y' (see pelreg query /?)"},
      {{"add", "share/app", "/s"}, "add: unknown switch '/s' (see pelreg add /?)"},
      {{"add", "share/app", "/v"}, "add: /v needs a value"},
      {{"add", "share/app", "/v", "port", "/t"}, "add: /t needs a value"},
      {{"add", "share/app", "/v", "port", "/d"}, "add: /d needs a value"},
      {{"add", "share/app", "/d", "1"}, "add: /d needs /v NAME"},
      {{"add", "share/app", "/v", "a", "/v", "b"}, "add: /v given twice"},
      {{"add", "share/app", "/v", "port", "/t", "REG_QWORD", "/d", "1"},
       "add: unknown --type 'REG_QWORD' (text, int or binary; 1, 2 or 3; REG_SZ, REG_DWORD or "
       "REG_BINARY)"},
      {{"add", "share/app", "/v", "port", "/t", "REG_DWORD", "/d", "x"},
       "add: 'x' is not a 32-bit number"},
      {{"delete", "share/app", "/v", "a", "/va"}, "delete: /v and /va do not go together"},
      {{"delete", "share/app", "/s"}, "delete: unknown switch '/s' (see pelreg delete /?)"},
      {{"export", "share/app", "x.xml", "/f"},
       "export: unknown switch '/f' (see pelreg export /?)"},
      {{"import", "x.xml", "/y"}, "import: unknown switch '/y' (see pelreg import /?)"},
      {{"add", "share/app", "/t", "REG_SZ"}, "add: /t needs /v NAME"},
      {{"set", "share/app"}, "set: missing NAME (see pelreg set --help)"},
  };
  Ok({"set", "share/app", "keep", "1"});
  const std::string before = Store();
  for (const Case& c : cases) {
    const ProgramRun run = Run(c.args);
    EXPECT_EQ(2, run.status) << c.line;
    EXPECT_EQ("pelreg: " + c.line + "\n", run.err);
    EXPECT_EQ("", run.out) << c.line;
  }
  EXPECT_EQ(before, Store());
}

TEST_F(PelregRegSwitchesTest, PathsAndWordsAfterDoubleDashAreNotSwitches) {
  // An absolute path is longer than a switch; after "--" even "/v" is an argument.
  Ok({"set", "share/app", "where", "/tmp/x"});
  EXPECT_EQ("/tmp/x\n", Out({"query", "share/app", "where"}));
  Ok({"add", "share/app", "slash", "--", "/v"});
  EXPECT_EQ("/v\n", Out({"get", "share/app", "slash"}));
  // The pelreg verbs take no switches: set's VALUE may be "/d".
  Ok({"set", "share/app", "data", "/d"});
  EXPECT_EQ("/d\n", Out({"get", "share/app", "data"}));
}

}  // namespace
}  // namespace pelok

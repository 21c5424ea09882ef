// pelreg get, set, delete and list as a user drives them: every invocation is a new process,
// so whatever one command sets has gone through the store file before the next reads it.
#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::Lines;
using test::ProgramRun;

class PelregValuesTest : public test::PelregTest {
 protected:
  std::string Get(const std::string& key, const std::string& name) {
    const ProgramRun run = Run({"get", key, name});
    EXPECT_EQ(0, run.status) << run.err;
    return run.out;
  }
};

TEST_F(PelregValuesTest, ANumberSetInOneProcessIsReadInTheNext) {
  const ProgramRun set = Run({"set", "share/app", "port", "8080", "--type", "int"});
  EXPECT_EQ(0, set.status) << set.err;
  EXPECT_EQ("", set.out);
  EXPECT_EQ("", set.err);

  const ProgramRun get = Run({"get", "share/app", "port"});
  EXPECT_EQ(0, get.status) << get.err;
  EXPECT_EQ("8080\n", get.out);
  EXPECT_EQ("", get.err);

  // The store file is the registry's, in the current directory.
  const std::string store = Store();
  EXPECT_NE(std::string::npos, store.find("processregister"));
  EXPECT_NE(std::string::npos, store.find("8080"));
}

TEST_F(PelregValuesTest, ValuesOfEveryTypeSurviveBetweenInvocations) {
  Ok({"set", "pelok/net", "title", "Hello, registry"});
  Ok({"set", "pelok/net", "empty", ""});
  Ok({"set", "pelok/net", "max", "4294967295", "--type", "int"});
  Ok({"set", "pelok/net", "minus", "-1", "--type=int"});
  Ok({"set", "pelok/net", "hex", "0x1F90", "--type", "INT"});
  Ok({"set", "pelok/net", "blob", "01abFF", "--type", "binary"});

  EXPECT_EQ("Hello, registry\n", Get("pelok/net", "title"));
  EXPECT_EQ("\n", Get("pelok/net", "empty"));
  EXPECT_EQ("4294967295\n", Get("pelok/net", "max"));
  EXPECT_EQ("4294967295\n", Get("pelok/net", "minus")) << "a 32-bit pattern, read unsigned";
  EXPECT_EQ("8080\n", Get("pelok/net", "hex"));
  EXPECT_EQ("01ABFF\n", Get("pelok/net", "blob"));

  const ProgramRun list = Run({"list", "pelok/net"});
  EXPECT_EQ(0, list.status) << list.err;
  EXPECT_EQ((std::vector<std::string>{"title\ttext\t16\tHello, registry", "empty\ttext\t1\t",
                                      "max\tint\t4\t4294967295", "minus\tint\t4\t4294967295",
                                      "hex\tint\t4\t8080", "blob\tbinary\t3\t01ABFF"}),
            Lines(list.out));
}

TEST_F(PelregValuesTest, SettingAgainReplacesTheValueAndItsType) {
  Ok({"set", "share/app", "port", "8080", "--type", "int"});
  Ok({"set", "share/app", "port", "eighty"});
  EXPECT_EQ("eighty\n", Get("share/app", "port"));
  const ProgramRun list = Run({"list", "share/app"});
  EXPECT_EQ("port\ttext\t7\teighty\n", list.out);
}

TEST_F(PelregValuesTest, KeyNamesAreCaseInsensitiveAndValueNamesAreNot) {
  Ok({"set", "SHARE/App\\Net", "Mode", "fast"});
  EXPECT_EQ("fast\n", Get("share/app/net", "Mode"));
  EXPECT_EQ("fast\n", Get("Share\\APP\\net\\", "Mode"));
  EXPECT_EQ(1, Run({"get", "share/app/net", "mode"}).status);
}

TEST_F(PelregValuesTest, ListShowsControlCharactersEscapedAndGetShowsTextAsItIs) {
  Ok({"set", "user/doc", "lines", "one\ttwo\nthree"});
  EXPECT_EQ("one\ttwo\nthree\n", Get("user/doc", "lines"));
  EXPECT_EQ("lines\ttext\t14\tone\\ttwo\\nthree\n", Run({"list", "user/doc"}).out);
  // A backslash before an n is not a line end: the backslash itself is escaped.
  Ok({"set", "user/doc", "lines", "a\\nb\nc"});
  EXPECT_EQ("lines\ttext\t7\ta\\\\nb\\nc\n", Run({"list", "user/doc"}).out);
}

TEST_F(PelregValuesTest, ListOfAKeyWithoutValuesShowsOnlyItsSubKeys) {
  Ok({"set", "share/app/net", "port", "1", "--type", "int"});
  const ProgramRun list = Run({"list", "share/app"});
  EXPECT_EQ(0, list.status) << list.err;
  EXPECT_EQ("net/\n", list.out) << "a sub-key, and no value";
  const ProgramRun leaf = Run({"list", "share/app/net"});
  EXPECT_EQ("port\tint\t4\t1\n", leaf.out);
}

TEST_F(PelregValuesTest, DeleteRemovesOneValueOrAWholeKey) {
  Ok({"set", "share/app", "keep", "1", "--type", "int"});
  Ok({"set", "share/app", "drop", "2", "--type", "int"});
  Ok({"set", "share/app/net", "port", "3", "--type", "int"});
  Ok({"set", "share/app/net/deep", "x", "00", "--type", "binary"});

  Ok({"delete", "share/app", "drop"});
  EXPECT_EQ(1, Run({"get", "share/app", "drop"}).status);
  EXPECT_EQ("1\n", Get("share/app", "keep"));

  Ok({"delete", "share/app/net", "--force"});
  EXPECT_EQ(1, Run({"list", "share/app/net"}).status);
  EXPECT_EQ(1, Run({"list", "share/app/net/deep"}).status);
  EXPECT_EQ("1\n", Get("share/app", "keep"));
  const std::string store = Store();
  EXPECT_EQ(std::string::npos, store.find("deep")) << store;
  EXPECT_EQ(std::string::npos, store.find("drop")) << store;
}

TEST_F(PelregValuesTest, DeletingAKeyRightUnderItsRootReachesTheFile) {
  Ok({"set", "winreg/a", "v", "1"});
  Ok({"set", "share/b", "v", "2"});
  Ok({"delete", "winreg", "--force"});
  EXPECT_EQ(std::string::npos, Store().find("winreg"));
  EXPECT_EQ("2\n", Get("share/b", "v"));
  Ok({"delete", "-f", "share"});
  EXPECT_EQ(std::string::npos, Store().find("share"));
  EXPECT_EQ("", Run({"tree"}).out);
}

TEST_F(PelregValuesTest, RegVerbsAreAliases) {
  Ok({"add", "share/app", "port", "8080", "--type", "int"});
  const ProgramRun value = Run({"query", "share/app", "port"});
  EXPECT_EQ(0, value.status) << value.err;
  EXPECT_EQ("8080\n", value.out);
  const ProgramRun values = Run({"query", "share/app"});
  EXPECT_EQ(0, values.status) << values.err;
  EXPECT_EQ("port\tint\t4\t8080\n", values.out);
}

TEST_F(PelregValuesTest, StoreOptionNamesAFileRelativeToTheCurrentDirectory) {
  std::filesystem::create_directory(dir_.Join("data"));
  Ok({"--store", "data/other.xml", "set", "root/x", "v", "in other"});
  EXPECT_NE(std::string::npos, Store("data/other.xml").find("in other"));
  EXPECT_FALSE(test::FileExistsAt(dir_.Join("registry.xml")));
  const ProgramRun get = Run({"get", "root/x", "v", "--store=data/other.xml"});
  EXPECT_EQ("in other\n", get.out);
  EXPECT_EQ(1, Run({"get", "root/x", "v"}).status) << "the default store holds nothing";

  const std::string absolute = dir_.Join("absolute.xml");
  Ok({"--store", absolute, "set", "root/y", "v", "abs"});
  EXPECT_NE(std::string::npos, Store("absolute.xml").find("abs"));
}

TEST_F(PelregValuesTest, KindThreeKeysShareTheStoreFile) {
  Ok({"--kind", "3", "set", "share/app", "port", "8080", "--type", "int"});
  EXPECT_EQ("8080\n", Get("share/app", "port"));
  const ProgramRun get = Run({"--kind", "3", "get", "share/app", "port"});
  EXPECT_EQ("8080\n", get.out);
}

}  // namespace
}  // namespace pelok

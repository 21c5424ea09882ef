// Every failure a user can cause gives its exit status and one line on standard error that
// names what failed; none of them changes the store or crashes.
#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ProgramRun;
using test::WriteFileBytes;

class PelregErrorsTest : public test::PelregTest {
 protected:
  // The run failed with status and said exactly line.
  void ExpectFailure(const std::vector<std::string>& args, int status, const std::string& line) {
    const ProgramRun run = Run(args);
    EXPECT_EQ(status, run.status) << args[0];
    EXPECT_EQ("pelreg: " + line + "\n", run.err) << args[0];
    EXPECT_EQ("", run.out) << args[0];
  }
};

TEST_F(PelregErrorsTest, UsageErrorsExitWithTwo) {
  ExpectFailure({}, 2, "no command given (see pelreg --help)");
  ExpectFailure({"frobnicate"}, 2, "unknown command 'frobnicate' (see pelreg --help)");
  ExpectFailure({"set", "share/app", "port"}, 2, "set: missing VALUE (see pelreg set --help)");
  ExpectFailure({"get", "share/app"}, 2, "get: missing NAME (see pelreg get --help)");
  ExpectFailure({"get"}, 2, "get: missing KEY (see pelreg get --help)");
  ExpectFailure({"list", "share/app", "port"}, 2, "list: unexpected argument 'port'");
  ExpectFailure({"set", "share/app", "port", "12x", "--type", "int"}, 2,
                "set: '12x' is not a 32-bit number");
  ExpectFailure({"set", "share/app", "port", "4294967296", "--type", "int"}, 2,
                "set: '4294967296' is not a 32-bit number");
  ExpectFailure({"set", "share/app", "port", "-2147483649", "--type", "int"}, 2,
                "set: '-2147483649' is not a 32-bit number");
  ExpectFailure({"set", "share/app", "blob", "ABC", "--type", "binary"}, 2,
                "set: 'ABC' is not binary data (an even number of hexadecimal digits)");
  ExpectFailure({"set", "share/app", "blob", "", "--type", "binary"}, 2,
                "set: '' is not binary data (an even number of hexadecimal digits)");
  ExpectFailure({"set", "share/app", "port", "1", "--type", "dword"}, 2,
                "set: unknown --type 'dword' (text, int or binary; 1, 2 or 3; REG_SZ, REG_DWORD "
                "or REG_BINARY)");
  ExpectFailure({"get", "share/app", "port", "--type", "int"}, 2,
                "--type belongs to set, not to get");
  ExpectFailure({"--kind", "1", "tree"}, 2, "--kind must be 2 or 3, not '1'");
  ExpectFailure({"tree", "--store"}, 2, "--store needs a value");
  ExpectFailure({"--verbose", "tree"}, 2, "unknown option '--verbose'");
  ExpectFailure({"get", "nowhere/app", "port"}, 2,
                "get: key 'nowhere/app' does not begin with a root (root, pelok, share, user, "
                "winreg)");
  ExpectFailure({"get", "share//app", "port"}, 2, "get: key 'share//app' has an empty part");
  ExpectFailure({"set", "share/app", std::string(260, 'v'), "1"}, 2,
                "set: value name '" + std::string(260, 'v') + "' is longer than 259 characters");
  ExpectFailure({"set", "share/" + std::string(260, 'k'), "v", "1"}, 2,
                "set: key 'share/" + std::string(260, 'k') + "' is longer than 259 characters");
  ExpectFailure({"help", "frobnicate"}, 2, "help: unknown command 'frobnicate'");
  EXPECT_FALSE(test::FileExistsAt(dir_.Join("registry.xml"))) << "no usage error touches it";
}

TEST_F(PelregErrorsTest, WhatIsNotThereExitsWithOneAndCreatesNothing) {
  ExpectFailure({"get", "share/app", "port"}, 1,
                "key 'share/app' not found (no store file '" + dir_.Join("registry.xml") + "')");
  ExpectFailure({"list", "share/app"}, 1,
                "key 'share/app' not found (no store file '" + dir_.Join("registry.xml") + "')");
  ExpectFailure({"delete", "share/app"}, 1,
                "key 'share/app' not found (no store file '" + dir_.Join("registry.xml") + "')");
  EXPECT_FALSE(test::FileExistsAt(dir_.Join("registry.xml")));

  ASSERT_EQ(0, Run({"set", "share/app", "port", "8080", "--type", "int"}).status);
  const std::string before = Store();
  ExpectFailure({"get", "share/app/net", "port"}, 1, "key 'share/app/net' not found");
  ExpectFailure({"get", "share/app", "host"}, 1, "value 'host' not found in key 'share/app'");
  ExpectFailure({"delete", "share/app", "host"}, 1, "value 'host' not found in key 'share/app'");
  ExpectFailure({"tree", "user"}, 1, "key 'user' not found");
  ExpectFailure({"list", "share/other"}, 1, "key 'share/other' not found");
  EXPECT_EQ(before, Store()) << "looking for a key does not create it";
}

TEST_F(PelregErrorsTest, AKeyAndAValueOfOneNameDoNotStandInForEachOther) {
  ASSERT_EQ(0, Run({"set", "share/app", "port", "8080", "--type", "int"}).status);
  ASSERT_EQ(0, Run({"set", "share/app/net", "mask", "00", "--type", "binary"}).status);
  const std::string before = Store();
  ExpectFailure({"set", "share/app/port", "x", "1"}, 1, "'share/app/port' is a value, not a key");
  ExpectFailure({"set", "share/app", "net", "1"}, 1, "'share/app/net' is a key, not a value");
  ExpectFailure({"get", "share/app", "net"}, 1, "'share/app/net' is a key, not a value");
  ExpectFailure({"list", "share/app/port/deeper"}, 1, "'share/app/port' is a value, not a key");
  EXPECT_EQ(before, Store());
}

TEST_F(PelregErrorsTest, AnUnreadableStoreIsReportedAndLeftAlone) {
  const std::string garbage = "this is not a store <<<";
  ASSERT_TRUE(WriteFileBytes(dir_.Join("registry.xml"), garbage));
  const std::string reason = "cannot read the store file '" + dir_.Join("registry.xml") +
                             "': it is not a readable XML file";
  ExpectFailure({"get", "share/app", "port"}, 3, reason);
  ExpectFailure({"set", "share/app", "port", "1"}, 3, reason);
  ExpectFailure({"tree"}, 3, reason);
  EXPECT_EQ(garbage, Store()) << "the registry would have replaced it with an empty store";

  ASSERT_TRUE(WriteFileBytes(dir_.Join("registry.xml"), "<?xml version=\"1.0\"?><other/>"));
  ExpectFailure({"set", "share/app", "port", "1"}, 3,
                "cannot read the store file '" + dir_.Join("registry.xml") +
                    "': it has no \"processregister\" element");

  std::filesystem::create_directory(dir_.Join("folder.xml"));
  ExpectFailure({"--store", "folder.xml", "tree"}, 3,
                "the store file '" + dir_.Join("folder.xml") + "' is a directory");
}

TEST_F(PelregErrorsTest, AStoreThatCannotBeCreatedIsAFailureOfTheStore) {
  ExpectFailure({"--store", "no/such/dir/reg.xml", "set", "share/app", "port", "1"}, 3,
                "cannot open the key 'share/app' in the store file '" +
                    dir_.Join("no/such/dir/reg.xml") + "': no such directory");
}

TEST_F(PelregErrorsTest, ControlCharactersInWhatTheUserTypedStayInsideTheOneLine) {
  ExpectFailure({"get", "share/a\nb", "port"}, 1,
                "key 'share/a\\x0Ab' not found (no store file '" + dir_.Join("registry.xml") + "')");
  const ProgramRun escape = Run({"import", "no\x1b[2Jfile.xml"});
  EXPECT_EQ(3, escape.status);
  EXPECT_EQ(std::string::npos, escape.err.find('\x1b')) << escape.err;
  EXPECT_NE(std::string::npos, escape.err.find("no\\x1B[2Jfile.xml'")) << escape.err;
  EXPECT_EQ(1u, test::Lines(escape.err).size());
}

TEST_F(PelregErrorsTest, AMissingFrameworkIsAFailureOfTheRegistry) {
  const std::string hint = " (pelreg reads Pelok.ini beside itself, or --registry FILE)";
  ExpectFailure({"--registry", "missing.ini", "tree"}, 3,
                "cannot read the DLL registry file '" + dir_.Join("missing.ini") +
                    "': no such file; put it there or name another" + hint);
  ASSERT_TRUE(WriteFileBytes(dir_.Join("empty.ini"), "[361]\nDLL=PelFact.dll\n"));
  ExpectFailure({"--registry", "empty.ini", "tree"}, 3,
                "the DLL registry file '" + dir_.Join("empty.ini") +
                    "' names no registry module: add 'registry=PelReg.dll' under [Modules]" + hint);
  ASSERT_TRUE(WriteFileBytes(dir_.Join("wrong.ini"), "[Modules]\nregistry=NoSuch.dll\n"));
  ExpectFailure({"--registry", "wrong.ini", "tree"}, 3,
                "cannot load the registry module '" + dir_.Join("NoSuch.dll") +
                    "': no such file (named in '" + dir_.Join("wrong.ini") + "')");
  // The registry and the factory are there, the document module is not.
  ASSERT_TRUE(WriteFileBytes(dir_.Join("no_xml.ini"),
                             "[361]\nDLL=" + test::BinPath("PelFact.dll") +
                                 "\n[Modules]\nregistry=" + test::BinPath("PelReg.dll") +
                                 "\nxml=Missing.dll\n"));
  ExpectFailure({"--registry", "no_xml.ini", "set", "share/app", "port", "1"}, 3,
                "cannot use the store file '" + dir_.Join("registry.xml") +
                    "': the factory gave no document component (1); check that '" +
                    dir_.Join("no_xml.ini") + "' names PelXml.dll under [Modules]");
}

TEST_F(PelregErrorsTest, HelpGoesToStandardOutputWithStatusZero) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--help"}, {"help"}, {"-h"}}) {
    const ProgramRun run = Run(args);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(0u, run.out.find("Usage: pelreg [OPTIONS] COMMAND [ARGUMENTS]")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("export KEY FILE"));
  }
  const char* commands[] = {"get",    "set",    "delete", "list", "tree",
                            "export", "import", "add",    "query"};
  for (const char* command : commands) {
    const ProgramRun run = Run({command, "--help"});
    EXPECT_EQ(0, run.status) << command;
    EXPECT_EQ("", run.err) << command;
    const std::string shown = std::string(command) == "add" ? "set" : command;
    EXPECT_EQ(0u, run.out.find("Usage: pelreg " + shown)) << run.out;
    EXPECT_EQ(run.out, Run({"help", command}).out) << command;
  }
}

}  // namespace
}  // namespace pelok

// Files and streams: export to standard output, import from standard input, values from a file
// or from standard input, output that cannot be written, and the temporary file of an export,
// which is never one that somebody else put in its way.
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::PelregCommand;
using test::ProgramRun;
using test::ShellQuote;
using test::WriteFileBytes;

class PelregStreamsTest : public test::PelregTest {
 protected:
  ProgramRun Shell(const std::string& command) { return test::RunShell(command, dir_.path()); }
};

TEST_F(PelregStreamsTest, ExportToStandardOutputIsImportedFromStandardInput) {
  Ok({"set", "share/app", "port", "8080", "--type", "int"});
  Ok({"set", "share/app/net", "mask", "FF00", "--type", "binary"});
  Ok({"set", "share/other", "x", "not exported"});
  const ProgramRun piped = Shell(PelregCommand({"export", "share/app", "-"}) + " | " +
                                 PelregCommand({"--store", "other.xml", "import", "-"}));
  EXPECT_EQ(0, piped.status) << piped.err;
  EXPECT_EQ("", piped.err);
  EXPECT_EQ(Run({"tree", "share/app"}).out, Run({"--store", "other.xml", "tree", "share/app"}).out);
  EXPECT_EQ(1, Run({"--store", "other.xml", "list", "share/other"}).status);

  // The bytes on standard output are the export file's.
  Ok({"export", "share/app", "app.xml"});
  const ProgramRun out = Run({"export", "share/app", "-"});
  EXPECT_EQ(0, out.status) << out.err;
  std::string file = File("app.xml");
  std::string text;
  for (size_t i = 0; i < file.size(); ++i) {
    if (!(file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n')) text += file[i];
  }
  EXPECT_EQ(text, out.out);
  EXPECT_FALSE(test::FileExistsAt(dir_.Join("-"))) << "'-' is standard output, not a file";
  EXPECT_EQ(3u, FileCount()) << "no temporary file is left behind";

  // Import from standard input through a redirection, too.
  const ProgramRun redirected =
      Shell(PelregCommand({"--store", "third.xml", "import", "-"}) + " <" + ShellQuote("app.xml"));
  EXPECT_EQ(0, redirected.status) << redirected.err;
  EXPECT_EQ("8080\n", Run({"--store", "third.xml", "get", "share/app", "port"}).out);
}

TEST_F(PelregStreamsTest, BadInputOnStandardInputLeavesTheStoreAlone) {
  Ok({"set", "share/app", "keep", "1"});
  const std::string before = File("registry.xml");
  ASSERT_TRUE(WriteFileBytes(dir_.Join("bad.txt"), "this is not xml"));
  const ProgramRun bad = Shell(PelregCommand({"import", "-"}) + " <" + ShellQuote("bad.txt"));
  EXPECT_EQ(3, bad.status);
  EXPECT_EQ("pelreg: cannot read the import file on standard input: it is not a readable XML file\n", bad.err);
  EXPECT_EQ(1u, test::Lines(bad.err).size()) << bad.err;
  EXPECT_EQ(before, File("registry.xml"));
  EXPECT_EQ(2u, FileCount()) << "the copy of standard input is removed";
}

TEST_F(PelregStreamsTest, ValuesComeFromAFileOrStandardInputWhateverTheirSize) {
  // Far beyond what one argument of a command line can carry.
  std::string big;
  for (int i = 0; big.size() < 300 * 1024; ++i) big += "line " + std::to_string(i) + " \\ \"\n";
  ASSERT_TRUE(WriteFileBytes(dir_.Join("big.txt"), big));
  Ok({"set", "share/app", "text", "--from-file", "big.txt"});
  const ProgramRun text = Run({"get", "share/app", "text"});
  EXPECT_EQ(big + "\n", text.out);

  std::string bytes;
  for (int i = 0; i < 100 * 1024; ++i) bytes += static_cast<char>((i * 7) & 0xff);
  ASSERT_TRUE(WriteFileBytes(dir_.Join("blob.bin"), bytes));
  Ok({"set", "share/app", "blob", "--from-file", "blob.bin", "--type", "binary"});
  const ProgramRun blob = Run({"--json", "get", "share/app", "blob"});
  EXPECT_NE(std::string::npos, blob.out.find("\"size\":102400")) << blob.out.substr(0, 200);
  EXPECT_NE(std::string::npos, blob.out.find("\"data\":\"00070E151C")) << blob.out.substr(0, 200);

  ASSERT_TRUE(WriteFileBytes(dir_.Join("port.txt"), "8080\r\n"));
  const ProgramRun number =
      Shell(PelregCommand({"set", "share/app", "port", "--type", "int", "--from-file", "-"}) +
            " <" + ShellQuote("port.txt"));
  EXPECT_EQ(0, number.status) << number.err;
  EXPECT_EQ("8080\n", Run({"get", "share/app", "port"}).out);

  const ProgramRun piped = Shell(PelregCommand({"export", "share/app", "-"}) + " | " +
                                 PelregCommand({"set", "share/copy", "xml", "--from-file", "-"}));
  EXPECT_EQ(0, piped.status) << piped.err;
  EXPECT_NE(std::string::npos, Run({"get", "share/copy", "xml"}).out.find("processregister"));
}

TEST_F(PelregStreamsTest, ABadValueFileChangesNothing) {
  Ok({"set", "share/app", "keep", "1"});
  const std::string before = File("registry.xml");
  ASSERT_TRUE(WriteFileBytes(dir_.Join("zero.txt"), std::string("a\0b", 3)));
  ASSERT_TRUE(WriteFileBytes(dir_.Join("empty.bin"), ""));
  ASSERT_TRUE(WriteFileBytes(dir_.Join("word.txt"), "eighty\n"));
  std::filesystem::create_directory(dir_.Join("folder"));
  const struct {
    std::vector<std::string> args;
    int status;
    std::string line;
  } cases[] = {
      {{"set", "share/app", "v", "--from-file", "missing.txt"},
       3,
       "cannot read 'missing.txt': no such file"},
      {{"set", "share/app", "v", "--from-file", "folder"},
       3,
       "cannot read 'folder': it is a directory"},
      {{"set", "share/app", "v", "--from-file", "zero.txt"},
       2,
       "set: 'zero.txt' holds a zero byte, which would end the text there"},
      {{"set", "share/app", "v", "--from-file", "empty.bin", "--type", "binary"},
       2,
       "set: 'empty.bin' is empty (binary data takes at least one byte)"},
      {{"set", "share/app", "v", "--from-file", "word.txt", "--type", "int"},
       2,
       "set: 'eighty' is not a 32-bit number"},
      {{"set", "share/app", "v", "x", "--from-file", "word.txt"},
       2,
       "set: unexpected argument 'x'"},
      {{"set", "share/app", "v", "--from-file"}, 2, "--from-file needs a value"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = Run(c.args);
    EXPECT_EQ(c.status, run.status) << c.line;
    EXPECT_EQ("pelreg: " + c.line + "\n", run.err);
  }
  EXPECT_EQ(before, File("registry.xml"));
}

TEST_F(PelregStreamsTest, ExportNeverWritesThroughWhatStandsAtATemporaryName) {
  Ok({"set", "share/app", "port", "8080", "--type", "int"});
  // A file at the name an export once used for its empty document is left as it is.
  ASSERT_TRUE(WriteFileBytes(dir_.Join("out.xml.pelreg-new"), "someone's file"));
#if !defined(_WIN32)
  ASSERT_TRUE(WriteFileBytes(dir_.Join("precious.txt"), "precious"));
  std::filesystem::create_symlink(dir_.Join("precious.txt"), dir_.Join("link.xml.pelreg-new"));
#endif
  Ok({"export", "share/app", "out.xml"});
  Ok({"export", "share/app", "link.xml"});
  EXPECT_EQ("someone's file", File("out.xml.pelreg-new"));
#if !defined(_WIN32)
  EXPECT_EQ("precious", File("precious.txt"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.Join("link.xml.pelreg-new")));
#endif
  EXPECT_NE(std::string::npos, File("out.xml").find("8080"));
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.find(".pelreg-") == std::string::npos ||
                name.find("-new") != std::string::npos)
        << "left behind: " << name;
  }
}

#if !defined(_WIN32)
TEST_F(PelregStreamsTest, OutputThatCannotBeWrittenIsAFailure) {
  Ok({"set", "share/app", "port", "8080", "--type", "int"});
  // The redirections go inside a group of their own: the runner captures the group's output.
  const ProgramRun full =
      Shell("{ " + PelregCommand({"tree"}) + " >/dev/full 2>err.txt; echo $? >status.txt; }");
  EXPECT_EQ(0, full.status) << full.err;
  EXPECT_EQ("3\n", File("status.txt"));
  EXPECT_EQ("pelreg: cannot write to standard output: no space left on the device\n",
            File("err.txt"));

  const ProgramRun export_full = Shell("{ " + PelregCommand({"export", "share/app", "-"}) +
                                       " >/dev/full 2>err.txt; echo $? >status.txt; }");
  EXPECT_EQ(0, export_full.status) << export_full.err;
  EXPECT_EQ("3\n", File("status.txt"));
  EXPECT_EQ("pelreg: cannot write to standard output: no space left on the device\n",
            File("err.txt"));

  // A reader that stops early: far more than a pipe holds, and the reader takes one byte.
  std::string big(1 << 20, 'x');
  ASSERT_TRUE(WriteFileBytes(dir_.Join("big.txt"), big));
  Ok({"set", "share/app", "big", "--from-file", "big.txt"});
  const ProgramRun early = Shell("{ " + PelregCommand({"export", "share/app", "-"}) +
                                 " 2>err.txt; echo $? >status.txt; } | head -c 1 >/dev/null");
  EXPECT_EQ(0, early.status) << early.err;
  EXPECT_EQ("3\n", File("status.txt"));
  EXPECT_EQ("pelreg: cannot write to standard output: the reader closed the pipe\n",
            File("err.txt"));
}
#endif

}  // namespace
}  // namespace pelok

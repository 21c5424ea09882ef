// The files pelreg installs for the shell: the bash completion completes commands, options,
// switches and the keys of the store, and the man page kept in the repository still names
// everything the help does.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ProgramRun;
using test::ReadFileBytes;
using test::ShellQuote;

class PelregShellFilesTest : public test::PelregTest {
 protected:
  // The completions bash offers for the words of a pelreg command line, the last one being
  // completed; pelreg is found on the PATH, as an installed one is.
  std::string Complete(const std::string& words) {
    const std::string bin =
        test::ProgramPath("pelreg").substr(0, test::ProgramPath("pelreg").find_last_of('/'));
    const std::string script =
        "PATH=" + ShellQuote(bin) + ":$PATH; source " +
        ShellQuote(std::string(PELOK_SOURCE_DIR) + "/tools/pelreg.bash-completion") +
        "; compopt() { :; }; COMP_WORDS=(" + words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1));" +
        " _pelreg; for word in \"${COMPREPLY[@]}\"; do printf '%s\\n' \"$word\"; done";
    const ProgramRun run = test::RunShell("bash -c " + ShellQuote(script), dir_.path());
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    return run.out;
  }
};

TEST_F(PelregShellFilesTest, BashCompletesCommandsOptionsSwitchesAndKeys) {
  ASSERT_EQ(0, test::RunPelreg({"set", "share/app/net", "v", "1"}, dir_.path()).status);
  ASSERT_EQ(0, test::RunPelreg({"set", "share/apt", "v", "1"}, dir_.path()).status);
  EXPECT_EQ("query\n", Complete("pelreg qu"));
  EXPECT_EQ("delete\n", Complete("pelreg --store x.xml del"));
  EXPECT_EQ("--from-file\n", Complete("pelreg set --from"));
  EXPECT_EQ("share/\n", Complete("pelreg list sh"));
  EXPECT_EQ("share/app/\nshare/app/net/\nshare/apt/\n", Complete("pelreg list share/"));
  EXPECT_EQ("share/app/\nshare/app/net/\n", Complete("pelreg tree share/app"));
  EXPECT_EQ("/v\n/va\n", Complete("pelreg delete share/app /v"));
  EXPECT_EQ("REG_SZ\n", Complete("pelreg add share/app /v x /t REG_S"));
  EXPECT_EQ("", Complete("pelreg --store other.xml list share/")) << "the other store is empty";
}

TEST_F(PelregShellFilesTest, TheKeptManPageNamesEverythingTheHelpDoes) {
  std::string page;
  ASSERT_TRUE(ReadFileBytes(std::string(PELOK_SOURCE_DIR) + "/tools/pelreg.1", &page));
  std::string text;
  // groff escapes a minus sign; the words are compared without the escapes.
  for (size_t i = 0; i < page.size(); ++i) {
    if (page.compare(i, 2, "\\-") == 0) {
      text += '-';
      ++i;
    } else if (page.compare(i, 2, "\\f") == 0) {
      i += page.compare(i, 3, "\\f\\") == 0 ? 4 : 2;
    } else {
      text += page[i];
    }
  }
  const ProgramRun help = test::RunPelreg({"--help"}, dir_.path());
  ASSERT_EQ(0, help.status);
  for (const std::string& line : test::Lines(help.out)) {
    const size_t start = line.find_first_not_of(' ');
    if (start != 2 || line.size() < 4) continue;
    const std::string first_word = line.substr(start, line.find(' ', start) - start);
    EXPECT_NE(std::string::npos, text.find(first_word))
        << first_word << " is missing: regenerate tools/pelreg.1 (see tools/CMakeLists.txt)";
  }
  EXPECT_NE(std::string::npos, text.find("--from-file FILE"));
}

}  // namespace
}  // namespace pelok

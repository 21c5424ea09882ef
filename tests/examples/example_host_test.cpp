// The host-program example runs as a developer would run it, and leaves its values in the
// store file it names.
#include <string>

#include "gtest/gtest.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

TEST(ExampleHostTest, SetsAndReadsBackValuesOfTheThreeTypes) {
  test::TempDir dir;
  const test::ProgramRun run =
      test::RunProgram(test::ProgramPath("pelok_host_example"), {}, dir.path());
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("", run.err);
  EXPECT_EQ("title = Hello, registry\nport = 8080\nmagic = CA FE 01\n", run.out);

  // A relative store file name lands in the current directory, and pelreg reads it there.
  ASSERT_TRUE(test::FileExistsAt(dir.Join("example_store.xml")));
  const test::ProgramRun tree =
      test::RunPelreg({"--store", "example_store.xml", "tree"}, dir.path());
  EXPECT_EQ(0, tree.status) << tree.err;
  EXPECT_EQ(
      "share\n"
      "  example\n"
      "    settings\n"
      "      title (text) = Hello, registry\n"
      "      port (int) = 8080\n"
      "      magic (binary) = CAFE01\n",
      tree.out);
}

TEST(ExampleHostTest, TakesTheStoreFileFromItsArgument) {
  test::TempDir dir;
  const test::ProgramRun run =
      test::RunProgram(test::ProgramPath("pelok_host_example"), {"mine.xml"}, dir.path());
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(test::FileExistsAt(dir.Join("mine.xml")));
  EXPECT_FALSE(test::FileExistsAt(dir.Join("example_store.xml")));
}

}  // namespace
}  // namespace pelok

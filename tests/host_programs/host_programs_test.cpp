// Host programs that load the framework in ways other than the loader's, run as child
// processes: the front released by a global destructor at exit, and a program that talks to
// the factory module alone, also after the registry module was unloaded as idle.
#include <string>

#include "gtest/gtest.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

class HostProgramsTest : public ::testing::Test {
 protected:
  std::string StoreText() {
    std::string text;
    test::ReadFileBytes(dir_.Join("store.xml"), &text);
    return text;
  }

  test::TempDir dir_;
};

TEST_F(HostProgramsTest, AFrontReleasedByAGlobalDestructorAtExitIsClosedCleanly) {
  for (const char* order : {"keep-modules", "free-registry-first", "free-factory-first"}) {
    test::TempDir dir;
    const std::string store = dir.Join("store.xml");
    const test::ProgramRun run =
        test::RunProgram(test::ProgramPath("pelok_exit_order_host"), {store, order}, dir.path());
    EXPECT_EQ(0, run.status) << order << ": " << run.err;
    EXPECT_EQ("", run.err) << order;
    EXPECT_EQ(std::string("main returns (") + order + ")\n", run.out);
    // The value was set without a Flush: only the close at exit wrote it.
    std::string text;
    ASSERT_TRUE(test::ReadFileBytes(store, &text)) << order;
    EXPECT_NE(std::string::npos, text.find("written at exit")) << order << ": " << text;
  }
}

TEST_F(HostProgramsTest, AHostOfTheFactoryAloneGetsWorkingFrontsAlsoAfterAnIdleUnload) {
  const std::string program = test::JoinPath(test::BinPath("solo"), "pelok_factory_only_host");
#if defined(_WIN32)
  const std::string path = program + ".exe";
#else
  const std::string path = program;
#endif
  const test::ProgramRun run = test::RunProgram(
      path, {test::BinPath("Pelok.ini"), dir_.Join("store.xml")}, dir_.path());
  EXPECT_EQ(0, run.status) << run.out << run.err;
  const std::vector<std::string> lines = test::Lines(run.out);
  ASSERT_EQ(3u, lines.size()) << run.out;
  EXPECT_EQ("first front: ok", lines[0]);
  EXPECT_NE("unloaded: 0", lines[1]);
  EXPECT_EQ("second front: 4242", lines[2]);
  // Without the factory's hand-over each front would have failed to find the factory module.
  EXPECT_EQ(std::string::npos, run.err.find("Load PelFact.dll Fail")) << run.err;
  EXPECT_NE(std::string::npos, StoreText().find("<answer type=\"2\" size=\"4\">4242</answer>"));
}

}  // namespace
}  // namespace pelok

// A disk that fills while pelreg writes (the file size limit of the process, RLIMIT_FSIZE,
// which fails a write past it as a full disk does): import is all or nothing, set and export
// fail with their reason, and the store keeps what it held.
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ProgramRun;
using test::WriteFileBytes;

constexpr rlim_t kLimit = 32 * 1024;

class PelregFullDiskTest : public test::PelregTest {
 protected:
  // Runs pelreg with no file growing past kLimit bytes.
  ProgramRun RunOnFullDisk(const std::vector<std::string>& args) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    // Past the limit a write fails with EFBIG instead of ending the process.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = kLimit;
    setrlimit(RLIMIT_FSIZE, &limited);
    const ProgramRun run = Run(args);
    setrlimit(RLIMIT_FSIZE, &saved);
    return run;
  }
};

TEST_F(PelregFullDiskTest, AnImportThatDoesNotFitChangesNothing) {
  Ok({"set", "share/app", "keep", "1", "--type", "int"});
  // Many keys, each of which the registry writes on its own, then values past the limit.
  std::string patch = "<processregister><share>";
  for (int i = 0; i < 40; ++i) {
    patch += "<k" + std::to_string(i) + "><v type=\"1\" size=\"1501\">" + std::string(1500, 'x') +
             "</v></k" + std::to_string(i) + ">";
  }
  patch += "<app><keep type=\"2\" size=\"4\">2</keep></app></share></processregister>";
  ASSERT_TRUE(WriteFileBytes(dir_.Join("patch.xml"), patch));
  const std::string before = Store();
  const size_t files = FileCount();

  const ProgramRun run = RunOnFullDisk({"import", "patch.xml"});
  EXPECT_EQ(3, run.status);
  EXPECT_EQ(0u, run.err.find("pelreg: cannot ")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("the file would be too large")) << run.err;
  EXPECT_EQ(1u, test::Lines(run.err).size()) << run.err;
  EXPECT_TRUE(before == Store()) << "the store as before";
  EXPECT_EQ(files, FileCount()) << "the working copy is removed";

  // With room enough, the same import brings everything.
  Ok({"import", "patch.xml"});
  EXPECT_EQ("2\n", Run({"get", "share/app", "keep"}).out);
  EXPECT_EQ(std::string(1500, 'x') + "\n", Run({"get", "share/k39", "v"}).out);
}

TEST_F(PelregFullDiskTest, SetAndExportSayTheDiskIsFull) {
  Ok({"set", "share/app", "keep", "1"});
  const std::string before = Store();
  ASSERT_TRUE(WriteFileBytes(dir_.Join("big.txt"), std::string(2 * kLimit, 'y')));
  const ProgramRun set = RunOnFullDisk({"set", "share/app", "big", "--from-file", "big.txt"});
  EXPECT_EQ(3, set.status);
  EXPECT_NE(std::string::npos, set.err.find("the file would be too large")) << set.err;
  EXPECT_EQ(1u, test::Lines(set.err).size()) << set.err;
  EXPECT_TRUE(before == Store());

  Ok({"set", "share/app", "big", "--from-file", "big.txt"});
  const ProgramRun exported = RunOnFullDisk({"export", "share/app", "app.xml"});
  EXPECT_EQ(3, exported.status);
  EXPECT_EQ("pelreg: cannot write the export file '" + dir_.Join("app.xml") +
                "': the file would be too large\n",
            exported.err);
  EXPECT_FALSE(test::FileExistsAt(dir_.Join("app.xml")));
}

}  // namespace
}  // namespace pelok

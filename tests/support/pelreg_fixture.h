// What every pelreg test does: run pelreg in a directory of its own, check that a command
// succeeded, read the files it left.
#ifndef PELOK_TESTS_PELREG_FIXTURE_H_
#define PELOK_TESTS_PELREG_FIXTURE_H_

#include <cstddef>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {

class PelregTest : public ::testing::Test {
 protected:
  ProgramRun Run(const std::vector<std::string>& args) { return RunPelreg(args, dir_.path()); }

  // Runs a command that must succeed silently on standard error.
  void Ok(const std::vector<std::string>& args) {
    const ProgramRun run = Run(args);
    EXPECT_EQ(0, run.status) << args[0] << ": " << run.err;
    EXPECT_EQ("", run.err) << args[0];
  }

  // The standard output of a command that must succeed.
  std::string Out(const std::vector<std::string>& args) {
    const ProgramRun run = Run(args);
    EXPECT_EQ(0, run.status) << args[0] << ": " << run.err;
    return run.out;
  }

  // The bytes of a file in the test's directory; empty when there is none.
  std::string File(const std::string& name) const {
    std::string bytes;
    ReadFileBytes(dir_.Join(name), &bytes);
    return bytes;
  }
  std::string Store(const std::string& name = "registry.xml") const { return File(name); }

  size_t FileCount() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_.path()),
                                             std::filesystem::directory_iterator()));
  }

  TempDir dir_;
};

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_PELREG_FIXTURE_H_

// The registry against its reference model: random sequences of front operations, drawn from a
// seed, run on the real modules and on the model side by side; every result and output must
// agree. A failing sequence is shortened to a few operations and written to a replay file.
//
//   model_registry_test                       the CI budget
//   model_registry_test --ops=1000000         a longer run (operations per seed)
//   model_registry_test --seed=S --seeds=N    other seeds
//   model_registry_test --replay=FILE         one sequence from a replay file
//   PELOK_MODEL_OPS=N PELOK_MODEL_SEEDS=K     the budget from the environment
//
// The sequences that once failed are kept in tests/reliability/model_replays and run every time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/model_operations.h"
#include "tests/support/model_runner.h"

namespace pelok {
namespace model {
namespace {

struct Settings {
#if defined(_WIN32)
  // Wine is slow: a smaller budget there.
  long ops = 1500;
  int seeds = 4;
#else
  long ops = 4000;
  int seeds = 10;
#endif
  uint64_t first_seed = 1;
  std::string replay;
  std::string replay_dir = PELOK_MODEL_REPLAY_DIR;
};

Settings settings;

// Runs ops from a fresh registry; the index of the first operation that disagrees (or that of a
// failed finish, ops.size()), or -1. *report says what went wrong.
long RunSequence(const std::vector<Op>& ops, std::string* report) {
  ModelRunner runner;
  *report = runner.Start();
  if (!report->empty()) return 0;
  for (size_t i = 0; i < ops.size(); ++i) {
    *report = runner.Run(ops[i]);
    if (!report->empty()) return static_cast<long>(i);
  }
  *report = runner.Finish();
  return report->empty() ? -1 : static_cast<long>(ops.size());
}

// Removes operations while the sequence still fails, in ever smaller chunks.
std::vector<Op> Shrink(std::vector<Op> ops) {
  std::string report;
  int runs = 0;
  for (size_t chunk = ops.size() / 2; chunk >= 1 && runs < 600; chunk /= 2) {
    size_t at = 0;
    while (at < ops.size() && runs < 600) {
      std::vector<Op> candidate = ops;
      candidate.erase(candidate.begin() + at, candidate.begin() + std::min(ops.size(), at + chunk));
      ++runs;
      const long failed = RunSequence(candidate, &report);
      if (failed >= 0) {
        candidate.resize(std::min(candidate.size(), static_cast<size_t>(failed) + 1));
        ops = candidate;
      } else {
        at += chunk;
      }
    }
  }
  return ops;
}

std::string WriteReplay(const std::vector<Op>& ops, uint64_t seed) {
  const std::string path = "model_failure_seed" + std::to_string(seed) + ".txt";
  std::ofstream out(path);
  for (const Op& op : ops) out << FormatOp(op) << "\n";
  return path;
}

bool ReadReplay(const std::string& path, std::vector<Op>* ops) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    Op op;
    if (!ParseOp(line, &op)) return false;
    ops->push_back(op);
  }
  return true;
}

TEST(RegistryModelTest, RandomOperationsAgreeWithTheModel) {
  if (!settings.replay.empty()) GTEST_SKIP() << "replaying " << settings.replay;
  long checked = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int s = 0; s < settings.seeds; ++s) {
    const uint64_t seed = settings.first_seed + static_cast<uint64_t>(s);
    std::vector<Op> ops;
    std::string report;
    {
      // Gone before any shortening, which loads the modules afresh.
      ModelRunner runner;
      report = runner.Start();
      ASSERT_EQ("", report);
      OpGenerator generator(seed);
      for (long i = 0; i < settings.ops && report.empty(); ++i) {
        ops.push_back(generator.Next(runner.open_keys()));
        report = runner.Run(ops.back());
        if (report.empty()) ++checked;
      }
      if (report.empty()) report = runner.Finish();
    }
    if (!report.empty()) {
      const std::vector<Op> shortest = Shrink(ops);
      std::string replayed;
      RunSequence(shortest, &replayed);
      std::string lines;
      for (const Op& op : shortest) lines += "  " + FormatOp(op) + "\n";
      FAIL() << "seed " << seed << ", operation " << ops.size() << ":\n"
             << report << "shortened to " << shortest.size() << " operations (replay file "
             << WriteReplay(shortest, seed) << "):\n"
             << lines << "which gives:\n"
             << replayed;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("operations checked against the model: %ld (%d seeds from %llu, %.1f s)\n", checked,
              settings.seeds, static_cast<unsigned long long>(settings.first_seed), seconds);
}

TEST(RegistryModelTest, ReplayFile) {
  if (settings.replay.empty()) GTEST_SKIP() << "no --replay file given";
  std::vector<Op> ops;
  ASSERT_TRUE(ReadReplay(settings.replay, &ops)) << settings.replay;
  std::string report;
  EXPECT_EQ(-1, RunSequence(ops, &report)) << report;
}

// Every sequence that once found a defect, run again.
TEST(RegistryModelTest, KeptFailuresStayFixed) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(settings.replay_dir)) {
    if (entry.path().extension() != ".txt") continue;
    ++files;
    std::vector<Op> ops;
    ASSERT_TRUE(ReadReplay(entry.path().string(), &ops)) << entry.path();
    std::string report;
    EXPECT_EQ(-1, RunSequence(ops, &report)) << entry.path() << "\n" << report;
  }
  EXPECT_GT(files, 0) << settings.replay_dir;
}

}  // namespace
}  // namespace model
}  // namespace pelok

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  pelok::model::Settings& settings = pelok::model::settings;
  // A run under valgrind (scripts/test.sh) takes a smaller budget from the environment.
  if (const char* ops = std::getenv("PELOK_MODEL_OPS")) settings.ops = std::atol(ops);
  if (const char* seeds = std::getenv("PELOK_MODEL_SEEDS")) settings.seeds = std::atoi(seeds);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&arg](const char* flag) -> const char* {
      const std::string prefix = std::string(flag) + "=";
      return arg.compare(0, prefix.size(), prefix) == 0 ? arg.c_str() + prefix.size() : nullptr;
    };
    if (const char* v = value("--ops")) {
      settings.ops = std::atol(v);
    } else if (const char* v = value("--seeds")) {
      settings.seeds = std::atoi(v);
    } else if (const char* v = value("--seed")) {
      settings.first_seed = std::strtoull(v, nullptr, 10);
    } else if (const char* v = value("--replay")) {
      settings.replay = v;
    } else if (const char* v = value("--replay-dir")) {
      settings.replay_dir = v;
    } else {
      std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
      return 2;
    }
  }
  return RUN_ALL_TESTS();
}

// The figures of one benchmark run, kept per workload, size and contender (best of the
// repetitions), and the table that compares the registry with each peer.
#ifndef PELOK_BENCH_FIGURES_H_
#define PELOK_BENCH_FIGURES_H_

#include <cstdio>
#include <map>
#include <string>
#include <tuple>

#include "bench/workload.h"

namespace pelok {
namespace bench {

// Peak resident memory of one workload run in a process of its own, in kilobytes.
struct PeakMemory {
  bool ok = false;
  double start_kb = 0;  // resident before the workload began
  double peak_kb = 0;   // the process's peak
};

class Figures {
 public:
  void Add(Workload workload, int n, const std::string& peer, const Sample& sample);
  void Fail(Workload workload, int n, const std::string& peer, const std::string& why);
  void AddMemory(const std::string& peer, int n, const PeakMemory& memory);

  // Whether a run of that workload and contender at a size below n failed.
  bool FailedBelow(Workload workload, int n, const std::string& peer) const;
  // The best sample so far, or null.
  const Sample* Best(Workload workload, int n, const std::string& peer) const;

  // The table (Markdown) and the goals, met or missed.
  void Print(std::FILE* out) const;

 private:
  using Key = std::tuple<Workload, int, std::string>;
  void PrintTable(std::FILE* out) const;
  void PrintMemory(std::FILE* out) const;
  void PrintGoals(std::FILE* out) const;

  std::map<Key, Sample> best_;
  std::map<Key, std::string> failures_;
  std::map<std::string, PeakMemory> memory_;
  int memory_n_ = 0;
};

Figures& AllFigures();

}  // namespace bench
}  // namespace pelok

#endif  // PELOK_BENCH_FIGURES_H_

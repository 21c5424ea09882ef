// The registry against its peers, every figure from this one run:
//
//   pelok_bench [benchmark flags] [--skip-memory]
//
// runs W1 (std::map, SQLite in memory, the registry), W2 and W3 (SQLite on a file, pugixml
// alone, the registry) at N = 1,000, 10,000 and 100,000, then the peak memory of W2 at 100,000
// (the registry and pugixml, each in a process of its own), and prints the table of figures with
// the registry's ratio to each peer, and the goals met or missed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/figures.h"
#include "bench/peak_memory.h"
#include "bench/workload.h"

namespace pelok {
namespace bench {

namespace {

constexpr int kSizes[] = {1000, 10000, 100000};
constexpr int kMemoryN = 100000;

// Repetitions per benchmark: enough for a stable best at small N, few where a run is long.
int Repetitions(Workload workload, int n) {
  if (workload == Workload::kW1) return n <= 1000 ? 50 : n <= 10000 ? 20 : 5;
  if (workload == Workload::kW2) return n <= 1000 ? 20 : n <= 10000 ? 10 : 5;
  if (workload == Workload::kW3) return n <= 1000 ? 5 : n <= 10000 ? 2 : 1;
  return n <= 1000 ? 3 : 1;
}

void RunWorkload(benchmark::State& state, Peer* peer, Workload workload, int n) {
  // A workload that could not be run at a smaller size (W3 that did not finish within a minute)
  // is not tried at a larger one.
  if (AllFigures().FailedBelow(workload, n, peer->name())) {
    const std::string why = "not run: a smaller size did not finish";
    AllFigures().Fail(workload, n, peer->name(), why);
    state.SkipWithError(why.c_str());
    for (auto _ : state) break;
    return;
  }
  for (auto _ : state) {
    const Sample sample = peer->Run(workload, n);
    if (!sample.ok) {
      AllFigures().Fail(workload, n, peer->name(), sample.error);
      state.SkipWithError(sample.error.c_str());
      break;
    }
    // The timed steps; closing is left out, as the registry's includes unloading its modules.
    const double seconds = (sample.set_ns * n + sample.query_ns * n) / 1e9 +
                           (sample.flush_ms + sample.reopen_ms) / 1e3;
    state.SetIterationTime(seconds);
    AllFigures().Add(workload, n, peer->name(), sample);
  }
  if (const Sample* best = AllFigures().Best(workload, n, peer->name())) {
    state.counters["set_ns"] = best->set_ns;
    state.counters["query_ns"] = best->query_ns;
    if (workload != Workload::kW1) {
      state.counters["flush_ms"] = best->flush_ms;
      state.counters["reopen_ms"] = best->reopen_ms;
      state.counters["bytes"] = best->file_bytes;
    }
  }
}

void RegisterAll() {
  Peer* peers[] = {&MapPeer(), &SqlitePeer(), &SqliteCommitEachPeer(), &PugixmlPeer(),
                   &RegistryPeer()};
  for (Workload workload : {Workload::kW1, Workload::kW2, Workload::kW3, Workload::kW4}) {
    for (int n : kSizes) {
      for (Peer* peer : peers) {
        if (!peer->Supports(workload)) continue;
        const std::string name =
            std::string(WorkloadName(workload)) + "/" + peer->name() + "/" + std::to_string(n);
        benchmark::RegisterBenchmark(name.c_str(), RunWorkload, peer, workload, n)
            ->Iterations(Repetitions(workload, n))
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
      }
    }
  }
}

Peer* PeerNamed(const std::string& name) {
  for (Peer* peer : {&RegistryPeer(), &MapPeer(), &SqlitePeer(), &SqliteCommitEachPeer(),
                     &PugixmlPeer()}) {
    if (name == peer->name()) return peer;
  }
  return nullptr;
}

}  // namespace

}  // namespace bench
}  // namespace pelok

int main(int argc, char** argv) {
  using namespace pelok::bench;
  // The child that measures one peak: --peak-memory=PEER --n=N.
  std::string memory_peer;
  int memory_n = kMemoryN;
  bool skip_memory = false;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--peak-memory=", 14) == 0) {
      memory_peer = argv[i] + 14;
    } else if (std::strncmp(argv[i], "--n=", 4) == 0) {
      memory_n = std::atoi(argv[i] + 4);
    } else if (std::strcmp(argv[i], "--skip-memory") == 0) {
      skip_memory = true;
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (!memory_peer.empty()) {
    Peer* peer = PeerNamed(memory_peer);
    return peer != nullptr ? ReportPeakMemory(*peer, memory_n) : 2;
  }

  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  if (benchmark::ReportUnrecognizedArguments(rest_count, rest.data())) return 1;
  RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (!skip_memory) {
    for (const char* peer : {"registry", "pugixml"}) {
      AllFigures().AddMemory(peer, kMemoryN, MeasurePeakMemory(peer, kMemoryN));
    }
  }
  std::fflush(stdout);
  AllFigures().Print(stdout);
  return 0;
}

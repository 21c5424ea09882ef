// Peak resident memory of one workload run, measured in a process of its own (the program run
// again with --peak-memory=PEER), since a process's peak cannot be reset.
#ifndef PELOK_BENCH_PEAK_MEMORY_H_
#define PELOK_BENCH_PEAK_MEMORY_H_

#include <string>

#include "bench/figures.h"
#include "bench/workload.h"

namespace pelok {
namespace bench {

// Runs W2 with n values for peer in a child process and reads back what it measured.
PeakMemory MeasurePeakMemory(const std::string& peer, int n);

// The child's side: runs the workload, prints its figures; the process's exit status.
int ReportPeakMemory(Peer& peer, int n);

}  // namespace bench
}  // namespace pelok

#endif  // PELOK_BENCH_PEAK_MEMORY_H_

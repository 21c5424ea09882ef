// The three workloads, run the same way by the registry and by each of its peers.
//
//   W1  in memory: set N 32-bit values "v0".."vN-1" in one key, then query all N.
//   W2  persistent, one key: set N values, flush, close, reopen, query all N.
//   W3  persistent, many keys: create N keys under one parent with one value each, flush,
//       close, reopen, query all N.
//   W4  persistent, one key, durable at every change: set N values, each flushed on its own,
//       close, reopen, query all N.
//
// A run gives one Sample: per-operation figures in nanoseconds, whole-store steps in
// milliseconds, and the size of the file it wrote.
#ifndef PELOK_BENCH_WORKLOAD_H_
#define PELOK_BENCH_WORKLOAD_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace pelok {
namespace bench {

enum class Workload { kW1, kW2, kW3, kW4 };

const char* WorkloadName(Workload workload);

struct Sample {
  bool ok = false;
  std::string error;      // why the run failed or was skipped
  double set_ns = 0;      // per value set (W3: per key created, holding its value; W4: per value
                          // set and flushed)
  double flush_ms = 0;    // writing the store
  double close_ms = 0;    // closing it (the registry: shutting down and unloading modules)
  double modules_ms = 0;  // the registry only: loading its modules again and making the front
  double reopen_ms = 0;   // opening the store file again, until the first key is open
  double query_ns = 0;    // per value read back (W3: per key opened and read)
  double file_bytes = 0;  // the store file's size after the run
};

// The value the workloads store under index i; every run checks what it reads back.
constexpr uint32_t ValueOf(int i) { return static_cast<uint32_t>(i) * 2654435761u; }

// "v0".."vN-1" and "k0".."kN-1", built once, so that no run pays for its names.
const std::vector<std::string>& ValueNames(int n);
const std::vector<std::string>& KeyNames(int n);

// The store file of a persistent run: a fresh path in the benchmark's own directory, removed
// before the run starts. The extension tells the peers' files apart.
std::string StorePath(const char* peer, Workload workload, int n);
// Bytes in the file, or 0 when it does not exist.
double FileBytes(const std::string& path);
void RemoveFile(const std::string& path);

class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  double Nanoseconds() const {
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start_)
        .count();
  }
  double Milliseconds() const { return Nanoseconds() / 1e6; }

 private:
  std::chrono::steady_clock::time_point start_;
};

// One contender: the registry or a peer. A run that cannot be made reports ok = false.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual const char* name() const = 0;
  virtual bool Supports(Workload workload) const = 0;
  virtual Sample Run(Workload workload, int n) = 0;
};

Peer& RegistryPeer();
Peer& MapPeer();
Peer& SqlitePeer();
Peer& SqliteCommitEachPeer();
Peer& PugixmlPeer();

}  // namespace bench
}  // namespace pelok

#endif  // PELOK_BENCH_WORKLOAD_H_

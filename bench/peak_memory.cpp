#include "bench/peak_memory.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>

namespace pelok {
namespace bench {

namespace {

// A field of /proc/self/status in kilobytes ("VmRSS", "VmHWM"), or 0.
double StatusKb(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  double kb = 0;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof(line), status) != nullptr) {
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
      kb = std::strtod(line + length + 1, nullptr);
      break;
    }
  }
  std::fclose(status);
  return kb;
}

}  // namespace

PeakMemory MeasurePeakMemory(const std::string& peer, int n) {
  PeakMemory memory;
  char exe[PATH_MAX] = {0};
  if (readlink("/proc/self/exe", exe, sizeof(exe) - 1) <= 0) return memory;
  const std::string command =
      "'" + std::string(exe) + "' --peak-memory='" + peer + "' --n=" + std::to_string(n);
  std::FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return memory;
  char line[256];
  while (std::fgets(line, sizeof(line), child) != nullptr) {
    if (std::sscanf(line, "peak-memory %lf %lf", &memory.start_kb, &memory.peak_kb) == 2) {
      memory.ok = true;
    }
  }
  if (pclose(child) != 0) memory.ok = false;
  return memory;
}

int ReportPeakMemory(Peer& peer, int n) {
  const double start = StatusKb("VmRSS");
  const Sample sample = peer.Run(Workload::kW2, n);
  if (!sample.ok) {
    std::fprintf(stderr, "%s W2 N=%d: %s\n", peer.name(), n, sample.error.c_str());
    return 1;
  }
  std::printf("peak-memory %.0f %.0f\n", start, StatusKb("VmHWM"));
  return 0;
}

}  // namespace bench
}  // namespace pelok

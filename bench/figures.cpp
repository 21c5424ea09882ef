#include "bench/figures.h"

#include <algorithm>
#include <vector>

namespace pelok {
namespace bench {

namespace {

constexpr int kSizes[] = {1000, 10000, 100000};
constexpr Workload kWorkloads[] = {Workload::kW1, Workload::kW2, Workload::kW3, Workload::kW4};
constexpr const char* kRegistry = "registry";
constexpr const char* kPeers[] = {"std::map", "SQLite", "SQLite commit each", "pugixml"};

struct Phase {
  const char* name;
  const char* unit;
  double Sample::*field;
  bool registry_only = false;
};

std::vector<Phase> PhasesOf(Workload workload) {
  if (workload == Workload::kW1) {
    return {{"set", "ns/value", &Sample::set_ns}, {"query", "ns/value", &Sample::query_ns}};
  }
  const bool keys = workload == Workload::kW3;
  const char* set = keys ? "create" : workload == Workload::kW4 ? "set+flush" : "set";
  return {{set, keys ? "ns/key" : "ns/value", &Sample::set_ns},
          {"flush", "ms", &Sample::flush_ms},
          {"close", "ms", &Sample::close_ms},
          {"modules", "ms", &Sample::modules_ms, true},
          {"reopen", "ms", &Sample::reopen_ms},
          {"query", keys ? "ns/key" : "ns/value", &Sample::query_ns},
          {"file", "bytes", &Sample::file_bytes}};
}

std::string Number(double value) {
  char text[32];
  if (value >= 100 || value == 0) {
    std::snprintf(text, sizeof(text), "%.0f", value);
  } else if (value >= 10) {
    std::snprintf(text, sizeof(text), "%.1f", value);
  } else {
    std::snprintf(text, sizeof(text), "%.2f", value);
  }
  return text;
}

std::string Ratio(double value, double base) {
  if (base <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof(text), "%.2fx", value / base);
  return text;
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace

Figures& AllFigures() {
  static Figures figures;
  return figures;
}

void Figures::Add(Workload workload, int n, const std::string& peer, const Sample& sample) {
  const Key key{workload, n, peer};
  auto found = best_.find(key);
  if (found == best_.end()) {
    best_.emplace(key, sample);
    return;
  }
  Sample& best = found->second;
  for (const Phase& phase : PhasesOf(workload)) {
    best.*phase.field = std::min(best.*phase.field, sample.*phase.field);
  }
}

void Figures::Fail(Workload workload, int n, const std::string& peer, const std::string& why) {
  failures_[Key{workload, n, peer}] = why;
}

void Figures::AddMemory(const std::string& peer, int n, const PeakMemory& memory) {
  memory_[peer] = memory;
  memory_n_ = n;
}

bool Figures::FailedBelow(Workload workload, int n, const std::string& peer) const {
  for (const auto& failure : failures_) {
    if (std::get<0>(failure.first) == workload && std::get<1>(failure.first) < n &&
        std::get<2>(failure.first) == peer) {
      return true;
    }
  }
  return false;
}

const Sample* Figures::Best(Workload workload, int n, const std::string& peer) const {
  const auto found = best_.find(Key{workload, n, peer});
  return found == best_.end() ? nullptr : &found->second;
}

void Figures::Print(std::FILE* out) const {
  PrintTable(out);
  PrintMemory(out);
  PrintGoals(out);
}

void Figures::PrintTable(std::FILE* out) const {
  std::fprintf(out, "\n| workload | N | step | unit | registry |");
  for (const char* peer : kPeers) std::fprintf(out, " %s |", peer);
  for (const char* peer : kPeers) std::fprintf(out, " registry / %s |", peer);
  std::fprintf(out, "\n|---|---:|---|---|---:|");
  for (size_t i = 0; i < 2 * (sizeof(kPeers) / sizeof(kPeers[0])); ++i) std::fprintf(out, "---:|");
  std::fprintf(out, "\n");
  for (Workload workload : kWorkloads) {
    for (int n : kSizes) {
      const Sample* registry = Best(workload, n, kRegistry);
      bool any = registry != nullptr;
      for (const char* peer : kPeers) any = any || Best(workload, n, peer) != nullptr;
      if (!any) continue;
      for (const Phase& phase : PhasesOf(workload)) {
        const double mine = registry != nullptr ? registry->*phase.field : 0;
        std::fprintf(out, "| %s | %d | %s | %s | %s |", WorkloadName(workload), n, phase.name,
                     phase.unit, registry != nullptr ? Number(mine).c_str() : "-");
        for (const char* peer : kPeers) {
          const Sample* other = phase.registry_only ? nullptr : Best(workload, n, peer);
          std::fprintf(out, " %s |", other != nullptr ? Number(other->*phase.field).c_str() : "-");
        }
        for (const char* peer : kPeers) {
          const Sample* other = phase.registry_only ? nullptr : Best(workload, n, peer);
          std::fprintf(out, " %s |",
                       registry != nullptr && other != nullptr
                           ? Ratio(mine, other->*phase.field).c_str()
                           : "-");
        }
        std::fprintf(out, "\n");
      }
    }
  }
  for (const auto& failure : failures_) {
    std::fprintf(out, "\n%s N=%d %s: %s", WorkloadName(std::get<0>(failure.first)),
                 std::get<1>(failure.first), std::get<2>(failure.first).c_str(),
                 failure.second.c_str());
  }
  if (!failures_.empty()) std::fprintf(out, "\n");
}

void Figures::PrintMemory(std::FILE* out) const {
  if (memory_.empty()) return;
  std::fprintf(out, "\nPeak resident memory, W2 at N=%d, each in a process of its own:\n\n",
               memory_n_);
  std::fprintf(out, "| contender | at start (KiB) | peak (KiB) | peak - start (KiB) |\n");
  std::fprintf(out, "|---|---:|---:|---:|\n");
  for (const auto& entry : memory_) {
    const PeakMemory& m = entry.second;
    if (!m.ok) {
      std::fprintf(out, "| %s | - | - | - |\n", entry.first.c_str());
      continue;
    }
    std::fprintf(out, "| %s | %.0f | %.0f | %.0f |\n", entry.first.c_str(), m.start_kb, m.peak_kb,
                 m.peak_kb - m.start_kb);
  }
}

void Figures::PrintGoals(std::FILE* out) const {
  std::fprintf(out, "\nGoals:\n");
  for (int n : kSizes) {
    const Sample* mine = Best(Workload::kW1, n, kRegistry);
    const Sample* map = Best(Workload::kW1, n, "std::map");
    if (mine == nullptr || map == nullptr) {
      std::fprintf(out, "- W1 N=%d: no figures: MISSED\n", n);
      continue;
    }
    const double set = mine->set_ns / map->set_ns;
    const double query = mine->query_ns / map->query_ns;
    std::fprintf(out, "- W1 N=%d set %.2fx, query %.2fx std::map (at most 2x): %s\n", n, set, query,
                 Verdict(set <= 2 && query <= 2));
  }
  for (Workload workload : {Workload::kW2, Workload::kW3}) {
    const Sample* small = Best(workload, kSizes[0], kRegistry);
    const Sample* large = Best(workload, kSizes[2], kRegistry);
    if (small == nullptr || large == nullptr) {
      std::fprintf(out, "- %s flat in N: no figure at N=%d or N=%d: MISSED\n",
                   WorkloadName(workload), kSizes[0], kSizes[2]);
    } else {
      const double set = large->set_ns / small->set_ns;
      const double query = large->query_ns / small->query_ns;
      std::fprintf(out,
                   "- %s flat in N: set %.2fx, query %.2fx from N=%d to N=%d (at most 2x): %s\n",
                   WorkloadName(workload), set, query, kSizes[0], kSizes[2],
                   Verdict(set <= 2 && query <= 2));
    }
    for (int n : kSizes) {
      const Sample* mine = Best(workload, n, kRegistry);
      const Sample* sqlite = Best(workload, n, "SQLite");
      const Sample* pugixml = Best(workload, n, "pugixml");
      if (mine == nullptr || sqlite == nullptr || pugixml == nullptr) {
        std::fprintf(out, "- %s N=%d: no figures: MISSED\n", WorkloadName(workload), n);
        continue;
      }
      const double set = mine->set_ns / sqlite->set_ns;
      const double query = mine->query_ns / sqlite->query_ns;
      const double reopen = mine->reopen_ms / pugixml->reopen_ms;
      std::fprintf(out,
                   "- %s N=%d set %.2fx, query %.2fx SQLite (below 1x): %s; reopen %.2fx "
                   "pugixml (at most 2x): %s\n",
                   WorkloadName(workload), n, set, query, Verdict(set < 1 && query < 1), reopen,
                   Verdict(reopen <= 2));
    }
  }
  const auto mine = memory_.find(kRegistry);
  const auto pugixml = memory_.find("pugixml");
  if (mine != memory_.end() && pugixml != memory_.end() && mine->second.ok && pugixml->second.ok) {
    const double ratio = (mine->second.peak_kb - mine->second.start_kb) /
                         (pugixml->second.peak_kb - pugixml->second.start_kb);
    std::fprintf(out, "- W2 N=%d peak memory above start %.2fx pugixml (at most 1.5x): %s\n",
                 memory_n_, ratio, Verdict(ratio <= 1.5));
  } else {
    std::fprintf(out, "- W2 peak memory: not measured\n");
  }
}

}  // namespace bench
}  // namespace pelok

// std::map: the limit of an ordered in-memory key of values (W1 only). It is given the names as
// the registry is, as C strings, and used as well as it can be: each name measured once, one
// walk down the tree per value set.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "bench/workload.h"

namespace pelok {
namespace bench {

namespace {

class Map : public Peer {
 public:
  const char* name() const override { return "std::map"; }
  bool Supports(Workload workload) const override { return workload == Workload::kW1; }

  Sample Run(Workload workload, int n) override {
    Sample sample;
    if (workload != Workload::kW1) return sample;
    const std::vector<std::string>& names = ValueNames(n);
    std::map<std::string, uint32_t, std::less<>> values;
    Stopwatch set;
    for (int i = 0; i < n; ++i) {
      // Measured once, the name is compared at each node without being measured again.
      const std::string_view name(names[i].c_str());
      const auto place = values.lower_bound(name);
      if (place != values.end() && place->first == name) {
        place->second = ValueOf(i);
      } else {
        values.emplace_hint(place, name, ValueOf(i));
      }
    }
    sample.set_ns = set.Nanoseconds() / n;
    Stopwatch query;
    int wrong = 0;
    for (int i = 0; i < n; ++i) {
      const auto found = values.find(std::string_view(names[i].c_str()));
      wrong += found == values.end() || found->second != ValueOf(i);
    }
    sample.query_ns = query.Nanoseconds() / n;
    if (wrong != 0) {
      sample.error = "wrong values read back";
      return sample;
    }
    sample.ok = true;
    return sample;
  }
};

}  // namespace

Peer& MapPeer() {
  static Map map;
  return map;
}

}  // namespace bench
}  // namespace pelok

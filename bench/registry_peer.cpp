// The registry itself, driven through its front as a host program drives it.
#include <cstdint>
#include <string>

#include "bench/registry_host.h"
#include "bench/workload.h"
#include "pelok/component.h"

namespace pelok {
namespace bench {

namespace {

constexpr uint32_t kStoredShare = RootOfKind(root::kShare, kind::kStored);
// A W3 run that has not created its keys after this long is given up.
constexpr double kCreateLimitMs = 60000;

Sample Failed(const std::string& why) {
  Sample sample;
  sample.error = why;
  return sample;
}

class Registry : public Peer {
 public:
  const char* name() const override { return "registry"; }
  bool Supports(Workload) const override { return true; }

  Sample Run(Workload workload, int n) override {
    switch (workload) {
      case Workload::kW1:
        return RunInMemory(n);
      case Workload::kW2:
        return RunOneKey(n);
      case Workload::kW3:
        return RunManyKeys(n);
      case Workload::kW4:
        return RunOneKey(n, true);
    }
    return Failed("unknown workload");
  }

 private:
  // The values of one key: set n, then read them back.
  static bool SetAll(IRegisterFront* front, uint32_t key, int n) {
    const std::vector<std::string>& names = ValueNames(n);
    for (int i = 0; i < n; ++i) {
      const uint32_t value = ValueOf(i);
      if (!front->SetValue(key, names[i].c_str(), value_type::kUint32, &value, 4)) return false;
    }
    return true;
  }

  static bool QueryAll(IRegisterFront* front, uint32_t key, int n) {
    const std::vector<std::string>& names = ValueNames(n);
    int wrong = 0;
    for (int i = 0; i < n; ++i) {
      int value = 0;
      if (!front->QueryIntValue(key, names[i].c_str(), &value)) return false;
      wrong += static_cast<uint32_t>(value) != ValueOf(i);
    }
    return wrong == 0;
  }

  // Sets the store file on a started registry and opens the stored key sub_key under "share".
  static bool OpenStore(RegistryHost* host, const std::string& file, const char* sub_key,
                        uint32_t* key) {
    int disposition = 0;
    return host->front()->SetStoreFile(file.c_str()) &&
           host->front()->CreateKey(kStoredShare, sub_key, kind::kStored, 0, key, &disposition);
  }

  // Closes the registry (its modules unloaded) and starts it again on the store file: the
  // close, the start and the opening of the store timed apart.
  static bool Reopen(RegistryHost* host, const std::string& file, const char* sub_key,
                     uint32_t* key, Sample* sample) {
    Stopwatch close;
    host->Close();
    sample->close_ms = close.Milliseconds();
    Stopwatch modules;
    if (!host->Open()) return false;
    sample->modules_ms = modules.Milliseconds();
    Stopwatch reopen;
    if (!OpenStore(host, file, sub_key, key)) return false;
    sample->reopen_ms = reopen.Milliseconds();
    return true;
  }

  Sample RunInMemory(int n) {
    RegistryHost host;
    if (!host.Open()) return Failed("the modules do not load");
    IRegisterFront* front = host.front();
    uint32_t key = 0;
    int disposition = 0;
    if (!front->CreateKey(root::kUser, "bench/w1", kind::kMemory, 0, &key, &disposition)) {
      return Failed("CreateKey");
    }
    Sample sample;
    Stopwatch set;
    if (!SetAll(front, key, n)) return Failed("SetValue");
    sample.set_ns = set.Nanoseconds() / n;
    Stopwatch query;
    if (!QueryAll(front, key, n)) return Failed("QueryValue");
    sample.query_ns = query.Nanoseconds() / n;
    front->CloseKey(key);
    sample.ok = true;
    return sample;
  }

  // W2, or W4 (each_flushed): every value set and then flushed on its own.
  Sample RunOneKey(int n, bool each_flushed = false) {
    const Workload workload = each_flushed ? Workload::kW4 : Workload::kW2;
    const char* sub_key = each_flushed ? "bench/w4" : "bench/w2";
    const std::string file = StorePath("xml", workload, n);
    RegistryHost host;
    uint32_t key = 0;
    if (!host.Open() || !OpenStore(&host, file, sub_key, &key)) {
      return Failed("opening the store");
    }
    IRegisterFront* front = host.front();
    Sample sample;
    Stopwatch set;
    if (each_flushed) {
      const std::vector<std::string>& names = ValueNames(n);
      for (int i = 0; i < n; ++i) {
        const uint32_t value = ValueOf(i);
        if (!front->SetValue(key, names[i].c_str(), value_type::kUint32, &value, 4) ||
            !front->Flush()) {
          return Failed("SetValue and Flush of " + names[i]);
        }
        if ((i & 255) == 255 && set.Milliseconds() > kCreateLimitMs) {
          return Failed("gave up after a minute, at " + std::to_string(i + 1) + " values");
        }
      }
    } else if (!SetAll(front, key, n)) {
      return Failed("SetValue");
    }
    sample.set_ns = set.Nanoseconds() / n;
    Stopwatch flush;
    if (!front->Flush()) return Failed("Flush");
    sample.flush_ms = flush.Milliseconds();
    if (!Reopen(&host, file, sub_key, &key, &sample)) return Failed("reopening the store");
    Stopwatch query;
    if (!QueryAll(host.front(), key, n)) return Failed("QueryValue after reopening");
    sample.query_ns = query.Nanoseconds() / n;
    host.Close();
    sample.file_bytes = FileBytes(file);
    sample.ok = true;
    return sample;
  }

  Sample RunManyKeys(int n) {
    const std::string file = StorePath("xml", Workload::kW3, n);
    const std::vector<std::string>& keys = KeyNames(n);
    RegistryHost host;
    uint32_t parent = 0;
    if (!host.Open() || !OpenStore(&host, file, "bench/w3", &parent)) {
      return Failed("opening the store");
    }
    IRegisterFront* front = host.front();
    Sample sample;
    Stopwatch set;
    for (int i = 0; i < n; ++i) {
      uint32_t key = 0;
      int disposition = 0;
      const uint32_t value = ValueOf(i);
      if (!front->CreateKey(parent, keys[i].c_str(), kind::kStored, 0, &key, &disposition) ||
          !front->SetValue(key, "v", value_type::kUint32, &value, 4) || !front->CloseKey(key)) {
        return Failed("creating key " + keys[i]);
      }
      if ((i & 255) == 255 && set.Milliseconds() > kCreateLimitMs) {
        return Failed("gave up after a minute, at " + std::to_string(i + 1) + " keys");
      }
    }
    sample.set_ns = set.Nanoseconds() / n;
    Stopwatch flush;
    if (!front->Flush()) return Failed("Flush");
    sample.flush_ms = flush.Milliseconds();
    if (!Reopen(&host, file, "bench/w3", &parent, &sample)) return Failed("reopening the store");
    front = host.front();
    Stopwatch query;
    int wrong = 0;
    for (int i = 0; i < n; ++i) {
      uint32_t key = 0;
      int disposition = 0;
      int value = 0;
      if (!front->CreateKey(parent, keys[i].c_str(), kind::kStored, 0, &key, &disposition) ||
          !front->QueryIntValue(key, "v", &value) || !front->CloseKey(key)) {
        return Failed("reading key " + keys[i]);
      }
      wrong += static_cast<uint32_t>(value) != ValueOf(i);
    }
    sample.query_ns = query.Nanoseconds() / n;
    if (wrong != 0) return Failed("wrong values read back");
    host.Close();
    sample.file_bytes = FileBytes(file);
    sample.ok = true;
    return sample;
  }
};

}  // namespace

Peer& RegistryPeer() {
  static Registry registry;
  return registry;
}

}  // namespace bench
}  // namespace pelok

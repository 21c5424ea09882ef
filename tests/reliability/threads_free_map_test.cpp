// Regression tests for two thread faults of the host: PelokDllFreeMap on one thread and
// Destroy(1) of the same auto-free instance on another deleted it twice; and the DLL registry
// path was read without the host lock while another thread set it (torn paths). Run under
// AddressSanitizer (linux-asan) and ThreadSanitizer (linux-tsan) too.
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "framework/component_base.h"
#include "gtest/gtest.h"
#include "framework/module_state.h"
#include "platform/win32_api.h"

namespace pelok {
namespace {

struct IGated : IComponent {
  virtual void Hook() = 0;
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

// The destroy hook of a gated component waits until the test opens the gate, so that a second
// Destroy can be started while the first is under way.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool entered = false;
  bool open = false;
};
Gate* g_gate = nullptr;
std::atomic<int> g_hooks{0};
std::atomic<int> g_deletions{0};

class Gated : public Component<IGated, 4300, 0, &IGated::Hook> {
 public:
  ~Gated() override { ++g_deletions; }
  void Hook() override {
    auto guard = Guard();
    ++g_hooks;
    std::unique_lock<std::mutex> lock(g_gate->mutex);
    g_gate->entered = true;
    g_gate->changed.notify_all();
    g_gate->changed.wait(lock, [] { return g_gate->open; });
  }
};

TEST(ThreadsFreeMapTest, FreeMapAndTheOwnersDestroyAtOnceDeleteTheInstanceOnce) {
  host::RegisterFactory(4300, &NewComponent<Gated>);
  for (int round = 0; round < 20; ++round) {
    Gate gate;
    g_gate = &gate;
    g_hooks = 0;
    g_deletions = 0;
    IComponent* instance = host::CreateRecordedComponent(4300, 0);
    ASSERT_NE(nullptr, instance);
    instance->SetAutoFree(1);
    const int live_before = host::LiveInstanceCount();

    // The owner's Destroy is inside the hook when PelokDllFreeMap comes to the same instance.
    std::thread owner([instance] { instance->Destroy(1); });
    {
      std::unique_lock<std::mutex> lock(gate.mutex);
      gate.changed.wait(lock, [&] { return gate.entered; });
    }
    std::thread freeing([] { host::FreeAutoFreeInstances(); });
    // However long the map's thread takes to come, the outcome must be the same.
    Sleep(round % 4);
    {
      std::lock_guard<std::mutex> lock(gate.mutex);
      gate.open = true;
    }
    gate.changed.notify_all();
    freeing.join();
    owner.join();
    EXPECT_EQ(1, g_hooks.load()) << "round " << round;
    EXPECT_EQ(1, g_deletions.load()) << "round " << round;
    EXPECT_EQ(live_before - 1, host::LiveInstanceCount());
  }
  g_gate = nullptr;
}

TEST(ThreadsFreeMapTest, TheOwnersDestroyBeforeFreeMapLeavesNothingForTheMap) {
  host::RegisterFactory(4300, &NewComponent<Gated>);
  Gate gate;
  gate.open = true;
  g_gate = &gate;
  g_deletions = 0;
  IComponent* instance = host::CreateRecordedComponent(4300, 0);
  ASSERT_NE(nullptr, instance);
  instance->SetAutoFree(1);
  instance->Destroy(1);
  host::FreeAutoFreeInstances();
  EXPECT_EQ(1, g_deletions.load());
  // A new instance at the same address is destroyed by its owner as usual.
  IComponent* again = host::CreateRecordedComponent(4300, 0);
  ASSERT_NE(nullptr, again);
  again->Destroy(1);
  EXPECT_EQ(2, g_deletions.load());
  g_gate = nullptr;
}

TEST(ThreadsFreeMapTest, TheDllRegistryPathIsNeverSeenTorn) {
  const std::string first(200, 'a');
  const std::string second(150, 'b');
  std::atomic<bool> stop{false};
  std::thread setter([&] {
    for (int i = 0; !stop.load(); ++i) host::SetDllRegistryPath((i % 2 ? first : second).c_str());
  });
  int torn = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string seen = host::DllRegistryPath();
    if (seen != first && seen != second && !seen.empty()) ++torn;
  }
  stop = true;
  setter.join();
  host::SetDllRegistryPath("");
  EXPECT_EQ(0, torn);
}

}  // namespace
}  // namespace pelok

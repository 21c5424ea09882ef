// The host's exports from several threads at once: creating, destroying, freeing (auto-free
// instances through PelokDllFreeMap) and checking instances, with the singleton front created
// by every thread. Run under ThreadSanitizer in the preset linux-tsan.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "pelok/register_front.h"
#include "tests/support/pelreg_module.h"

namespace pelok {
namespace test {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 300;

TEST(ThreadsHostTest, ExportsCalledFromSeveralThreadsAtOnce) {
  PelRegModule module;
  ASSERT_TRUE(module.complete());
  module.SetDLLRegistry(BinPath("Pelok.ini").c_str());
  std::atomic<IComponent*> fronts[kThreads] = {};
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      fronts[t] = module.CreateComponent(component_id::kRegisterFront, t);
      for (int round = 0; round < kRounds; ++round) {
        IComponent* values = module.CreateComponent(component_id::kMemoryKeyValues, t);
        IComponent* table = module.CreateComponent(component_id::kKeyTable1, t);
        if (values == nullptr || table == nullptr) {
          ++failures;
          continue;
        }
        if (values->GetComponentId() != component_id::kMemoryKeyValues) ++failures;
        int ids[16] = {};
        if (module.GetComponentIDs(ids, 16) != 9 || ids[0] != component_id::kRegisterFront) {
          ++failures;
        }
        module.PelokDllCanUnloadNow();
        // One given back at once, the other left to whichever thread frees the map next.
        values->Destroy(1);
        table->SetAutoFree(1);
        if (round % 10 == 0) module.PelokDllFreeMap();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(0, failures.load());
  for (int t = 1; t < kThreads; ++t) {
    EXPECT_EQ(fronts[0].load(), fronts[t].load()) << "one front for every thread";
  }
  module.PelokDllFreeMap();
  ASSERT_NE(nullptr, fronts[0].load());
  fronts[0].load()->Destroy(1);
  EXPECT_EQ(1, module.PelokDllCanUnloadNow()) << "every instance destroyed or freed";
}

// The registry from several threads, each with a front of its own process-wide singleton
// serialised by the caller as the registry asks, while other threads create and free
// instances of the same module.
TEST(ThreadsHostTest, RegistryUseBesideInstanceChurn) {
  PelRegModule module;
  ASSERT_TRUE(module.complete());
  module.SetDLLRegistry(BinPath("Pelok.ini").c_str());
  auto* front =
      static_cast<IRegisterFront*>(module.CreateComponent(component_id::kRegisterFront, 0));
  ASSERT_NE(nullptr, front);
  std::atomic<bool> done{false};
  std::thread churn([&] {
    while (!done.load()) {
      IComponent* store = module.CreateComponent(component_id::kStorageProvider, 1);
      if (store != nullptr) store->Destroy(1);
      module.PelokDllFreeMap();
    }
  });
  int failures = 0;
  for (int round = 0; round < 500; ++round) {
    uint32_t key = 0;
    int disposition = 0;
    if (!front->CreateKey(0x7ffffff4u, "threads", 1, 0, &key, &disposition)) ++failures;
    const uint32_t value = static_cast<uint32_t>(round);
    if (!front->SetValue(key, "round", 2, &value, 4)) ++failures;
    int read = -1;
    if (!front->QueryIntValue(key, "round", &read) || read != round) ++failures;
    if (round % 7 == 0 && !front->CloseKey(key)) ++failures;
  }
  done = true;
  churn.join();
  EXPECT_EQ(0, failures);
  front->Destroy(1);
  EXPECT_EQ(1, module.PelokDllCanUnloadNow());
}

}  // namespace
}  // namespace test
}  // namespace pelok

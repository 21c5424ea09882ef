// Two-phase destruction and the call guard of the component base, on a probe component built
// into the test program with the module's own host.
#include <string>

#include "framework/component_base.h"
#include "gtest/gtest.h"
#include "framework/module_state.h"
#include "tests/support/debug_capture.h"
#include "util/bounded_string.h"

namespace pelok {
namespace {

struct IProbe : IComponent {
  // Runs an operation that destroys its own object (with that force) halfway.
  virtual int DestroyInside(int force) = 0;
  virtual int Ping() = 0;
  virtual void Hook() = 0;
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;
};

struct ProbeCounters {
  int hooks = 0;
  int deletions = 0;
  int active_seen_in_hook = -1;
};
ProbeCounters g_counters;

template <int kShared>
class Probe : public Component<IProbe, 4200 + kShared, kShared, &IProbe::Hook> {
 public:
  ~Probe() override { ++g_counters.deletions; }

  int DestroyInside(int force) override {
    auto guard = this->Guard();
    this->Destroy(force);
    // Still here: the object must not be deleted while this call runs.
    return this->state().alive == 0 ? 1 : 0;
  }
  int Ping() override {
    auto guard = this->Guard();
    return 1;
  }
  void Hook() override {
    auto guard = this->Guard();
    ++g_counters.hooks;
    g_counters.active_seen_in_hook = this->state().activeCalls;
  }
};

using PlainProbe = Probe<0>;
using SharedProbe = Probe<1>;

class ComponentBaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    host::RegisterFactory(4200, &NewComponent<PlainProbe>);
    host::RegisterFactory(4201, &NewComponent<SharedProbe>);
  }
  void SetUp() override {
    g_counters = ProbeCounters();
    host::SetDllSafe(1);
  }
  IProbe* Create(int id) { return static_cast<IProbe*>(host::CreateRecordedComponent(id, 0)); }
};

TEST_F(ComponentBaseTest, DestroyRunsTheHookOnceAndDeletesAtOnceWhenIdle) {
  const int before = host::LiveInstanceCount();
  IProbe* probe = Create(4200);
  ASSERT_NE(nullptr, probe);
  EXPECT_EQ(before + 1, host::LiveInstanceCount());
  probe->Destroy(0);
  EXPECT_EQ(1, g_counters.hooks);
  EXPECT_EQ(1, g_counters.active_seen_in_hook) << "the hook runs under its own call guard";
  EXPECT_EQ(1, g_counters.deletions);
  EXPECT_EQ(before, host::LiveInstanceCount());
}

TEST_F(ComponentBaseTest, DestroyFromInsideAnOperationDeletesWhenThatOperationReturns) {
  IProbe* probe = Create(4200);
  ASSERT_NE(nullptr, probe);
  EXPECT_EQ(1, probe->DestroyInside(1));
  EXPECT_EQ(1, g_counters.hooks) << "hook and children released at once";
  EXPECT_EQ(1, g_counters.deletions) << "deleted by the guard of the returning call";
}

TEST_F(ComponentBaseTest, TheSingletonIgnoresAPlainReleaseButNotAForcedOne) {
  IProbe* probe = Create(4201);
  ASSERT_NE(nullptr, probe);
  probe->Destroy(0);
  EXPECT_EQ(0, g_counters.hooks);
  EXPECT_EQ(1, probe->Ping());
  probe->Destroy(1);
  EXPECT_EQ(1, g_counters.hooks);
  EXPECT_EQ(1, g_counters.deletions);
}

TEST_F(ComponentBaseTest, AForcedDestroyOfTheSingletonInsideItsOwnCallCompletesOnReturn) {
  IProbe* probe = Create(4201);
  ASSERT_NE(nullptr, probe);
  EXPECT_EQ(1, probe->DestroyInside(1));
  EXPECT_EQ(1, g_counters.deletions) << "a shared instance must not leak its accepted destruction";
}

TEST_F(ComponentBaseTest, NothingIsReleasedWhileTheModuleIsNotDllSafe) {
  IProbe* probe = Create(4200);
  ASSERT_NE(nullptr, probe);
  host::SetDllSafe(0);
  probe->Destroy(1);
  EXPECT_EQ(0, g_counters.hooks);
  EXPECT_EQ(1, probe->Ping());
  host::SetDllSafe(1);
  probe->Destroy(1);
  EXPECT_EQ(1, g_counters.deletions);
}

TEST_F(ComponentBaseTest, AFreshComponentReportsItsIdVersionAndNoAutoFree) {
  IProbe* probe = Create(4200);
  ASSERT_NE(nullptr, probe);
  EXPECT_EQ(4200, probe->GetComponentId());
  EXPECT_EQ(1, probe->GetVersion());
  EXPECT_EQ(0, probe->GetAutoFree());
  probe->SetAutoFree(3);
  EXPECT_EQ(3, probe->GetAutoFree());
  probe->Destroy(0);
}

TEST_F(ComponentBaseTest, DestroyingAnUnrecordedInstanceReportsIt) {
  IProbe* probe = static_cast<IProbe*>(NewComponent<PlainProbe>());
  ASSERT_NE(nullptr, probe);
  // The module formats with the system's own formatter (%p differs between runtimes).
  char expected[160];
  FormatBounded(expected, sizeof(expected), sizeof(expected) - 1,
                "Pelok[Error]: To remove a component not exist\nPelok[Error]: IComponent* = 0x%p\n",
                static_cast<void*>(probe));
  test::DebugCapture capture;
  probe->Destroy(0);
  EXPECT_EQ(1, g_counters.deletions);
  // The idle notification may add a factory message when the map became empty; the report
  // itself comes first.
  EXPECT_EQ(0u, capture.Text().find(expected));
}

}  // namespace
}  // namespace pelok

// Unloading the module with live instances prints the leak report and nothing else happens.
// A process of its own: nothing else may hold the module loaded.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

#include "gtest/gtest.h"
#include "tests/support/debug_capture.h"
#include "tests/support/pelreg_module.h"

namespace pelok {
namespace {

std::string PointerLine(int id, unsigned creator, const void* pointer) {
  char line[200];
  std::snprintf(line, sizeof(line),
                "Pelok[Error]:ComponentID:0x%08x CreatorID:0x%08x Pointer:0x%08" PRIxPTR "\n",
                static_cast<unsigned>(id), creator, reinterpret_cast<uintptr_t>(pointer));
  return line;
}

TEST(HostLeakReportTest, UnloadWithTwoLiveInstancesPrintsFiveLinesInPointerOrder) {
  const std::string separator =
      "Pelok[Error]:=================================================================\n";
  test::PelRegModule pelreg;
  ASSERT_TRUE(pelreg.complete());
  // No DLL registry file: nothing here may load the factory module, which would keep the
  // module loaded through its own reference.
  pelreg.SetDLLRegistry("missing-registry.ini");
  IComponent* first = pelreg.CreateComponent(1134, 7);
  IComponent* second = pelreg.CreateComponent(1134, -2);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(0, pelreg.PelokDllCanUnloadNow());

  const bool first_lower = reinterpret_cast<uintptr_t>(first) < reinterpret_cast<uintptr_t>(second);
  const std::string low = first_lower ? PointerLine(1134, 7, first)
                                      : PointerLine(1134, 0xfffffffeu, second);
  const std::string high = first_lower ? PointerLine(1134, 0xfffffffeu, second)
                                       : PointerLine(1134, 7, first);

  test::DebugCapture capture;
  pelreg.module.Unload();
  EXPECT_EQ(separator + "Pelok[Error]:Found leak Pelok components. Count:2\n" + low + high +
                separator,
            capture.Text());
}

TEST(HostLeakReportTest, UnloadWithNoLiveInstancePrintsNothing) {
  test::PelRegModule pelreg;
  ASSERT_TRUE(pelreg.complete());
  pelreg.SetDLLRegistry("missing-registry.ini");
  IComponent* values = pelreg.CreateComponent(1134, 0);
  ASSERT_NE(nullptr, values);
  values->Destroy(1);
  EXPECT_EQ(1, pelreg.PelokDllCanUnloadNow());
  test::DebugCapture capture;
  pelreg.module.Unload();
  EXPECT_EQ("", capture.Text());
}

}  // namespace
}  // namespace pelok

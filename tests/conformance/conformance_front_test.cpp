// The front component (991) of the real module where the framework cannot be reached: it is
// still created, without its core, and the module records the one instance with the creator id
// of its latest creation. A process of its own: the module is unloaded here, and nothing may
// load the factory module, which would keep it loaded.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

#include "gtest/gtest.h"
#include "pelok/register_front.h"
#include "tests/support/debug_capture.h"
#include "tests/support/pelreg_module.h"

namespace pelok {
namespace test {
namespace {

constexpr char kNoRegistryFile[] = "missing-registry.ini";
constexpr char kNoFactory[] = "[Pelok_Error] Load PelFact.dll Fail.\n";

TEST(FrontConformanceTest, WithoutItsCoreEveryOperationFailsAndWritesNothing) {
  PelRegModule pelreg;
  ASSERT_TRUE(pelreg.complete());
  pelreg.SetDLLRegistry(kNoRegistryFile);
  IRegisterFront* front = nullptr;
  {
    DebugCapture capture;
    front = static_cast<IRegisterFront*>(pelreg.CreateComponent(component_id::kRegisterFront, 0));
    EXPECT_EQ(std::string(kNoFactory) + kNoFactory, capture.Text())
        << "the core, then the singleton's registration";
  }
  ASSERT_NE(nullptr, front);
  EXPECT_EQ(component_id::kRegisterFront, front->GetComponentId());

  uint32_t key = 0x12345678u;
  int disposition = 0x55;
  EXPECT_EQ(0, front->SetStoreFile("registry.xml"));
  EXPECT_EQ(0, front->CreateKey(root::kUser, "app", kind::kMemory, 0, &key, &disposition));
  EXPECT_EQ(0, front->OpenKey(root::kUser, "app", kind::kMemory, 0, &key));
  EXPECT_EQ(0x12345678u, key);
  EXPECT_EQ(0x55, disposition);
  char name[8] = "keep";
  EXPECT_EQ(0, front->GetKeyName(root::kUser, name, sizeof(name))) << "not even a root's name";
  EXPECT_EQ(0, front->EnumKey(RootOfKind(root::kUser, kind::kMemory), 0, name, sizeof(name)));
  EXPECT_STREQ("keep", name);
  int value = 3;
  EXPECT_EQ(0, front->QueryIntValue(RootOfKind(root::kUser, kind::kMemory), "v", &value));
  EXPECT_EQ(3, value);
  EXPECT_EQ(0, front->Flush());
  front->CloseAllKeys();

  DebugCapture capture;  // the idle notification finds no factory either
  front->Destroy(1);
  EXPECT_EQ(1, pelreg.PelokDllCanUnloadNow());
}

TEST(FrontConformanceTest, TheLeakReportListsTheFrontOnceWithItsLatestCreator) {
  PelRegModule pelreg;
  ASSERT_TRUE(pelreg.complete());
  pelreg.SetDLLRegistry(kNoRegistryFile);
  IComponent* front = nullptr;
  {
    DebugCapture quiet;
    front = pelreg.CreateComponent(component_id::kRegisterFront, 5);
    ASSERT_NE(nullptr, front);
    EXPECT_EQ(front, pelreg.CreateComponent(component_id::kRegisterFront, 9));
  }

  char line[128];
  std::snprintf(line, sizeof(line),
                "Pelok[Error]:ComponentID:0x%08x CreatorID:0x%08x Pointer:0x%08" PRIxPTR "\n",
                static_cast<unsigned>(component_id::kRegisterFront), 9u,
                reinterpret_cast<uintptr_t>(front));
  const std::string separator =
      "Pelok[Error]:=================================================================\n";
  DebugCapture capture;
  pelreg.module.Unload();
  EXPECT_EQ(separator + "Pelok[Error]:Found leak Pelok components. Count:1\n" + line + separator,
            capture.Text());
}

}  // namespace
}  // namespace test
}  // namespace pelok

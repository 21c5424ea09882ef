// Idle modules: the factory frees a module it loaded only after the module said it is idle,
// only on the host program's request, and only while the module's PelokDllCanUnloadNow says 1.
//
// This program never loads PelTest.dll itself, so whether it is loaded shows the factory's own
// reference.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32_api.h"
#include "tests/support/factory_module.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_component.h"

namespace pelok {
namespace {

using test::Factory;
using test::ModuleIsLoaded;
using test::ModulePath;
using test::TempDir;
using test::WriteRegistryFile;

class IdleUnloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Factory().complete());
    ASSERT_FALSE(ModuleIsLoaded("PelTest.dll"));
    ini_ = WriteRegistryFile(dir_, "r.ini", "[Modules]\ntest=" + ModulePath("PelTest.dll") + "\n");
  }

  IComponent* Create(int id) { return Factory().factory->CreateInstance(id, ini_.c_str()); }
  int UnloadIdle() { return Factory().PelokUnloadIdleModules(); }

  TempDir dir_;
  std::string ini_;
};

TEST_F(IdleUnloadTest, ModuleGoesOnlyAfterItsLastComponent) {
  IComponent* first = Create(test::kTestComponent);
  IComponent* second = Create(test::kOtherTestComponent);
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);
  EXPECT_TRUE(ModuleIsLoaded("PelTest.dll"));
  EXPECT_EQ(0, UnloadIdle());
  first->Destroy(1);
  EXPECT_EQ(0, UnloadIdle());
  EXPECT_EQ(test::kOtherTestComponent, second->GetComponentId());
  second->Destroy(1);  // the module's last component: it says it is idle
  EXPECT_TRUE(ModuleIsLoaded("PelTest.dll"));
  EXPECT_EQ(1, UnloadIdle());
  EXPECT_FALSE(ModuleIsLoaded("PelTest.dll"));
  EXPECT_EQ(0, UnloadIdle());

  // Asked again, the factory loads the module afresh.
  IComponent* again = Create(test::kTestComponent);
  ASSERT_NE(nullptr, again);
  EXPECT_TRUE(ModuleIsLoaded("PelTest.dll"));
  again->Destroy(1);
  EXPECT_EQ(1, UnloadIdle());
  EXPECT_FALSE(ModuleIsLoaded("PelTest.dll"));
}

TEST_F(IdleUnloadTest, ModuleThatNeverSaidItIsIdleStays) {
  const std::string ini =
      WriteRegistryFile(dir_, "unserved.ini", "[5999]\nDLL=" + ModulePath("PelTest.dll") + "\n");
  // The module is loaded for an id it does not serve: no component, nothing announced.
  EXPECT_EQ(nullptr, Factory().factory->CreateInstance(5999, ini.c_str()));
  ASSERT_TRUE(ModuleIsLoaded("PelTest.dll"));
  EXPECT_EQ(0, UnloadIdle());
  EXPECT_TRUE(ModuleIsLoaded("PelTest.dll"));
  EXPECT_EQ(1, Factory().factory->OnModuleIdle(GetModuleHandleA("PelTest.dll")));
  EXPECT_EQ(1, UnloadIdle());
  EXPECT_FALSE(ModuleIsLoaded("PelTest.dll"));
}

TEST_F(IdleUnloadTest, IdleModuleInUseAgainStays) {
  IComponent* first = Create(test::kTestComponent);
  ASSERT_NE(nullptr, first);
  first->Destroy(1);
  IComponent* second = Create(test::kTestComponent);
  ASSERT_NE(nullptr, second);
  // Idle once, but its PelokDllCanUnloadNow says 0 now.
  EXPECT_EQ(0, UnloadIdle());
  EXPECT_EQ(test::kTestComponent, second->GetComponentId());
  second->Destroy(1);
  EXPECT_EQ(1, UnloadIdle());
  EXPECT_FALSE(ModuleIsLoaded("PelTest.dll"));
}

TEST_F(IdleUnloadTest, OneReferenceWhateverTheSpellingOrThreads) {
  // The same file through a path spelt otherwise ("bin\\.\\PelTest.dll").
  const std::string other_spelling = WriteRegistryFile(
      dir_, "other.ini",
      "[Modules]\ntest=PelTest.dll\n[DefaultValue]\nDllPath=" + test::BinDir() + "\\.\n");
  const std::string section =
      WriteRegistryFile(dir_, "section.ini", "[5002]\nDLL=" + ModulePath("PelTest.dll") + "\n");
  std::vector<IComponent*> components(12, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&, t] {
      const std::string& ini = t == 0 ? ini_ : t == 1 ? other_spelling : section;
      for (int i = 0; i < 4; ++i) {
        components[t * 4 + i] = Factory().factory->CreateInstance(
            t == 2 ? test::kOtherTestComponent : test::kTestComponent, ini.c_str());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (IComponent* component : components) {
    ASSERT_NE(nullptr, component);
    component->Destroy(1);
  }
  // One FreeLibrary frees the module: the factory held a single reference on it.
  EXPECT_EQ(1, UnloadIdle());
  EXPECT_FALSE(ModuleIsLoaded("PelTest.dll"));
}

TEST_F(IdleUnloadTest, ModulesThatCannotSayTheyMayGoStay) {
  IComponentFactory* factory = Factory().factory;
  EXPECT_EQ(0, factory->OnModuleIdle(nullptr));
  // Loaded by this program, not by the factory.
  test::LoadedModule own(ModulePath("PelBare.dll"));
  ASSERT_TRUE(own.loaded());
  EXPECT_EQ(1, factory->OnModuleIdle(own.handle()));
  EXPECT_EQ(0, UnloadIdle());

  // Loaded by the factory now as well, idle, but without PelokDllCanUnloadNow.
  const std::string ini = WriteRegistryFile(dir_, "bare.ini",
                                            "[Modules]\nbare=" + ModulePath("PelBare.dll") +
                                                "\ntest=" + ModulePath("PelTest.dll") + "\n");
  IComponent* component = Factory().factory->CreateInstance(test::kTestComponent, ini.c_str());
  ASSERT_NE(nullptr, component);
  EXPECT_EQ(1, factory->OnModuleIdle(own.handle()));
  EXPECT_EQ(0, UnloadIdle());
  component->Destroy(1);
  EXPECT_EQ(1, UnloadIdle());  // PelTest only
  EXPECT_FALSE(ModuleIsLoaded("PelTest.dll"));
  own.Unload();
  // The factory's own reference keeps it.
  EXPECT_TRUE(ModuleIsLoaded("PelBare.dll"));
}

}  // namespace
}  // namespace pelok

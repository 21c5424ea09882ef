// The factory module's exports and its ComponentFactory giving out the components of the
// modules a DLL registry file names, through the real PelFact.dll and the test module.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/factory_module.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_component.h"

namespace pelok {
namespace {

using test::Factory;
using test::ITestComponent;
using test::kNestingTestComponent;
using test::kOtherTestComponent;
using test::kTestComponent;
using test::ModulePath;
using test::TempDir;
using test::WriteRegistryFile;

TEST(FactoryExportsTest, ServeTheFactoryAndTheAllocatorOnly) {
  const test::FactoryModule& module = Factory();
  ASSERT_TRUE(module.complete());
  EXPECT_EQ(module.factory, module.CreateComponent(component_id::kComponentFactory, 0));
  EXPECT_EQ(module.factory, module.CreateComponent(component_id::kComponentFactory, 991));
  EXPECT_EQ(component_id::kComponentFactory, module.factory->GetComponentId());
  EXPECT_EQ(component_id::kAllocator, module.allocator->GetComponentId());
  EXPECT_EQ(nullptr, module.CreateComponent(0, 0));
  EXPECT_EQ(nullptr, module.CreateComponent(component_id::kXmlDocument, 0));
  EXPECT_EQ(nullptr, module.CreateComponent(kTestComponent, 0));

  int ids[4] = {-1, -1, -1, -1};
  EXPECT_EQ(2, module.GetComponentIDs(nullptr, 0));
  EXPECT_EQ(2, module.GetComponentIDs(ids, 1));
  EXPECT_EQ(component_id::kComponentFactory, ids[0]);
  EXPECT_EQ(-1, ids[1]);
  EXPECT_EQ(2, module.GetComponentIDs(ids, 4));
  EXPECT_EQ(component_id::kAllocator, ids[1]);
  EXPECT_EQ(-1, ids[2]);
  EXPECT_EQ(0, module.PelokDllCanUnloadNow());
}

TEST(FactoryExportsTest, DestroyNeverEndsTheFactory) {
  const test::FactoryModule& module = Factory();
  ASSERT_TRUE(module.complete());
  module.factory->Destroy(0);
  module.factory->Destroy(1);
  EXPECT_EQ(module.factory, module.CreateComponent(component_id::kComponentFactory, 0));
  EXPECT_EQ(component_id::kComponentFactory, module.factory->GetComponentId());
  module.factory->SetAutoFree(1);
  EXPECT_EQ(1, module.factory->GetAutoFree());
  module.factory->SetAutoFree(0);
  EXPECT_EQ(0, module.factory->GetAutoFree());
  EXPECT_EQ(0, module.factory->Reserved8());
  EXPECT_EQ(0, module.factory->Reserved9());
}

class CreateInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Factory().complete());
    factory_ = Factory().factory;
  }

  ITestComponent* Create(int id, const std::string& registry_path) {
    return static_cast<ITestComponent*>(factory_->CreateInstance(id, registry_path.c_str()));
  }

  std::string Registry(const std::string& text) {
    return WriteRegistryFile(dir_, "registry" + std::to_string(++files_) + ".ini", text);
  }

  IComponentFactory* factory_ = nullptr;
  TempDir dir_;
  int files_ = 0;
};

TEST_F(CreateInstanceTest, FactoryAndAllocatorWhateverTheRegistryFile) {
  const std::string missing = dir_.Join("missing.ini");
  EXPECT_EQ(factory_, factory_->CreateInstance(component_id::kComponentFactory, nullptr));
  EXPECT_EQ(factory_, factory_->CreateInstance(component_id::kComponentFactory, missing.c_str()));
  EXPECT_EQ(Factory().allocator, factory_->CreateInstance(component_id::kAllocator, ""));
}

TEST_F(CreateInstanceTest, SectionOfTheIdNamesTheModule) {
  const std::string ini = Registry("[5001]\nDLL=" + ModulePath("PelTest.dll") + "\n");
  ITestComponent* component = Create(kTestComponent, ini);
  ASSERT_NE(nullptr, component);
  EXPECT_EQ(kTestComponent, component->GetComponentId());
  EXPECT_EQ(component_id::kComponentFactory, component->CreatorId());
  component->Destroy(1);
  // The module serves 5002 too, but nothing in this file leads there.
  EXPECT_EQ(nullptr, Create(kOtherTestComponent, ini));
}

TEST_F(CreateInstanceTest, SectionResolvesARelativeModuleThroughTheDefaultDirectory) {
  const std::string ini =
      Registry("[5002]\nDLL= PelTest.dll \n[DefaultValue]\nDllPath=" + test::BinDir() + "\n");
  ITestComponent* component = Create(kOtherTestComponent, ini);
  ASSERT_NE(nullptr, component);
  EXPECT_EQ(kOtherTestComponent, component->GetComponentId());
  component->Destroy(1);
  // Without the default directory the module is looked for beside the registry file.
  const std::string beside = Registry(
      "[5002]\nDLL=PelTest.dll\nNotUseDefaultDllPath=1\n"
      "[DefaultValue]\nDllPath=" +
      test::BinDir() + "\n");
  EXPECT_EQ(nullptr, Create(kOtherTestComponent, beside));
}

TEST_F(CreateInstanceTest, ModulesAreDiscoveredThroughTheIdsTheyServe) {
  const std::string ini = Registry("[Modules]\nbare=" + ModulePath("PelBare.dll") +
                                   "\nmissing=" + dir_.Join("missing.dll") +
                                   "\nblank=\ntest=" + ModulePath("PelTest.dll") + "\n");
  ITestComponent* first = Create(kTestComponent, ini);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(kTestComponent, first->GetComponentId());
  ITestComponent* other = Create(kOtherTestComponent, ini);
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(kOtherTestComponent, other->GetComponentId());
  // Asked again, the remembered module serves it.
  ITestComponent* again = Create(kTestComponent, ini);
  ASSERT_NE(nullptr, again);
  EXPECT_NE(first, again);
  for (ITestComponent* component : {first, other, again}) component->Destroy(1);

  EXPECT_EQ(nullptr, Create(9999, ini));
  EXPECT_EQ(nullptr, Create(component_id::kXmlDocument, ini));
}

TEST_F(CreateInstanceTest, ModulesValuesResolveLikeDllValues) {
  const std::string ini = Registry(
      "[Modules]\ntest=\"\tPelTest.dll \"\n[DefaultValue]\nDllPath=" + test::BinDir() + "\n");
  ITestComponent* component = Create(kTestComponent, ini);
  ASSERT_NE(nullptr, component);
  component->Destroy(1);
  const std::string beside = Registry("[Modules]\ntest=PelTest.dll\n");
  EXPECT_EQ(nullptr, Create(kTestComponent, beside));
}

TEST_F(CreateInstanceTest, SectionOfTheIdWinsOverModules) {
  const std::string ini = Registry("[5001]\nDLL=" + ModulePath("PelBare.dll") +
                                   "\n[Modules]\ntest=" + ModulePath("PelTest.dll") + "\n");
  // The section names a library without CreateComponent: no component, and no second try.
  EXPECT_EQ(nullptr, Create(kTestComponent, ini));
  ITestComponent* other = Create(kOtherTestComponent, ini);
  ASSERT_NE(nullptr, other);
  other->Destroy(1);
}

TEST_F(CreateInstanceTest, MissingFilesAndModulesGiveNull) {
  EXPECT_EQ(nullptr, Create(kTestComponent, dir_.Join("missing.ini")));
  EXPECT_EQ(nullptr, Create(kTestComponent, dir_.path()));
  EXPECT_EQ(nullptr, Create(kTestComponent, dir_.Join(std::string(300, 'r') + ".ini")));
  EXPECT_EQ(nullptr, Create(kTestComponent, Registry("")));
  EXPECT_EQ(nullptr, Create(kTestComponent, Registry("[5001]\nDLL=missing.dll\n")));
  EXPECT_EQ(nullptr, Create(kTestComponent, Registry("[5001]\nDLL=\n[Modules]\n")));
  // A file that is no library at all.
  const std::string text_file = WriteRegistryFile(dir_, "not_a_module.dll", "text");
  EXPECT_EQ(nullptr, Create(kTestComponent, Registry("[5001]\nDLL=" + text_file + "\n")));
  EXPECT_EQ(nullptr, Create(kTestComponent, Registry("[Modules]\nm=" + text_file + "\n")));
}

TEST_F(CreateInstanceTest, RedirectedRegistryFileIsTheOneRead) {
  const std::string target = Registry("[Modules]\ntest=" + ModulePath("PelTest.dll") + "\n");
  const std::string first = Registry("[Redirect]\nPath=" + target + "\n");
  ITestComponent* component = Create(kTestComponent, first);
  ASSERT_NE(nullptr, component);
  component->Destroy(1);
}

TEST_F(CreateInstanceTest, RelativeRegistryPathIsBesideTheExecutable) {
  const std::string name = "factory_component_test.ini";
  const std::string path = test::BinPath(name);
  ASSERT_TRUE(test::WriteFileBytes(path, "[5001]\nDLL=PelTest.dll\n"));
  ITestComponent* component = Create(kTestComponent, name);
  std::remove(path.c_str());
  ASSERT_NE(nullptr, component);
  component->Destroy(1);
}

TEST_F(CreateInstanceTest, ComponentsMayAskTheFactoryWhileBeingBuilt) {
  const std::string ini = Registry("[Modules]\ntest=" + ModulePath("PelTest.dll") + "\n");
  test::LoadedModule module(ModulePath("PelTest.dll"));
  const auto set_registry = module.Get<SetDLLRegistryFn>("SetDLLRegistry");
  ASSERT_NE(nullptr, set_registry);
  set_registry(ini.c_str());
  ITestComponent* outer = Create(kNestingTestComponent, ini);
  set_registry("");
  ASSERT_NE(nullptr, outer);
  ASSERT_NE(nullptr, outer->Inner());
  EXPECT_EQ(kTestComponent, outer->Inner()->GetComponentId());
  outer->Destroy(1);
}

// One creation looks at the file once for the module and the component's trace settings; the
// next creation looks again, so an edit between two creations reaches the second one whole.
TEST_F(CreateInstanceTest, AnEditBetweenTwoCreationsReachesTheSecond) {
  const std::string ini = Registry("[5001]\nDLL=" + ModulePath("PelTest.dll") +
                                   "\n[Trace]\nDebugMask=2\n");
  const auto an_hour_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(ini, an_hour_ago);
  test::LoadedModule module(ModulePath("PelTest.dll"));
  const auto set_registry = module.Get<SetDLLRegistryFn>("SetDLLRegistry");
  ASSERT_NE(nullptr, set_registry);
  set_registry(ini.c_str());
  ITestComponent* first = Create(kTestComponent, ini);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(2, first->Record()->debugMask);
  ASSERT_TRUE(test::WriteFileBytes(ini, "[5001]\nDLL=" + ModulePath("PelTest.dll") +
                                            "\n[Trace]\nDebugMask=4\n"));
  std::filesystem::last_write_time(ini, an_hour_ago + std::chrono::minutes(1));
  ITestComponent* second = Create(kTestComponent, ini);
  set_registry("");
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(4, second->Record()->debugMask);
  // The first keeps what it was given.
  EXPECT_EQ(2, first->Record()->debugMask);
  first->Destroy(1);
  second->Destroy(1);
}

TEST_F(CreateInstanceTest, ThreadsAskForComponentsAtOnce) {
  const std::string ini = Registry("[Modules]\nbare=" + ModulePath("PelBare.dll") +
                                   "\ntest=" + ModulePath("PelTest.dll") + "\n");
  constexpr int kThreads = 4;
  constexpr int kRounds = 50;
  std::atomic<int> created{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < kRounds; ++round) {
        IComponent* component = factory_->CreateInstance(
            round % 2 == 0 ? kTestComponent : kOtherTestComponent, ini.c_str());
        if (component == nullptr) continue;
        ++created;
        component->Destroy(1);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(kThreads * kRounds, created.load());
}

TEST(RegisterSingletonTest, RemembersWhatItIsGiven) {
  ASSERT_TRUE(Factory().complete());
  IComponentFactory* factory = Factory().factory;
  EXPECT_EQ(0, factory->RegisterSingleton(nullptr));
  EXPECT_EQ(1, factory->RegisterSingleton(Factory().allocator));
  EXPECT_EQ(1, factory->RegisterSingleton(Factory().allocator));
  // Remembering is not owning: the allocator is still there to use.
  void* block = Factory().allocator->AllocateTagged(7301, 4);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(1, Factory().allocator->FreeTagged(block));
}

}  // namespace
}  // namespace pelok

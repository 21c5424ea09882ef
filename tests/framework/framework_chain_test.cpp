// The registry host module finding the framework through the DLL registry file, as a host
// program drives it: registration, singletons, children, the allocator, the idle notification
// and every loader failure, against a factory module that records what it is asked.
#include <cstring>
#include <string>

#include "gtest/gtest.h"
#include "pelok/register_front.h"
#include "tests/support/debug_capture.h"
#include "tests/support/pelreg_module.h"
#include "tests/support/recording_factory.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::BinPath;
using test::DebugCapture;
using test::LoadedModule;
using test::PelRegModule;
using test::RecordingFactoryCalls;
using test::RecordingFactoryCallsFn;
using test::TempDir;
using test::WriteFileBytes;

// The recording factory module and its DLL registry file live in a folder of their own.
std::string FakeDir() { return BinPath("fake"); }
std::string FakeFactoryPath() { return test::JoinPath(FakeDir(), "PelFact.dll"); }

class FrameworkChainTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pelreg_ = new PelRegModule();
    factory_ = new LoadedModule(FakeFactoryPath());
  }
  static void TearDownTestSuite() {
    delete pelreg_;
    delete factory_;
  }
  void SetUp() override {
    ASSERT_TRUE(pelreg_->complete());
    ASSERT_TRUE(factory_->loaded()) << FakeFactoryPath();
    calls_ = factory_->Get<RecordingFactoryCallsFn>("RecordingFactoryCalls")();
    std::memset(calls_, 0, sizeof(*calls_));
    pelreg_->SetFactoryHandle(nullptr);
    pelreg_->SetDLLRegistry(RegistryFile().c_str());
  }
  void TearDown() override {
    calls_->create_returns_null = 0;
    pelreg_->SetFactoryHandle(nullptr);
    pelreg_->SetDLLRegistry(RegistryFile().c_str());
    EXPECT_EQ(1, pelreg_->PelokDllCanUnloadNow()) << "every test gives back what it created";
  }

  static std::string RegistryFile() { return test::JoinPath(FakeDir(), "Pelok.ini"); }
  // A DLL registry file of the test's own.
  std::string WriteIni(const std::string& name, const std::string& text) {
    const std::string path = dir_.Join(name);
    EXPECT_TRUE(WriteFileBytes(path, text));
    return path;
  }
  // Creates the register core, whose construction asks the factory for the provider (1152).
  std::string CoreCreationMessages() {
    DebugCapture capture;
    IComponent* core = pelreg_->CreateComponent(1140, 0);
    const std::string text = capture.Text();
    EXPECT_NE(nullptr, core) << "a component is created even without its children";
    if (core != nullptr) core->Destroy(1);
    return text;
  }

  static PelRegModule* pelreg_;
  static LoadedModule* factory_;
  RecordingFactoryCalls* calls_ = nullptr;
  TempDir dir_;
};

PelRegModule* FrameworkChainTest::pelreg_ = nullptr;
LoadedModule* FrameworkChainTest::factory_ = nullptr;

TEST_F(FrameworkChainTest, EveryComponentRegistersItsRecordAndTheFrontItsSingleton) {
  IComponent* created = pelreg_->CreateComponent(991, 0);
  ASSERT_NE(nullptr, created);
  EXPECT_EQ(1, calls_->create_instance[1140]);
  EXPECT_EQ(1, calls_->create_instance[1152]);
  EXPECT_EQ(3, calls_->register_record) << "front, core and provider";
  EXPECT_EQ(1152, calls_->last_recorded_id);
  EXPECT_EQ(1, calls_->register_singleton);

  auto* front = static_cast<IRegisterFront*>(created);
  uint32_t key = 0;
  int disposition = 0;
  ASSERT_EQ(1, front->CreateKey(root::kUser, "app", kind::kMemory, 0, &key, &disposition));
  EXPECT_EQ(1, calls_->create_instance[1138]);
  EXPECT_EQ(1, calls_->create_instance[1134]);
  ASSERT_EQ(1, front->SetValue(key, "a", value_type::kText, "one", 4));
  ASSERT_EQ(1, front->SetValue(key, "b", value_type::kBinary, "\x01\x02", 2));
  EXPECT_EQ(1, calls_->create_instance[3]) << "the allocator is obtained once per component";
  EXPECT_EQ(2, calls_->allocations);

  EXPECT_EQ(0, calls_->on_module_idle);
  created->Destroy(1);
  EXPECT_EQ(0, calls_->allocations) << "every block given back";
  EXPECT_EQ(1, calls_->on_module_idle) << "the last instance gone, exactly once";
  EXPECT_EQ(pelreg_->module.handle(), calls_->last_idle_module);
}

TEST_F(FrameworkChainTest, AMissingFactoryModuleIsReportedAndLeavesTheModuleUsable) {
  pelreg_->SetDLLRegistry(WriteIni("missing.ini", "[361]\nDLL=NotThere.dll\n").c_str());
  EXPECT_EQ("[Pelok_Error] Load PelFact.dll Fail.\n", CoreCreationMessages());
  EXPECT_EQ(0, calls_->create_instance[1152]);

  pelreg_->SetDLLRegistry(RegistryFile().c_str());
  EXPECT_EQ("", CoreCreationMessages());
  EXPECT_EQ(1, calls_->create_instance[1152]);
}

TEST_F(FrameworkChainTest, AFactoryModuleWithoutTheExportIsReported) {
  const std::string ini = "[361]\nDLL=" + BinPath("PelBare.dll") + "\n";
  pelreg_->SetDLLRegistry(WriteIni("bare.ini", ini).c_str());
  EXPECT_EQ(
      "[Pelok_Error] Can't find CreateComponent().\n"
      "[Pelok_Error] Create ComponentFactory in PelFact.dll Fail\n",
      CoreCreationMessages());
}

TEST_F(FrameworkChainTest, AFactoryModuleThatGivesNoFactoryIsReported) {
  calls_->create_returns_null = 1;
  // The component's registration finds the loaded module first, then its child asks again.
  EXPECT_EQ(
      "Invoke CreateComponent() in PelFact.dll return null.\n"
      "[Pelok_Error] CreateComponent(ComponentId=361) return null.\n"
      "[Pelok_Error] Create ComponentFactory in PelFact.dll Fail\n",
      CoreCreationMessages());
  calls_->create_returns_null = 0;
}

TEST_F(FrameworkChainTest, WithAFactoryHandleNoRegistryFileIsRead) {
  pelreg_->SetDLLRegistry(dir_.Join("no-such-file.ini").c_str());
  EXPECT_EQ(factory_->handle(), pelreg_->SetFactoryHandle(factory_->handle()));
  EXPECT_EQ("", CoreCreationMessages());
  EXPECT_EQ(1, calls_->create_instance[1152]);
}

TEST_F(FrameworkChainTest, AbsoluteRedirectsAreFollowedAlongTheChain) {
  const std::string second =
      WriteIni("second.ini", "[Redirect]\nPath=\n[361]\nDLL=" + FakeFactoryPath() + "\n");
  pelreg_->SetDLLRegistry(
      WriteIni("first.ini", "[Redirect]\nPath=" + second + "\n[361]\nDLL=NotThere.dll\n").c_str());
  EXPECT_EQ("", CoreCreationMessages());
  EXPECT_EQ(1, calls_->create_instance[1152]);
}

TEST_F(FrameworkChainTest, ARelativeRedirectIsResolvedBesideItsFileAndNotFollowedFurther) {
  WriteIni("target.ini", "[Redirect]\nPath=" + dir_.Join("missing-next.ini") +
                             "\n[361]\nDLL=" + FakeFactoryPath() + "\n");
  pelreg_->SetDLLRegistry(WriteIni("relative.ini", "[Redirect]\nPath=  target.ini \n").c_str());
  EXPECT_EQ("", CoreCreationMessages());
  EXPECT_EQ(1, calls_->create_instance[1152]);
}

TEST_F(FrameworkChainTest, ACycleOfAbsoluteRedirectsStops) {
  const std::string a = dir_.Join("a.ini");
  const std::string b = dir_.Join("b.ini");
  const std::string dll = "[361]\nDLL=" + FakeFactoryPath() + "\n";
  WriteIni("a.ini", "[Redirect]\nPath=" + b + "\n" + dll);
  WriteIni("b.ini", "[Redirect]\nPath=" + a + "\n" + dll);
  pelreg_->SetDLLRegistry(a.c_str());
  EXPECT_EQ("", CoreCreationMessages());
  EXPECT_EQ(1, calls_->create_instance[1152]);
}

TEST_F(FrameworkChainTest, TheFactoryModulePathResolvesAgainstTheDefaultDirectory) {
  // "DLL" relative, "DllPath" absolute: the module comes from that directory.
  const std::string ini = "[361]\nDLL=\t PelFact.dll \n[DefaultValue]\nDllPath=" + FakeDir() + "\n";
  pelreg_->SetDLLRegistry(WriteIni("default-dir.ini", ini).c_str());
  EXPECT_EQ("", CoreCreationMessages());
  EXPECT_EQ(1, calls_->create_instance[1152]);

  // NotUseDefaultDllPath=1: the DLL registry file's own directory, where there is none.
  const std::string skip =
      "[361]\nDLL=PelFact.dll\nNotUseDefaultDllPath=1\n[DefaultValue]\n"
      "DllPath=" +
      FakeDir() + "\n";
  pelreg_->SetDLLRegistry(WriteIni("skip-default.ini", skip).c_str());
  EXPECT_EQ("[Pelok_Error] Load PelFact.dll Fail.\n", CoreCreationMessages());
}

}  // namespace
}  // namespace pelok

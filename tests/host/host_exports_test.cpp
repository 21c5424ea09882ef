// The host's exports as a host program sees them, on the real module.
#include <cstring>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "pelok/register_front.h"
#include "tests/support/debug_capture.h"
#include "tests/support/pelreg_module.h"

namespace pelok {
namespace {

using test::BinPath;
using test::DebugCapture;
using test::PelRegModule;

const int kRegisteredIds[] = {991, 1140, 1137, 1136, 1138, 1135, 1152, 1134, 1139};

class HostExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pelreg_.complete());
    pelreg_.SetDLLRegistry(BinPath("Pelok.ini").c_str());
  }
  void TearDown() override {
    pelreg_.PelokSetDllSafe(1);
    pelreg_.SetDLLRegistry(BinPath("Pelok.ini").c_str());
  }

  PelRegModule pelreg_;
};

TEST_F(HostExportsTest, GetComponentIDsReportsTheNineClassesInRegistrationOrder) {
  EXPECT_EQ(9, pelreg_.GetComponentIDs(nullptr, 0));

  int three[3] = {0, 0, 0};
  EXPECT_EQ(9, pelreg_.GetComponentIDs(three, 3));
  EXPECT_EQ(991, three[0]);
  EXPECT_EQ(1140, three[1]);
  EXPECT_EQ(1137, three[2]);

  std::vector<int> all(12, -1);
  EXPECT_EQ(9, pelreg_.GetComponentIDs(all.data(), 12));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(kRegisteredIds[i], all[i]) << "entry " << i;
  EXPECT_EQ(-1, all[9]) << "nothing is written past the registered ids";
}

TEST_F(HostExportsTest, CreateComponentOfAnUnknownIdPrintsBothLinesAndReturnsNull) {
  DebugCapture capture;
  EXPECT_EQ(nullptr, pelreg_.CreateComponent(12345, 7));
  EXPECT_EQ(
      "Pelok[Error]: Can't find the factory method of Component\n"
      "Pelok[Error]: ComponentID=12345 CreatorID=7",
      capture.Text());
}

TEST_F(HostExportsTest, CreatorIdIsPrintedUnsigned) {
  DebugCapture capture;
  EXPECT_EQ(nullptr, pelreg_.CreateComponent(0, -1));
  EXPECT_NE(std::string::npos, capture.Text().find("ComponentID=0 CreatorID=4294967295"));
}

TEST_F(HostExportsTest, EveryRegisteredClassIsCreatedWithItsIdAndDestroyedAgain) {
  ASSERT_EQ(1, pelreg_.PelokDllCanUnloadNow());
  std::vector<IComponent*> created;
  for (int id : kRegisteredIds) {
    IComponent* component = pelreg_.CreateComponent(id, 0);
    ASSERT_NE(nullptr, component) << id;
    EXPECT_EQ(id, component->GetComponentId());
    EXPECT_EQ(1, component->GetVersion());
    EXPECT_EQ(0, component->GetAutoFree());
    created.push_back(component);
  }
  EXPECT_EQ(0, pelreg_.PelokDllCanUnloadNow());
  for (IComponent* component : created) component->Destroy(1);
  EXPECT_EQ(1, pelreg_.PelokDllCanUnloadNow());
}

TEST_F(HostExportsTest, TheFrontIsASingletonThatIgnoresAPlainRelease) {
  IComponent* first = pelreg_.CreateComponent(991, 1);
  ASSERT_NE(nullptr, first);
  IComponent* second = pelreg_.CreateComponent(991, 2);
  EXPECT_EQ(first, second);

  first->Destroy(0);
  EXPECT_EQ(991, first->GetComponentId()) << "Destroy(0) must leave the singleton alive";
  EXPECT_EQ(0, pelreg_.PelokDllCanUnloadNow());

  first->Destroy(1);
  EXPECT_EQ(1, pelreg_.PelokDllCanUnloadNow());
}

TEST_F(HostExportsTest, ADestroyedSingletonIsNeverHandedOutAgain) {
  IComponent* first = pelreg_.CreateComponent(991, 0);
  ASSERT_NE(nullptr, first);
  first->Destroy(1);
  IComponent* again = pelreg_.CreateComponent(991, 0);
  ASSERT_NE(nullptr, again);
  EXPECT_EQ(991, again->GetComponentId());
  again->Destroy(1);
  EXPECT_EQ(1, pelreg_.PelokDllCanUnloadNow());
}

TEST_F(HostExportsTest, DestroyIsIgnoredWhileTheModuleIsNotDllSafe) {
  IComponent* values = pelreg_.CreateComponent(1134, 0);
  ASSERT_NE(nullptr, values);
  EXPECT_EQ(0, pelreg_.PelokSetDllSafe(0));
  values->Destroy(1);
  EXPECT_EQ(0, pelreg_.PelokDllCanUnloadNow());
  EXPECT_EQ(1134, values->GetComponentId());

  EXPECT_EQ(5, pelreg_.PelokSetDllSafe(5)) << "any non-zero flag means safe";
  values->Destroy(1);
  EXPECT_EQ(1, pelreg_.PelokDllCanUnloadNow());
}

TEST_F(HostExportsTest, FreeMapDestroysOnlyTheInstancesMarkedAutoFree) {
  IComponent* marked = pelreg_.CreateComponent(1134, 0);
  IComponent* kept = pelreg_.CreateComponent(1134, 0);
  IComponent* front = pelreg_.CreateComponent(991, 0);
  ASSERT_TRUE(marked && kept && front);
  marked->SetAutoFree(1);
  front->SetAutoFree(1);  // the singleton ignores Destroy(0), so it is stepped over
  EXPECT_EQ(1, marked->GetAutoFree());

  pelreg_.PelokDllFreeMap();
  EXPECT_EQ(991, front->GetComponentId());
  EXPECT_EQ(1134, kept->GetComponentId());
  kept->Destroy(1);
  EXPECT_EQ(0, pelreg_.PelokDllCanUnloadNow()) << "only the front is left";
  front->Destroy(1);
  EXPECT_EQ(1, pelreg_.PelokDllCanUnloadNow()) << "the marked instance was freed by the map";
}

TEST_F(HostExportsTest, FreeMapWithNothingMarkedChangesNothing) {
  IComponent* values = pelreg_.CreateComponent(1134, 0);
  ASSERT_NE(nullptr, values);
  pelreg_.PelokDllFreeMap();
  EXPECT_EQ(0, pelreg_.PelokDllCanUnloadNow());
  values->Destroy(1);
  EXPECT_EQ(1, pelreg_.PelokDllCanUnloadNow());
}

// The front's last slot is the shared GetDllRegistryPath.
TEST_F(HostExportsTest, SetDLLRegistryKeepsPathsUpTo259CharactersAndEmptiesOtherwise) {
  auto* front = static_cast<IRegisterFront*>(pelreg_.CreateComponent(991, 0));
  ASSERT_NE(nullptr, front);
  char buf[400];

  const std::string longest(259, 'a');
  EXPECT_EQ(0, pelreg_.SetDLLRegistry(longest.c_str()));
  std::memset(buf, 'x', sizeof(buf));
  front->GetDllRegistryPath(nullptr, buf, sizeof(buf));
  EXPECT_EQ(longest, std::string(buf));

  const std::string too_long(260, 'b');
  EXPECT_EQ(0, pelreg_.SetDLLRegistry(too_long.c_str()));
  std::memset(buf, 'x', sizeof(buf));
  front->GetDllRegistryPath("", buf, sizeof(buf));
  EXPECT_EQ("", std::string(buf));

  EXPECT_EQ(0, pelreg_.SetDLLRegistry("reg.ini"));
  EXPECT_EQ(0, pelreg_.SetDLLRegistry(nullptr));
  std::memset(buf, 'x', sizeof(buf));
  front->GetDllRegistryPath(nullptr, buf, sizeof(buf));
  EXPECT_EQ("", std::string(buf));
  front->Destroy(1);
}

TEST_F(HostExportsTest, GetDllRegistryPathCopiesAllOrNothing) {
  IComponent* created = pelreg_.CreateComponent(991, 0);
  auto* front = static_cast<IRegisterFront*>(created);
  ASSERT_NE(nullptr, front);
  char buf[10];

  pelreg_.SetDLLRegistry("abcdefghi");  // 9 characters fit a 10-byte buffer
  std::memset(buf, 'x', sizeof(buf));
  front->GetDllRegistryPath("", buf, sizeof(buf));
  EXPECT_EQ("abcdefghi", std::string(buf));

  pelreg_.SetDLLRegistry("abcdefghij");  // 10 do not: the buffer is left as it was
  std::memset(buf, 'x', sizeof(buf));
  front->GetDllRegistryPath("", buf, sizeof(buf));
  EXPECT_EQ(std::string(10, 'x'), std::string(buf, sizeof(buf)));

  front->GetDllRegistryPath("pref", buf, sizeof(buf));
  EXPECT_EQ("pref", std::string(buf)) << "a non-empty preferred path wins";

  front->GetDllRegistryPath("pref", buf, 0);  // no room: nothing happens
  front->GetDllRegistryPath("pref", nullptr, 10);
  front->Destroy(1);
}

TEST_F(HostExportsTest, SetFactoryHandleReturnsTheHandle) {
  EXPECT_EQ(nullptr, pelreg_.SetFactoryHandle(nullptr));
}

// A pointer that is no module handle: the components find no CreateComponent in it and go on
// without a factory, as they do for a module that lacks the export, instead of crashing.
TEST_F(HostExportsTest, AFactoryHandleThatIsNoModuleGivesComponentsWithoutAFactory) {
  int not_a_module[64] = {0};
  EXPECT_EQ(static_cast<void*>(not_a_module), pelreg_.SetFactoryHandle(not_a_module));
  {
    DebugCapture capture;
    IComponent* front = pelreg_.CreateComponent(component_id::kRegisterFront, 0);
    ASSERT_NE(nullptr, front);
    uint32_t key = 0;
    int disposition = 0;
    EXPECT_EQ(0, static_cast<IRegisterFront*>(front)->CreateKey(root::kShare, "app",
                                                                 kind::kMemory, 0, &key,
                                                                 &disposition));
    front->Destroy(1);
    EXPECT_NE(std::string::npos, capture.Text().find("[Pelok_Error] Can't find CreateComponent()."))
        << capture.Text();
  }
  pelreg_.SetFactoryHandle(nullptr);
}

TEST_F(HostExportsTest, DestroyingARecordedInstancePrintsNothing) {
  IComponent* values = pelreg_.CreateComponent(1134, 0);
  ASSERT_NE(nullptr, values);
  DebugCapture capture;
  values->Destroy(1);
  EXPECT_EQ("", capture.Text());
}

}  // namespace
}  // namespace pelok

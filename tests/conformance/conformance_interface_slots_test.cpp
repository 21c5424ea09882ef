// Every slot of every binary interface of the three modules, called on the real components
// through the hand-written copies of tests/support/interface_slot_copies.h: each slot must be
// where its interface table puts it and do what its row says. A component's own slots are
// driven until each has shown its effect through another slot (a value set is read back, a key
// closed is no longer found), so that two slots swapped or shifted fail here even when the
// product's headers moved together with the modules. A last group makes the same calls through
// the product's headers and through the copies on one object and compares the answers.
#include <cstdint>
#include <cstring>
#include <string>

#include "gtest/gtest.h"
#include "tests/support/interface_slot_copies.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

// Only the comparison group uses the product's headers.
#include "pelok/component_factory.h"
#include "pelok/register_front.h"
#include "registry/registry_interfaces.h"

namespace slot_copy {
namespace {

using pelok::test::BinPath;
using pelok::test::LoadedModule;
using pelok::test::TempDir;

constexpr int kText = 1;
constexpr int kNumber = 2;
constexpr int kBinary = 3;

// The registry host module loaded from the bin directory, told the DLL registry file there.
class InterfaceSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pelreg_.loaded());
    create_ = pelreg_.Get<CreateComponentFn>("CreateComponent");
    auto set_registry = pelreg_.Get<SetDllRegistryFn>("SetDLLRegistry");
    can_unload_ = pelreg_.Get<CanUnloadNowFn>("PelokDllCanUnloadNow");
    ASSERT_NE(nullptr, create_);
    ASSERT_NE(nullptr, set_registry);
    ASSERT_NE(nullptr, can_unload_);
    EXPECT_EQ(0, set_registry(registry_file_.c_str())) << "SetDLLRegistry answers 0 by design";
  }
  void TearDown() override {
    if (can_unload_ != nullptr) {
      EXPECT_EQ(1, can_unload_()) << "an instance of PelReg.dll is left";
    }
  }

  template <class Interface>
  Interface* Create(int component_id) {
    Component* component = create_(component_id, 0);
    EXPECT_NE(nullptr, component) << component_id;
    if (component == nullptr) return nullptr;
    EXPECT_EQ(component_id, component->GetComponentId());
    return static_cast<Interface*>(component);
  }

  // The number stored under key_path/name in the store file, as a store opened afresh on the
  // file reads it; -1 when it is not there.
  long long StoredNumber(const std::string& file, const char* key_path, const char* name) {
    auto* store = Create<RegisterStore>(kRegisterStoreId);
    if (store == nullptr) return -1;
    long long result = -1;
    uint32_t number = 0;
    int type = 0;
    unsigned size = sizeof(number);
    if (store->OpenStoreFile(file.c_str()) != 0 &&
        store->QueryValue(key_path, name, &type, &number, &size) != 0 && type == kNumber) {
      result = number;
    }
    store->Destroy(0);
    return result;
  }

  // The last slot every component of the registry module shares: the preferred path when one
  // is given, else the module's DLL registry file.
  template <class Interface>
  void ExpectRegistryPathSlot(Interface* component) {
    char buf[260] = "untouched";
    component->GetDllRegistryPath(nullptr, buf, sizeof(buf));
    EXPECT_EQ(registry_file_, buf) << component->GetComponentId();
    component->GetDllRegistryPath("other.ini", buf, sizeof(buf));
    EXPECT_STREQ("other.ini", buf) << component->GetComponentId();
    char small[4] = "abc";
    component->GetDllRegistryPath("other.ini", small, sizeof(small));
    EXPECT_STREQ("abc", small) << "a path that does not fit is not copied";
  }

  LoadedModule pelreg_{BinPath("PelReg.dll")};
  CreateComponentFn create_ = nullptr;
  CanUnloadNowFn can_unload_ = nullptr;
  std::string registry_file_ = BinPath("Pelok.ini");
  TempDir dir_;
  std::string store_file_ = dir_.Join("registry.xml");
};

// Slots 0-4, on a component that is no singleton.
TEST_F(InterfaceSlotsTest, TheFiveComponentSlotsComeFirst) {
  auto* core = Create<Component>(kRegisterCoreId);
  ASSERT_NE(nullptr, core);
  EXPECT_EQ(kRegisterCoreId, core->GetComponentId());
  EXPECT_EQ(1, core->GetVersion());
  EXPECT_EQ(0, core->GetAutoFree());
  core->SetAutoFree(1);
  EXPECT_EQ(1, core->GetAutoFree());
  core->SetAutoFree(0);
  EXPECT_EQ(0, core->GetAutoFree());
  EXPECT_EQ(0, can_unload_());
  core->Destroy(0);  // not shared: a plain release destroys it
  EXPECT_EQ(1, can_unload_());
}

TEST_F(InterfaceSlotsTest, TheFrontsSlotsInTheirOrder) {
  auto* front = Create<Front>(kFrontId);
  ASSERT_NE(nullptr, front);
  EXPECT_EQ(1, front->GetVersion());
  front->Destroy(0);  // the singleton ignores a plain release
  EXPECT_EQ(kFrontId, front->GetComponentId());

  EXPECT_EQ(1, front->SetStoreFile(store_file_.c_str()));  // 5
  uint32_t app = 0;
  int disposition = 0;
  ASSERT_EQ(1, front->CreateKey(kRootShare, "App", 2, 0, &app, &disposition));  // 6
  EXPECT_EQ(1, disposition);
  EXPECT_EQ(2, KindOfHandle(app));
  uint32_t again = 0;
  EXPECT_EQ(1, front->CreateKey(kRootShare, "app", 2, 0, &again, &disposition));
  EXPECT_EQ(2, disposition);
  EXPECT_EQ(app, again);
  uint32_t opened = 0;
  EXPECT_EQ(1, front->OpenKey(kRootShare, "app", 2, 0, &opened));  // 8
  EXPECT_EQ(app, opened);
  char name[260] = {};
  EXPECT_EQ(1, front->GetKeyName(app, name, sizeof(name)));  // 15
  EXPECT_STREQ("share/app", name);

  const uint32_t port = 8080;
  const unsigned char mask[3] = {0xff, 0x00, 0x7f};
  EXPECT_EQ(1, front->SetValue(app, "motd", kText, "hello", 6));  // 13
  EXPECT_EQ(1, front->SetValue(app, "port", kNumber, &port, 4));
  EXPECT_EQ(1, front->SetValue(app, "mask", kBinary, mask, 3));
  EXPECT_EQ(-1, StoredNumber(store_file_, "share/app", "port")) << "not written before Flush";

  int type = 0;
  char text[16] = {};
  int size = sizeof(text);
  EXPECT_EQ(1, front->QueryValue(app, "motd", &type, text, &size));  // 11
  EXPECT_EQ(kText, type);
  EXPECT_EQ(6, size);
  EXPECT_STREQ("hello", text);
  char shortcut_text[16] = {};
  size = sizeof(shortcut_text);
  EXPECT_EQ(1, front->QueryStringValue(app, "motd", shortcut_text, &size));  // 16
  EXPECT_STREQ("hello", shortcut_text);
  int number = 0;
  EXPECT_EQ(1, front->QueryIntValue(app, "port", &number));  // 17
  EXPECT_EQ(8080, number);
  unsigned char bytes[8] = {};
  size = sizeof(bytes);
  EXPECT_EQ(1, front->QueryBinaryValue(app, "mask", bytes, &size));  // 18
  EXPECT_EQ(3, size);
  EXPECT_EQ(0, std::memcmp(mask, bytes, 3));
  EXPECT_EQ(1, front->HasValue(app, "port"));  // 14
  EXPECT_EQ(0, front->HasValue(app, "none"));

  // Stored values count from 1, in the order of the file.
  char value_name[260] = {};
  std::memset(text, 0, sizeof(text));
  size = sizeof(text);
  EXPECT_EQ(1, front->EnumValue(app, 1, value_name, sizeof(value_name), &type, text, &size));  // 12
  EXPECT_STREQ("motd", value_name);
  EXPECT_EQ(kText, type);
  EXPECT_STREQ("hello", text);

  uint32_t net = 0;
  ASSERT_EQ(1, front->CreateKey(app, "net", 2, 0, &net, &disposition));
  EXPECT_EQ(1, front->EnumKey(app, 0, name, sizeof(name)));  // 20
  EXPECT_STREQ("share/app/net", name);
  EXPECT_EQ(0, front->EnumKey(app, 1, name, sizeof(name)));

  EXPECT_EQ(1, front->DeleteValue(app, "mask"));  // 19
  EXPECT_EQ(0, front->HasValue(app, "mask"));
  EXPECT_EQ(1, front->Flush());  // 21
  EXPECT_EQ(8080, StoredNumber(store_file_, "share/app", "port"));

  uint32_t gone = 0;
  ASSERT_EQ(1, front->CreateKey(kRootShare, "gone", 2, 0, &gone, &disposition));
  EXPECT_EQ(1, front->SetValue(gone, "n", kNumber, &port, 4));
  EXPECT_EQ(1, front->Flush());
  EXPECT_EQ(8080, StoredNumber(store_file_, "share/gone", "n"));
  EXPECT_EQ(1, front->DeleteKey(gone));  // 7
  EXPECT_EQ(1, front->Flush());
  EXPECT_EQ(-1, StoredNumber(store_file_, "share/gone", "n")) << "deleted with its values";

  EXPECT_EQ(1, front->CloseKey(net));  // 9
  EXPECT_EQ(0, front->OpenKey(app, "net", 2, 0, &opened));
  EXPECT_EQ(1, front->ReleaseKey(app));  // 10
  EXPECT_EQ(0, front->OpenKey(kRootShare, "app", 2, 0, &opened));

  uint32_t memory = 0;
  ASSERT_EQ(1, front->CreateKey(kRootUser, "x", 1, 0, &memory, &disposition));
  ASSERT_EQ(1, front->CreateKey(kRootShare, "y", 3, 0, &again, &disposition));
  front->CloseAllKeys();  // 22
  EXPECT_EQ(0, front->OpenKey(kRootUser, "x", 1, 0, &opened));
  EXPECT_EQ(0, front->OpenKey(kRootShare, "y", 3, 0, &opened));

  ExpectRegistryPathSlot(front);  // 24
  front->Destroy(1);
}

// Slot 23, the front's destroy hook: without its core the front does nothing more.
TEST_F(InterfaceSlotsTest, TheFrontsReleaseCoreLeavesItWithoutItsCore) {
  auto* front = Create<Front>(kFrontId);
  ASSERT_NE(nullptr, front);
  ASSERT_EQ(1, front->SetStoreFile(store_file_.c_str()));
  uint32_t key = 0;
  int disposition = 0;
  ASSERT_EQ(1, front->CreateKey(kRootUser, "app", 1, 0, &key, &disposition));
  front->ReleaseCore();
  EXPECT_EQ(0, front->SetStoreFile(store_file_.c_str()));
  EXPECT_EQ(0, front->OpenKey(kRootUser, "app", 1, 0, &key));
  EXPECT_EQ(0, front->Flush());
  front->Destroy(1);
}

TEST_F(InterfaceSlotsTest, TheRegisterCoresSlotsInTheirOrder) {
  auto* core = Create<RegisterCore>(kRegisterCoreId);
  ASSERT_NE(nullptr, core);
  EXPECT_EQ(1, core->SetStoreFile(store_file_.c_str()));  // 5
  uint32_t app = 0;
  int disposition = 0;
  ASSERT_EQ(1, core->CreateKey(kRootShare, "App", 2, 0, &app, &disposition));  // 6
  EXPECT_EQ(1, disposition);
  uint32_t opened = 0;
  EXPECT_EQ(1, core->OpenKey(kRootShare, "app", 2, 0, &opened));  // 8
  EXPECT_EQ(app, opened);

  const uint32_t port = 8080;
  EXPECT_EQ(1, core->SetValue(app, "port", kNumber, &port, 4));  // 13
  EXPECT_EQ(1, core->SetValue(app, "motd", kText, "hi", 3));
  EXPECT_EQ(-1, StoredNumber(store_file_, "share/app", "port")) << "not written before Flush";
  int type = 0;
  uint32_t number = 0;
  int size = sizeof(number);
  EXPECT_EQ(1, core->QueryValue(app, "port", &type, &number, &size));  // 11
  EXPECT_EQ(kNumber, type);
  EXPECT_EQ(8080u, number);
  char name[260] = {};
  char text[16] = {};
  size = sizeof(text);
  EXPECT_EQ(1, core->EnumValue(app, 2, name, sizeof(name), &type, text, &size));  // 12
  EXPECT_STREQ("motd", name);
  EXPECT_STREQ("hi", text);
  EXPECT_EQ(1, core->HasValue(app, "motd"));     // 14
  EXPECT_EQ(1, core->DeleteValue(app, "motd"));  // 15
  EXPECT_EQ(0, core->HasValue(app, "motd"));
  EXPECT_EQ(1, core->GetKeyName(app, name, sizeof(name)));  // 16
  EXPECT_STREQ("share/app", name);
  EXPECT_EQ(1, core->GetKeyName(kRootUser, name, sizeof(name)));
  EXPECT_STREQ("user", name);

  uint32_t net = 0;
  ASSERT_EQ(1, core->CreateKey(app, "net", 2, 0, &net, &disposition));
  EXPECT_EQ(1, core->EnumKey(app, 0, name, sizeof(name)));  // 17
  EXPECT_STREQ("share/app/net", name);
  EXPECT_EQ(1, core->Flush());  // 18
  EXPECT_EQ(8080, StoredNumber(store_file_, "share/app", "port"));

  EXPECT_EQ(1, core->CloseKey(net));  // 9
  EXPECT_EQ(0, core->OpenKey(app, "net", 2, 0, &opened));
  ASSERT_EQ(1, core->CreateKey(app, "net", 2, 0, &net, &disposition));
  EXPECT_EQ(1, core->SetValue(net, "n", kNumber, &port, 4));
  EXPECT_EQ(1, core->DeleteKey(net));  // 7
  EXPECT_EQ(1, core->Flush());
  EXPECT_EQ(-1, StoredNumber(store_file_, "share/app/net", "n"));
  EXPECT_EQ(1, core->ReleaseKey(app));  // 10
  EXPECT_EQ(0, core->OpenKey(kRootShare, "app", 2, 0, &opened));

  uint32_t memory = 0;
  ASSERT_EQ(1, core->CreateKey(kRootUser, "x", 1, 0, &memory, &disposition));
  core->CloseAllKeys();  // 19
  EXPECT_EQ(0, core->OpenKey(kRootUser, "x", 1, 0, &opened));

  ExpectRegistryPathSlot(core);  // 21

  // 20, the destroy hook: every key closed and the provider gone, so nothing opens any more.
  ASSERT_EQ(1, core->CreateKey(kRootUser, "x", 1, 0, &memory, &disposition));
  core->Shutdown();
  EXPECT_EQ(0, core->OpenKey(kRootUser, "x", 1, 0, &opened));
  EXPECT_EQ(0, core->CreateKey(kRootUser, "x", 1, 0, &memory, &disposition));
  core->Destroy(0);
}

TEST_F(InterfaceSlotsTest, TheStorageProvidersSlotsInTheirOrder) {
  auto* provider = Create<StorageProvider>(kStorageProviderId);
  ASSERT_NE(nullptr, provider);
  provider->SetStoreFile(store_file_.c_str());  // 5

  KeyValues* memory = nullptr;
  ASSERT_EQ(1, provider->OpenKeyValues(1, "user/app", &memory));  // 6
  ASSERT_NE(nullptr, memory);
  EXPECT_EQ(kMemoryKeyValuesId, memory->GetComponentId());
  char path[260] = {};
  EXPECT_EQ(1, memory->GetKeyPath(path, sizeof(path)));
  EXPECT_STREQ("user/app", path);
  EXPECT_FALSE(pelok::test::FileExistsAt(store_file_)) << "kind 1 never makes the store";

  KeyValues* stored = nullptr;
  ASSERT_EQ(1, provider->OpenKeyValues(2, "share/app", &stored));
  ASSERT_NE(nullptr, stored);
  EXPECT_EQ(kStoredKeyValuesId, stored->GetComponentId());
  EXPECT_TRUE(pelok::test::FileExistsAt(store_file_)) << "opened on the file given in slot 5";
  const uint32_t port = 8080;
  EXPECT_EQ(1, stored->SetValue("port", kNumber, &port, 4));

  int sentinel = 0;
  KeyValues* none = reinterpret_cast<KeyValues*>(&sentinel);
  EXPECT_EQ(0, provider->OpenKeyValues(4, "share/app", &none));
  EXPECT_EQ(nullptr, none);

  const int table_ids[] = {0, kKeyTable1Id, kKeyTable2Id, kKeyTable3Id};
  for (int kind = 1; kind <= 3; ++kind) {
    KeyTable* table = nullptr;
    ASSERT_EQ(1, provider->CreateKeyTable(kind, &table)) << kind;  // 8
    ASSERT_NE(nullptr, table);
    EXPECT_EQ(table_ids[kind], table->GetComponentId());
    provider->ReleaseKeyTable(&table);  // 9
    EXPECT_EQ(nullptr, table);
  }
  KeyTable* no_table = nullptr;
  EXPECT_EQ(0, provider->CreateKeyTable(0, &no_table));
  EXPECT_EQ(nullptr, no_table);

  provider->ReleaseKeyValues(&memory);  // 7
  EXPECT_EQ(nullptr, memory);
  provider->ReleaseKeyValues(&stored);
  EXPECT_EQ(nullptr, stored);
  ExpectRegistryPathSlot(provider);  // 11

  // 10, the destroy hook: the store goes, and writes what its document holds as it goes.
  EXPECT_EQ(-1, StoredNumber(store_file_, "share/app", "port"));
  provider->ReleaseStore();
  EXPECT_EQ(8080, StoredNumber(store_file_, "share/app", "port"));
  provider->Destroy(0);
}

// The three open-key tables share one interface; a value set of the right kind stands behind
// each key.
TEST_F(InterfaceSlotsTest, TheKeyTablesSlotsInTheirOrder) {
  auto* provider = Create<StorageProvider>(kStorageProviderId);
  ASSERT_NE(nullptr, provider);
  provider->SetStoreFile(store_file_.c_str());
  const int table_ids[] = {0, kKeyTable1Id, kKeyTable2Id, kKeyTable3Id};
  for (int kind = 1; kind <= 3; ++kind) {
    SCOPED_TRACE(kind);
    auto* table = Create<KeyTable>(table_ids[kind]);
    ASSERT_NE(nullptr, table);
    KeyValues* app_values = nullptr;
    KeyValues* net_values = nullptr;
    ASSERT_EQ(1, provider->OpenKeyValues(kind, "share/app", &app_values));
    ASSERT_EQ(1, provider->OpenKeyValues(kind, "share/app/net", &net_values));

    const uint32_t app = table->AddKey("share/app", app_values);  // 5
    ASSERT_NE(0u, app);
    EXPECT_EQ(kind, KindOfHandle(app));
    const uint32_t net = table->AddKey("share/app/net", net_values);
    ASSERT_NE(0u, net);
    EXPECT_EQ(app, table->FindKey("share/app"));  // 17
    EXPECT_EQ(0u, table->FindKey("share/other"));
    uint32_t key = 0;
    EXPECT_EQ(app_values, table->GetFirstKey(&key));  // 6
    EXPECT_EQ(app, key);
    key = 0;
    EXPECT_EQ(app_values, table->GetNextKey(&key)) << "the first key again";  // 7
    EXPECT_EQ(app, key);

    EXPECT_EQ(1, table->SetValue(app, "v", kText, "abc", 4));  // 10
    int type = 0;
    char text[16] = {};
    int size = sizeof(text);
    EXPECT_EQ(1, table->QueryValue(app, "v", &type, text, &size));  // 9
    EXPECT_EQ(kText, type);
    EXPECT_STREQ("abc", text);
    char name[260] = {};
    std::memset(text, 0, sizeof(text));
    size = sizeof(text);
    const int first = kind == 1 ? 0 : 1;  // memory values count from 0, stored ones from 1
    EXPECT_EQ(1, table->EnumValue(app, first, name, sizeof(name), &type, text, &size));  // 8
    EXPECT_STREQ("v", name);
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(1, table->HasValue(app, "v"));     // 11
    EXPECT_EQ(1, table->DeleteValue(app, "v"));  // 12
    EXPECT_EQ(0, table->HasValue(app, "v"));

    EXPECT_EQ(1, table->GetKeyName(app, name, sizeof(name)));  // 16
    EXPECT_STREQ("share/app", name);
    EXPECT_EQ(1, table->EnumKey(app, 0, name, sizeof(name)));  // 18
    EXPECT_STREQ("share/app/net", name);
    EXPECT_EQ(0, table->EnumKey(app, 1, name, sizeof(name)));
    EXPECT_EQ(1, table->Flush());  // 19
    table->DestroyHook();          // 20: does nothing
    EXPECT_EQ(app, table->FindKey("share/app"));
    ExpectRegistryPathSlot(table);  // 21

    EXPECT_EQ(net_values, table->CloseKey(net));  // 14
    EXPECT_EQ(0u, table->FindKey("share/app/net"));
    const uint32_t net_again = table->AddKey("share/app/net", net_values);
    EXPECT_EQ(net_values, table->DeleteKey(net_again));  // 15
    EXPECT_EQ(0u, table->FindKey("share/app/net"));
    EXPECT_EQ(app_values, table->ReleaseKey(app));  // 13
    EXPECT_EQ(nullptr, table->GetFirstKey(&key));
    EXPECT_EQ(kind == 1 ? 1 : 0, table->Flush()) << "no key open";
    provider->ReleaseKeyValues(&app_values);
    provider->ReleaseKeyValues(&net_values);
    table->Destroy(0);
  }
  provider->Destroy(0);
}

TEST_F(InterfaceSlotsTest, MemoryKeyValuesSlotsInTheirOrder) {
  auto* values = Create<MemoryKeyValues>(kMemoryKeyValuesId);
  ASSERT_NE(nullptr, values);
  EXPECT_EQ(1, values->SetKeyPath("User/App"));  // 5
  char path[260] = {};
  EXPECT_EQ(1, values->GetKeyPath(path, sizeof(path)));  // 6
  EXPECT_STREQ("user/app", path);
  const unsigned char bytes[2] = {0xab, 0xcd};
  const uint32_t number = 7;
  EXPECT_EQ(1, values->SetValue("b", kBinary, bytes, 2));  // 7
  EXPECT_EQ(1, values->SetValue("a", kNumber, &number, 4));
  int type = 0;
  unsigned char data[8] = {};
  unsigned size = sizeof(data);
  char name[260] = {};
  EXPECT_EQ(1, values->EnumValue(0, name, sizeof(name), &type, data, &size));  // 8: name order
  EXPECT_STREQ("a", name);
  EXPECT_EQ(kNumber, type);
  size = sizeof(data);
  EXPECT_EQ(1, values->QueryValue("b", &type, data, &size));  // 9
  EXPECT_EQ(kBinary, type);
  EXPECT_EQ(2u, size);
  EXPECT_EQ(0, std::memcmp(bytes, data, 2));
  EXPECT_EQ(1, values->DeleteValue("b"));  // 10
  EXPECT_EQ(0, values->DeleteValue("b"));
  EXPECT_EQ(1, values->HasValue("a"));  // 11: and the value is emptied
  size = sizeof(data);
  EXPECT_EQ(1, values->QueryValue("a", &type, data, &size));
  EXPECT_EQ(0, type);
  EXPECT_EQ(0u, size);
  EXPECT_EQ(1, values->DeleteKey());  // 12
  EXPECT_EQ(1, values->Flush());      // 13
  EXPECT_EQ(1, values->HasValue("a")) << "neither removes a value";
  values->ClearValues();  // 14
  EXPECT_EQ(0, values->HasValue("a"));
  ExpectRegistryPathSlot(values);  // 15
  values->Destroy(0);
}

TEST_F(InterfaceSlotsTest, StoredKeyValuesSlotsInTheirOrder) {
  auto* store = Create<RegisterStore>(kRegisterStoreId);
  auto* values = Create<StoredKeyValues>(kStoredKeyValuesId);
  ASSERT_NE(nullptr, store);
  ASSERT_NE(nullptr, values);
  ASSERT_EQ(1, store->OpenStoreFile(store_file_.c_str()));

  EXPECT_EQ(1, values->SetKeyPath("share/app"));  // 5, with no store yet
  char path[260] = {};
  EXPECT_EQ(1, values->GetKeyPath(path, sizeof(path)));  // 6
  EXPECT_STREQ("share/app", path);
  const uint32_t port = 8080;
  EXPECT_EQ(0, values->SetValue("port", kNumber, &port, 4)) << "no store attached";
  values->AttachStore(store);  // 14: makes the key's path in the store
  char child[260] = {};
  EXPECT_EQ(1, store->GetChildName("share", 1, child, sizeof(child)));
  EXPECT_STREQ("app", child);

  EXPECT_EQ(1, values->SetValue("port", kNumber, &port, 4));  // 7
  EXPECT_EQ(1, values->SetValue("motd", kText, "hi", 3));
  int type = 0;
  char text[16] = {};
  unsigned size = sizeof(text);
  char name[260] = {};
  EXPECT_EQ(1, values->EnumValue(2, name, sizeof(name), &type, text, &size));  // 8
  EXPECT_STREQ("motd", name);
  EXPECT_STREQ("hi", text);
  uint32_t number = 0;
  size = sizeof(number);
  EXPECT_EQ(1, values->QueryValue("port", &type, &number, &size));  // 9
  EXPECT_EQ(8080u, number);
  EXPECT_EQ(1, values->DeleteValue("motd"));  // 10
  EXPECT_EQ(0, values->HasValue("motd"));     // 11
  EXPECT_EQ(1, values->HasValue("port"));
  EXPECT_EQ(-1, StoredNumber(store_file_, "share/app", "port"));
  EXPECT_EQ(1, values->Flush());  // 13
  EXPECT_EQ(8080, StoredNumber(store_file_, "share/app", "port"));
  EXPECT_EQ(1, values->DeleteKey());  // 12
  EXPECT_EQ(0, store->GetChildName("share", 1, child, sizeof(child)));
  ExpectRegistryPathSlot(values);  // 16

  values->DetachStore();  // 15
  EXPECT_EQ(0, values->SetValue("port", kNumber, &port, 4));
  EXPECT_EQ(0, values->Flush());
  values->Destroy(0);
  store->Destroy(0);
}

TEST_F(InterfaceSlotsTest, TheRegisterStoresSlotsInTheirOrder) {
  auto* store = Create<RegisterStore>(kRegisterStoreId);
  ASSERT_NE(nullptr, store);
  ASSERT_EQ(1, store->OpenStoreFile(store_file_.c_str()));  // 5
  EXPECT_TRUE(pelok::test::FileExistsAt(store_file_));
  EXPECT_EQ(1, store->CreateKeyPath("share/app"));  // 6
  const uint32_t port = 8080;
  EXPECT_EQ(1, store->SetValue("share/app", "port", kNumber, &port, 4));  // 7
  EXPECT_EQ(1, store->SetValue("share/app", "motd", kText, "hi", 3));
  int type = 0;
  uint32_t number = 0;
  unsigned size = sizeof(number);
  EXPECT_EQ(1, store->QueryValue("share/app", "port", &type, &number, &size));  // 8
  EXPECT_EQ(kNumber, type);
  EXPECT_EQ(4u, size);
  EXPECT_EQ(8080u, number);
  EXPECT_EQ(1, store->HasValue("share/app", "motd"));  // 9
  char name[260] = {};
  EXPECT_EQ(1, store->GetChildName("share/app", 2, name, sizeof(name)));  // 12
  EXPECT_STREQ("motd", name);
  EXPECT_EQ(1, store->GetValueName("share/app", 1, name, sizeof(name)));  // 13
  EXPECT_STREQ("port", name);
  EXPECT_EQ(1, store->DeleteValue("share/app", "motd"));  // 10
  EXPECT_EQ(0, store->HasValue("share/app", "motd"));
  EXPECT_EQ(-1, StoredNumber(store_file_, "share/app", "port")) << "edits stay in memory";
  EXPECT_EQ(1, store->CreateKeyPath("share/app/net"));  // saves, as it makes a key
  EXPECT_EQ(1, store->GetChildName("share/app", 2, name, sizeof(name)));
  EXPECT_STREQ("net", name);
  EXPECT_EQ(1, store->DeleteKey("share/app/net"));  // 11
  EXPECT_EQ(0, store->GetChildName("share/app", 2, name, sizeof(name)));

  EXPECT_EQ(8080, StoredNumber(store_file_, "share/app", "port"));
  EXPECT_EQ(1, store->DeleteValue("share/app", "port"));
  EXPECT_EQ(1, store->Save());  // 14
  EXPECT_EQ(-1, StoredNumber(store_file_, "share/app", "port"));
  ExpectRegistryPathSlot(store);  // 16

  store->CloseStore();  // 15: the document is let go
  EXPECT_EQ(0, store->Save());
  size = sizeof(number);
  EXPECT_EQ(0, store->QueryValue("share/app", "port", &type, &number, &size));
  store->Destroy(0);
}

// The factory module's two components.
TEST_F(InterfaceSlotsTest, TheFactoryAndTheAllocatorSlotsInTheirOrder) {
  LoadedModule pelfact(BinPath("PelFact.dll"));
  ASSERT_TRUE(pelfact.loaded());
  auto create = pelfact.Get<CreateComponentFn>("CreateComponent");
  ASSERT_NE(nullptr, create);
  auto* factory = static_cast<Factory*>(create(kFactoryId, 0));
  ASSERT_NE(nullptr, factory);
  EXPECT_EQ(kFactoryId, factory->GetComponentId());

  Component* core = factory->CreateInstance(kRegisterCoreId, registry_file_.c_str());  // 5
  ASSERT_NE(nullptr, core);
  EXPECT_EQ(kRegisterCoreId, core->GetComponentId());
  auto* allocator =
      static_cast<Allocator*>(factory->CreateInstance(kAllocatorId, registry_file_.c_str()));
  ASSERT_NE(nullptr, allocator);
  EXPECT_EQ(kAllocatorId, allocator->GetComponentId());

  const std::string ini = dir_.Join("trace.ini");
  ASSERT_TRUE(pelok::test::WriteFileBytes(ini, "[Trace]\nDebugMask=2\nFileMask=6\n1140=core\n"));
  Record record = {};
  record.trace_file = -1;
  intptr_t* words = nullptr;
  EXPECT_NE(0, factory->RegisterRecord(ini.c_str(), kRegisterCoreId, &record, &record.file_mask,
                                       &words));  // 6
  EXPECT_EQ(2, record.debug_mask);
  EXPECT_EQ(6, record.file_mask);
  EXPECT_STREQ("core", record.trace_name);

  // Slots 8 and 9 are reserved (answer 0); 7 and 10 take a component and a module handle.
  EXPECT_EQ(0, factory->Slot8());
  EXPECT_EQ(0, factory->Slot9());
  EXPECT_NE(0, factory->RegisterSingleton(core));           // 7
  EXPECT_NE(0, factory->OnModuleIdle(pelreg_.handle()));    // 10

  auto* block = static_cast<unsigned char*>(allocator->AllocateTagged(kMemoryKeyValuesId, 32));  // 5
  ASSERT_NE(nullptr, block);
  std::memset(block, 0x5a, 32);  // the whole block is the caller's
  EXPECT_EQ(1, allocator->FreeTagged(block));  // 6
  int local = 0;
  EXPECT_EQ(0, allocator->FreeTagged(&local)) << "not one of its blocks";

  core->Destroy(0);
  allocator->Destroy(0);
  factory->Destroy(0);
}

TEST_F(InterfaceSlotsTest, TheXmlDocumentsSlotsInTheirOrder) {
  LoadedModule pelxml(BinPath("PelXml.dll"));
  ASSERT_TRUE(pelxml.loaded());
  auto create = pelxml.Get<CreateComponentFn>("CreateComponent");
  auto can_unload = pelxml.Get<CanUnloadNowFn>("PelokDllCanUnloadNow");
  ASSERT_NE(nullptr, create);
  ASSERT_NE(nullptr, can_unload);
  const std::string file = dir_.Join("doc.xml");
  ASSERT_TRUE(pelok::test::WriteFileBytes(file, ""));

  auto* writer = static_cast<XmlDocument*>(create(kXmlDocumentId, 0));
  ASSERT_NE(nullptr, writer);
  EXPECT_EQ(kXmlDocumentId, writer->GetComponentId());
  ASSERT_NE(0, writer->Load(file.c_str()));  // 5: an empty file is an empty document
  EXPECT_NE(0, writer->AddNode(kProcessingInstruction, "xml version=\"1.0\""));  // 49
  EXPECT_NE(0, writer->AddElem("processregister", "", 0));                       // 32
  EXPECT_NE(0, writer->IntoElem());                                              // 10
  EXPECT_NE(0, writer->AddElem("port", "", 0));
  EXPECT_NE(0, writer->SetAttrib("type", 2));  // 54
  EXPECT_NE(0, writer->SetAttrib("size", 4));
  EXPECT_NE(0, writer->SetData("8080"));  // 62
  char buf[260] = {};
  EXPECT_NE(0, writer->GetTagName(buf, sizeof(buf)));  // 15
  EXPECT_STREQ("port", buf);
  EXPECT_NE(0, writer->GetData(buf, sizeof(buf)));  // 19
  EXPECT_STREQ("8080", buf);
  EXPECT_NE(0, writer->GetAttrib("size", buf, sizeof(buf)));  // 20
  EXPECT_STREQ("4", buf);
  EXPECT_EQ(0, writer->GetAttrib("none", buf, sizeof(buf)));
  EXPECT_NE(0, writer->AddElem("mask", "", 0));
  EXPECT_NE(0, writer->SetAttrib("type", 3));
  writer->EndEdit();                      // 63
  EXPECT_NE(0, writer->Save(file.c_str()));  // 29
  writer->Destroy(0);

  auto* reader = static_cast<XmlDocument*>(create(kXmlDocumentId, 0));
  ASSERT_NE(nullptr, reader);
  ASSERT_NE(0, reader->Load(file.c_str()));
  reader->ResetPos();  // 14
  ASSERT_NE(0, reader->FindElem("processregister"));  // 8
  ASSERT_NE(0, reader->IntoElem());
  EXPECT_NE(0, reader->GetChildNameByIndex(2, buf, sizeof(buf)));  // 22
  EXPECT_STREQ("mask", buf);
  ASSERT_NE(0, reader->FindElem("port"));
  EXPECT_NE(0, reader->GetData(buf, sizeof(buf)));
  EXPECT_STREQ("8080", buf);
  EXPECT_NE(0, reader->GetAttrib("type", buf, sizeof(buf)));
  EXPECT_STREQ("2", buf);
  EXPECT_NE(0, reader->RemoveElem());  // 51
  reader->ResetPos();
  ASSERT_NE(0, reader->FindElem("processregister"));
  ASSERT_NE(0, reader->IntoElem());
  EXPECT_EQ(0, reader->FindElem("port")) << "removed";
  reader->ResetPos();
  ASSERT_NE(0, reader->FindElem("processregister"));
  ASSERT_NE(0, reader->IntoElem());
  EXPECT_NE(0, reader->FindElem(nullptr)) << "any name";
  EXPECT_NE(0, reader->GetTagName(buf, sizeof(buf)));
  EXPECT_STREQ("mask", buf);
  reader->Destroy(0);
  EXPECT_EQ(1, can_unload());
}

// The same object through the product's header and through the copy: each answers for the
// other, value by value and key by key, in both directions.
TEST_F(InterfaceSlotsTest, TheFrontAnswersTheSameThroughItsHeaderAndThroughTheCopy) {
  auto* copy = Create<Front>(kFrontId);
  ASSERT_NE(nullptr, copy);
  auto* header = reinterpret_cast<pelok::IRegisterFront*>(copy);
  ASSERT_EQ(1, header->SetStoreFile(store_file_.c_str()));

  for (int kind = 1; kind <= 3; ++kind) {
    SCOPED_TRACE(kind);
    const uint32_t root = OfKind(kRootShare, kind);
    uint32_t through_copy = 0;
    uint32_t through_header = 0;
    int disposition = 0;
    ASSERT_EQ(1, copy->CreateKey(root, "app", kind, 0, &through_copy, &disposition));
    ASSERT_EQ(1, header->OpenKey(root, "app", kind, 0, &through_header));
    EXPECT_EQ(through_copy, through_header);
    const uint32_t key = through_copy;

    const uint32_t port = 8000u + static_cast<uint32_t>(kind);
    EXPECT_EQ(1, header->SetValue(key, "port", pelok::value_type::kUint32, &port, 4));
    int number = 0;
    EXPECT_EQ(1, copy->QueryIntValue(key, "port", &number));
    EXPECT_EQ(static_cast<int>(port), number);

    EXPECT_EQ(1, copy->SetValue(key, "motd", kText, "from the copy", 14));
    char text[32] = {};
    int size = sizeof(text);
    EXPECT_EQ(1, header->QueryStringValue(key, "motd", text, &size));
    EXPECT_STREQ("from the copy", text);
    EXPECT_EQ(14, size);

    char header_name[260] = {};
    char copy_name[260] = {};
    EXPECT_EQ(1, header->GetKeyName(key, header_name, sizeof(header_name)));
    EXPECT_EQ(1, copy->GetKeyName(key, copy_name, sizeof(copy_name)));
    EXPECT_STREQ(header_name, copy_name);

    uint32_t sub = 0;
    ASSERT_EQ(1, header->CreateKey(key, "net", kind, 0, &sub, &disposition));
    EXPECT_EQ(1, header->EnumKey(key, 0, header_name, sizeof(header_name)));
    EXPECT_EQ(1, copy->EnumKey(key, 0, copy_name, sizeof(copy_name)));
    EXPECT_STREQ(header_name, copy_name);

    EXPECT_EQ(1, header->DeleteValue(key, "motd"));
    EXPECT_EQ(0, copy->HasValue(key, "motd"));
    EXPECT_EQ(header->HasValue(key, "port"), copy->HasValue(key, "port"));
  }
  EXPECT_EQ(header->Flush(), copy->Flush());
  copy->CloseAllKeys();
  header->Destroy(1);
}

TEST_F(InterfaceSlotsTest, TheAllocatorAndTheCoreAnswerTheSameThroughTheirHeadersAndTheCopies) {
  LoadedModule pelfact(BinPath("PelFact.dll"));
  auto create = pelfact.Get<CreateComponentFn>("CreateComponent");
  ASSERT_NE(nullptr, create);
  auto* factory = static_cast<Factory*>(create(kFactoryId, 0));
  ASSERT_NE(nullptr, factory);
  auto* header_factory = reinterpret_cast<pelok::IComponentFactory*>(factory);
  auto* allocator = reinterpret_cast<pelok::IAllocator*>(
      header_factory->CreateInstance(pelok::component_id::kAllocator, registry_file_.c_str()));
  ASSERT_NE(nullptr, allocator);
  auto* copy_allocator = reinterpret_cast<Allocator*>(allocator);
  const int before = allocator->CountLiveBlocks(kRegisterStoreId);
  void* block = copy_allocator->AllocateTagged(kRegisterStoreId, 8);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(before + 1, allocator->CountLiveBlocks(kRegisterStoreId));
  EXPECT_EQ(1, allocator->FreeTagged(block));
  EXPECT_EQ(before, allocator->CountLiveBlocks(kRegisterStoreId));
  EXPECT_EQ(0, copy_allocator->FreeTagged(block)) << "freed once already";

  auto* core = Create<RegisterCore>(kRegisterCoreId);
  ASSERT_NE(nullptr, core);
  auto* header_core = reinterpret_cast<pelok::IRegisterCore*>(core);
  uint32_t key = 0;
  int disposition = 0;
  ASSERT_EQ(1, header_core->CreateKey(kRootUser, "app", 1, 0, &key, &disposition));
  const unsigned char bytes[4] = {1, 2, 3, 4};
  EXPECT_EQ(1, core->SetValue(key, "blob", kBinary, bytes, 4));
  unsigned char data[8] = {};
  int type = 0;
  int size = sizeof(data);
  EXPECT_EQ(1, header_core->QueryValue(key, "blob", &type, data, &size));
  EXPECT_EQ(pelok::value_type::kBinary, type);
  EXPECT_EQ(4, size);
  EXPECT_EQ(0, std::memcmp(bytes, data, 4));
  char header_name[260] = {};
  char copy_name[260] = {};
  EXPECT_EQ(1, header_core->GetKeyName(key, header_name, sizeof(header_name)));
  EXPECT_EQ(1, core->GetKeyName(key, copy_name, sizeof(copy_name)));
  EXPECT_STREQ(header_name, copy_name);
  EXPECT_EQ(1, header_core->DeleteValue(key, "blob"));
  EXPECT_EQ(0, core->HasValue(key, "blob"));
  header_core->CloseAllKeys();
  core->Destroy(0);
  copy_allocator->Destroy(0);
  factory->Destroy(0);
}

}  // namespace
}  // namespace slot_copy

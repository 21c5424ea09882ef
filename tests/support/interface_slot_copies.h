// Every binary interface of the three modules, written out once more by hand, slot by slot, from
// the interface tables of the registry's design and the project's conventions, and not from the
// headers the modules are built from (nothing here includes them). A test that calls the real
// components through these copies fails when a slot of the real interface moves, changes its
// arguments or does another slot's work: the product's headers could drift together with the
// modules, these cannot.
//
// Each slot is numbered in its comment. Slots that the tables do not name are declared as
// SlotNN and never called. No virtual destructor: it would take slots. Virtual functions use the
// compiler's default member calling convention (thiscall on i686), as the modules do.
#ifndef PELOK_TESTS_SUPPORT_INTERFACE_SLOT_COPIES_H_
#define PELOK_TESTS_SUPPORT_INTERFACE_SLOT_COPIES_H_

#include <cstdint>

namespace slot_copy {

// The numbers the tables use.
constexpr int kXmlDocumentId = 1;
constexpr int kAllocatorId = 3;
constexpr int kFactoryId = 361;
constexpr int kFrontId = 991;
constexpr int kMemoryKeyValuesId = 1134;
constexpr int kStoredKeyValuesId = 1135;
constexpr int kKeyTable2Id = 1136;
constexpr int kKeyTable3Id = 1137;
constexpr int kKeyTable1Id = 1138;
constexpr int kRegisterStoreId = 1139;
constexpr int kRegisterCoreId = 1140;
constexpr int kStorageProviderId = 1152;

constexpr uint32_t kRootUser = 0x3ffffff4u;
constexpr uint32_t kRootShare = 0x3ffffff3u;
constexpr uint32_t OfKind(uint32_t root_code, int kind) {
  return (root_code & 0x3fffffffu) | (static_cast<uint32_t>(kind) << 30);
}
constexpr int KindOfHandle(uint32_t key) { return static_cast<int>(key >> 30); }

// Slots 0-4 of every component.
struct Component {
  virtual int GetComponentId() = 0;        // 0
  virtual int GetVersion() = 0;            // 1
  virtual void Destroy(int force) = 0;     // 2
  virtual int GetAutoFree() = 0;           // 3
  virtual void SetAutoFree(int mark) = 0;  // 4
};

// The trace settings a component hands to the factory: 112 bytes on 32-bit Windows; the file
// handle and the lock are pointer-sized on 64-bit Linux.
struct Record {
  int32_t debug_mask;
  int32_t file_mask;
  intptr_t trace_file;
  intptr_t trace_lock;
  char trace_name[64];
  char text1[16];
  char text2[16];
};
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(Record) == 112, "the record is 112 bytes on 32-bit Windows");
#endif

// Component 361.
struct Factory : Component {
  virtual Component* CreateInstance(int component_id, const char* registry_path) = 0;  // 5
  virtual int RegisterRecord(const char* registry_path, int component_id, Record* record,
                             int32_t* file_mask, intptr_t** result) = 0;  // 6
  virtual int RegisterSingleton(Component* singleton) = 0;                 // 7
  virtual int Slot8() = 0;                                                 // 8
  virtual int Slot9() = 0;                                                 // 9
  virtual int OnModuleIdle(void* module_instance) = 0;                     // 10
};

// Component 3.
struct Allocator : Component {
  virtual void* AllocateTagged(int owner_id, unsigned size) = 0;  // 5
  virtual int FreeTagged(void* block) = 0;                        // 6
};

// Component 991.
struct Front : Component {
  virtual int SetStoreFile(const char* path) = 0;  // 5
  virtual int CreateKey(uint32_t parent, const char* sub_key, int kind, int reserved,
                        uint32_t* out_key, int* out_disposition) = 0;  // 6
  virtual int DeleteKey(uint32_t key) = 0;                              // 7
  virtual int OpenKey(uint32_t parent, const char* sub_key, int kind, int reserved,
                      uint32_t* out_key) = 0;  // 8
  virtual int CloseKey(uint32_t key) = 0;      // 9
  virtual int ReleaseKey(uint32_t key) = 0;    // 10
  virtual int QueryValue(uint32_t key, const char* name, int* type, void* data,
                         int* size) = 0;  // 11
  virtual int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                        void* data, int* size) = 0;  // 12
  virtual int SetValue(uint32_t key, const char* name, int type, const void* data,
                       int size) = 0;                                              // 13
  virtual int HasValue(uint32_t key, const char* name) = 0;                        // 14
  virtual int GetKeyName(uint32_t key, char* buf, int len) = 0;                    // 15
  virtual int QueryStringValue(uint32_t key, const char* name, char* data, int* size) = 0;  // 16
  virtual int QueryIntValue(uint32_t key, const char* name, int* value) = 0;       // 17
  virtual int QueryBinaryValue(uint32_t key, const char* name, void* data, int* size) = 0;  // 18
  virtual int DeleteValue(uint32_t key, const char* name) = 0;                     // 19
  virtual int EnumKey(uint32_t key, int index, char* buf, int len) = 0;            // 20
  virtual int Flush() = 0;                                                         // 21
  virtual void CloseAllKeys() = 0;                                                 // 22
  virtual void ReleaseCore() = 0;                                                  // 23
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;  // 24
};

// Component 1140.
struct RegisterCore : Component {
  virtual int SetStoreFile(const char* path) = 0;  // 5
  virtual int CreateKey(uint32_t parent, const char* sub_key, int kind, int reserved,
                        uint32_t* out_key, int* out_disposition) = 0;  // 6
  virtual int DeleteKey(uint32_t key) = 0;                              // 7
  virtual int OpenKey(uint32_t parent, const char* sub_key, int kind, int reserved,
                      uint32_t* out_key) = 0;  // 8
  virtual int CloseKey(uint32_t key) = 0;      // 9
  virtual int ReleaseKey(uint32_t key) = 0;    // 10
  virtual int QueryValue(uint32_t key, const char* name, int* type, void* data,
                         int* size) = 0;  // 11
  virtual int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                        void* data, int* size) = 0;  // 12
  virtual int SetValue(uint32_t key, const char* name, int type, const void* data,
                       int size) = 0;                                    // 13
  virtual int HasValue(uint32_t key, const char* name) = 0;              // 14
  virtual int DeleteValue(uint32_t key, const char* name) = 0;           // 15
  virtual int GetKeyName(uint32_t key, char* buf, int len) = 0;          // 16
  virtual int EnumKey(uint32_t key, int index, char* buf, int len) = 0;  // 17
  virtual int Flush() = 0;                                               // 18
  virtual void CloseAllKeys() = 0;                                       // 19
  virtual void Shutdown() = 0;                                           // 20
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;  // 21
};

struct RegisterStore;

// Slots 5-13 of components 1134 and 1135.
struct KeyValues : Component {
  virtual int SetKeyPath(const char* key_path) = 0;                                    // 5
  virtual int GetKeyPath(char* buf, int len) = 0;                                      // 6
  virtual int SetValue(const char* name, int type, const void* data, unsigned size) = 0;  // 7
  virtual int EnumValue(int index, char* name_buf, int name_len, int* type, void* data,
                        unsigned* size) = 0;                                           // 8
  virtual int QueryValue(const char* name, int* type, void* data, unsigned* size) = 0;  // 9
  virtual int DeleteValue(const char* name) = 0;                                       // 10
  virtual int HasValue(const char* name) = 0;                                          // 11
  virtual int DeleteKey() = 0;                                                         // 12
  virtual int Flush() = 0;                                                             // 13
};

// Component 1134.
struct MemoryKeyValues : KeyValues {
  virtual void ClearValues() = 0;                                                      // 14
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;  // 15
};

// Component 1135.
struct StoredKeyValues : KeyValues {
  virtual void AttachStore(RegisterStore* store) = 0;                                  // 14
  virtual void DetachStore() = 0;                                                      // 15
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;  // 16
};

// Components 1136, 1137 and 1138.
struct KeyTable : Component {
  virtual uint32_t AddKey(const char* key_path, KeyValues* values) = 0;  // 5
  virtual KeyValues* GetFirstKey(uint32_t* out_key) = 0;                 // 6
  virtual KeyValues* GetNextKey(uint32_t* out_key) = 0;                  // 7
  virtual int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type,
                        void* data, int* size) = 0;  // 8
  virtual int QueryValue(uint32_t key, const char* name, int* type, void* data,
                         int* size) = 0;  // 9
  virtual int SetValue(uint32_t key, const char* name, int type, const void* data,
                       int size) = 0;                                    // 10
  virtual int HasValue(uint32_t key, const char* name) = 0;              // 11
  virtual int DeleteValue(uint32_t key, const char* name) = 0;           // 12
  virtual KeyValues* ReleaseKey(uint32_t key) = 0;                       // 13
  virtual KeyValues* CloseKey(uint32_t key) = 0;                         // 14
  virtual KeyValues* DeleteKey(uint32_t key) = 0;                        // 15
  virtual int GetKeyName(uint32_t key, char* buf, int len) = 0;          // 16
  virtual uint32_t FindKey(const char* key_path) = 0;                    // 17
  virtual int EnumKey(uint32_t key, int index, char* buf, int len) = 0;  // 18
  virtual int Flush() = 0;                                               // 19
  virtual void DestroyHook() = 0;                                        // 20
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;  // 21
};

// Component 1152.
struct StorageProvider : Component {
  virtual void SetStoreFile(const char* path) = 0;                                  // 5
  virtual int OpenKeyValues(int kind, const char* key_path, KeyValues** out) = 0;   // 6
  virtual void ReleaseKeyValues(KeyValues** values) = 0;                            // 7
  virtual int CreateKeyTable(int kind, KeyTable** out) = 0;                         // 8
  virtual void ReleaseKeyTable(KeyTable** table) = 0;                               // 9
  virtual void ReleaseStore() = 0;                                                  // 10
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;  // 11
};

// Component 1139.
struct RegisterStore : Component {
  virtual int OpenStoreFile(const char* file_name) = 0;  // 5
  virtual int CreateKeyPath(const char* key_path) = 0;   // 6
  virtual int SetValue(const char* key_path, const char* name, int type, const void* data,
                       unsigned size) = 0;  // 7
  virtual int QueryValue(const char* key_path, const char* name, int* type, void* data,
                         unsigned* size) = 0;                                            // 8
  virtual int HasValue(const char* key_path, const char* name) = 0;                      // 9
  virtual int DeleteValue(const char* key_path, const char* name) = 0;                   // 10
  virtual int DeleteKey(const char* key_path) = 0;                                       // 11
  virtual int GetChildName(const char* key_path, int index, char* buf, int len) = 0;     // 12
  virtual int GetValueName(const char* key_path, int index, char* buf, int len) = 0;     // 13
  virtual int Save() = 0;                                                                // 14
  virtual void CloseStore() = 0;                                                         // 15
  virtual void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) = 0;    // 16
};

// Component 1, as far as the store drives it (the slots the register store's table names).
constexpr int kProcessingInstruction = 16;
struct XmlDocument : Component {
  virtual int Load(const char* file) = 0;                              // 5
  virtual int Slot6() = 0;                                             // 6
  virtual int Slot7() = 0;                                             // 7
  virtual int FindElem(const char* name) = 0;                          // 8
  virtual int Slot9() = 0;                                             // 9
  virtual int IntoElem() = 0;                                          // 10
  virtual int Slot11() = 0;                                            // 11
  virtual int Slot12() = 0;                                            // 12
  virtual int Slot13() = 0;                                            // 13
  virtual int ResetPos() = 0;                                          // 14
  virtual int GetTagName(char* buf, int len) = 0;                      // 15
  virtual int Slot16() = 0;                                            // 16
  virtual int Slot17() = 0;                                            // 17
  virtual int Slot18() = 0;                                            // 18
  virtual int GetData(char* buf, int len) = 0;                         // 19
  virtual int GetAttrib(const char* name, char* buf, int len) = 0;     // 20
  virtual int Slot21() = 0;                                            // 21
  virtual int GetChildNameByIndex(int index, char* buf, int len) = 0;  // 22
  virtual int Slot23() = 0;                                            // 23
  virtual int Slot24() = 0;                                            // 24
  virtual int Slot25() = 0;                                            // 25
  virtual int Slot26() = 0;                                            // 26
  virtual int Slot27() = 0;                                            // 27
  virtual int Slot28() = 0;                                            // 28
  virtual int Save(const char* file) = 0;                              // 29
  virtual int Slot30() = 0;                                            // 30
  virtual int Slot31() = 0;                                            // 31
  virtual int AddElem(const char* name, const char* data, int flags) = 0;  // 32
  virtual int Slot33() = 0;                                            // 33
  virtual int Slot34() = 0;                                            // 34
  virtual int Slot35() = 0;                                            // 35
  virtual int Slot36() = 0;                                            // 36
  virtual int Slot37() = 0;                                            // 37
  virtual int Slot38() = 0;                                            // 38
  virtual int Slot39() = 0;                                            // 39
  virtual int Slot40() = 0;                                            // 40
  virtual int Slot41() = 0;                                            // 41
  virtual int Slot42() = 0;                                            // 42
  virtual int Slot43() = 0;                                            // 43
  virtual int Slot44() = 0;                                            // 44
  virtual int Slot45() = 0;                                            // 45
  virtual int Slot46() = 0;                                            // 46
  virtual int Slot47() = 0;                                            // 47
  virtual int Slot48() = 0;                                            // 48
  virtual int AddNode(int node_kind, const char* text) = 0;            // 49
  virtual int Slot50() = 0;                                            // 50
  virtual int RemoveElem() = 0;                                        // 51
  virtual int Slot52() = 0;                                            // 52
  virtual int Slot53() = 0;                                            // 53
  virtual int SetAttrib(const char* name, int value) = 0;              // 54
  virtual int Slot55() = 0;                                            // 55
  virtual int Slot56() = 0;                                            // 56
  virtual int Slot57() = 0;                                            // 57
  virtual int Slot58() = 0;                                            // 58
  virtual int Slot59() = 0;                                            // 59
  virtual int Slot60() = 0;                                            // 60
  virtual int Slot61() = 0;                                            // 61
  virtual int SetData(const char* text) = 0;                           // 62
  virtual int EndEdit() = 0;                                           // 63
};

// The modules' exports.
using CreateComponentFn = Component* (*)(int component_id, int creator_id);
using SetDllRegistryFn = int (*)(const char* path);
using CanUnloadNowFn = int (*)();

}  // namespace slot_copy

#endif  // PELOK_TESTS_SUPPORT_INTERFACE_SLOT_COPIES_H_

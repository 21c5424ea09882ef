// The open-key tables: the keys of one kind that are open, their paths, and the handles issued
// for them (bits 31-30 the kind, bits 29-0 a sequence number). One implementation serves the
// three tables: KeyTable1 (component 1138, kind 1), KeyTable2 (1136, kind 2) and KeyTable3
// (1137, kind 3). Value operations on a handle go to the key's value set unchanged.
#ifndef PELOK_REGISTRY_KEY_TABLE_H_
#define PELOK_REGISTRY_KEY_TABLE_H_

#include <cstdint>

#include "framework/component_base.h"
#include "framework/component_record.h"
#include "registry/open_key_index.h"
#include "registry/registry_interfaces.h"
#include "registry/root_names.h"

namespace pelok {

// Fills a root name for a root code (any top bits), else the key's path from its value set.
int CopyKeyName(const OpenKeyIndex& keys, uint32_t key, char* buf, int len);
// The index-th path open below parent_name, at any depth, in path order.
int CopyKeyBelow(const OpenKeyIndex& keys, const char* parent_name, int index, char* buf, int len);

template <int kId, uint32_t kTag>
class KeyTable : public Component<IKeyTable, kId, 0, &IKeyTable::DestroyHook> {
 public:
  uint32_t AddKey(const char* key_path, IKeyValues* values) override {
    auto guard = this->Guard();
    return keys_.Add(key_path, values);
  }
  // The value set of the oldest open key (null on an empty table, handle untouched); resets
  // the cursor that GetNextKey reads.
  IKeyValues* GetFirstKey(uint32_t* out_key) override {
    auto guard = this->Guard();
    return keys_.First(out_key);
  }
  // The key at the cursor position, without moving the cursor: closing each key received
  // walks them all, and handle 0 ends the walk.
  IKeyValues* GetNextKey(uint32_t* out_key) override {
    auto guard = this->Guard();
    return keys_.Next(out_key);
  }
  int EnumValue(uint32_t key, int index, char* name_buf, int name_len, int* type, void* data,
                int* size) override {
    auto guard = this->Guard();
    IKeyValues* const values = keys_.Find(key);
    if (values == nullptr) return 0;
    return values->EnumValue(index, name_buf, name_len, type, data, AsUnsigned(size));
  }
  int QueryValue(uint32_t key, const char* name, int* type, void* data, int* size) override {
    auto guard = this->Guard();
    IKeyValues* const values = keys_.Find(key);
    if (values == nullptr) return 0;
    return values->QueryValue(name, type, data, AsUnsigned(size));
  }
  int SetValue(uint32_t key, const char* name, int type, const void* data, int size) override {
    auto guard = this->Guard();
    IKeyValues* const values = keys_.Find(key);
    if (values == nullptr) return 0;
    return values->SetValue(name, type, data, static_cast<unsigned>(size));
  }
  int HasValue(uint32_t key, const char* name) override {
    auto guard = this->Guard();
    IKeyValues* const values = keys_.Find(key);
    return values != nullptr ? values->HasValue(name) : 0;
  }
  int DeleteValue(uint32_t key, const char* name) override {
    auto guard = this->Guard();
    IKeyValues* const values = keys_.Find(key);
    return values != nullptr ? values->DeleteValue(name) : 0;
  }
  IKeyValues* ReleaseKey(uint32_t key) override {
    auto guard = this->Guard();
    return this->CloseKey(key);
  }
  // Takes the key out; the caller holds its value set from now on.
  IKeyValues* CloseKey(uint32_t key) override {
    auto guard = this->Guard();
    keys_.ForgetPath(key);
    return keys_.Take(key);
  }
  // As CloseKey, after asking the value set to delete the key's stored data (whatever it says).
  IKeyValues* DeleteKey(uint32_t key) override {
    auto guard = this->Guard();
    keys_.ForgetPath(key);
    IKeyValues* const values = keys_.Find(key);
    if (values != nullptr) values->DeleteKey();
    return keys_.Take(key);
  }
  int GetKeyName(uint32_t key, char* buf, int len) override {
    auto guard = this->Guard();
    return CopyKeyName(keys_, key, buf, len);
  }
  uint32_t FindKey(const char* key_path) override {
    auto guard = this->Guard();
    return keys_.FindPath(key_path);
  }
  int EnumKey(uint32_t key, int index, char* buf, int len) override {
    auto guard = this->Guard();
    if (buf == nullptr || len <= 0) return 0;
    char name[kPathBufferSize] = {};
    if (this->GetKeyName(key, name, kPathBufferSize) == 0) return 0;
    return CopyKeyBelow(keys_, name, index, buf, len);
  }
  // Writes the store through the oldest open key; 0 when no key is open.
  int Flush() override {
    auto guard = this->Guard();
    IKeyValues* const oldest = keys_.Oldest();
    return oldest != nullptr ? oldest->Flush() : 0;
  }
  // The value sets still listed belong to the register core, which empties the table first.
  void DestroyHook() override { auto guard = this->Guard(); }

  // For tests: continues as if count handles had been issued.
  void SetIssuedCountForTesting(uint32_t count) { keys_.SetIssuedCount(count); }

 private:
  // Sizes are int on this interface and unsigned on the value sets; the value sets refuse the
  // values that were negative here.
  static unsigned* AsUnsigned(int* size) { return reinterpret_cast<unsigned*>(size); }

  OpenKeyIndex keys_{kTag};
};

class KeyTable3 final : public KeyTable<component_id::kKeyTable3, 0xc0000000u> {
 private:
  ComponentRecord record_{kComponentId};
};

class KeyTable2 final : public KeyTable<component_id::kKeyTable2, 0x80000000u> {
 private:
  ComponentRecord record_{kComponentId};
};

// Memory keys have nothing to write.
class KeyTable1 final : public KeyTable<component_id::kKeyTable1, 0x40000000u> {
 public:
  int Flush() override;

 private:
  ComponentRecord record_{kComponentId};
};

}  // namespace pelok

#endif  // PELOK_REGISTRY_KEY_TABLE_H_

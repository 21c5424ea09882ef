// StorageProvider (component 1152): makes the key tables, the value sets and the one persistent
// store, and takes them back. It keeps no record of the tables and value sets it hands out; it
// owns only the store, which it lends to every stored value set.
#ifndef PELOK_REGISTRY_STORAGE_PROVIDER_H_
#define PELOK_REGISTRY_STORAGE_PROVIDER_H_

#include "framework/component_base.h"
#include "framework/component_record.h"
#include "registry/registry_interfaces.h"
#include "registry/root_names.h"

namespace pelok {

class StorageProvider final : public Component<IStorageProvider, component_id::kStorageProvider, 0,
                                               &IStorageProvider::ReleaseStore> {
 public:
  StorageProvider() = default;

  // Takes a path shorter than 260 characters (others are dropped). It matters only before the
  // store is created: an existing store is never opened again.
  void SetStoreFile(const char* path) override;
  // A new value set for the key path: kind 1 in memory, kinds 2 and 3 in the store (created on
  // first need). Writes null to *out first; 1 when *out holds a value set afterwards.
  int OpenKeyValues(int key_kind, const char* key_path, IKeyValues** out) override;
  void ReleaseKeyValues(IKeyValues** values) override;
  // A new key table for kind 1, 2 or 3 on every call.
  int CreateKeyTable(int key_kind, IKeyTable** out) override;
  void ReleaseKeyTable(IKeyTable** table) override;
  // The destroy hook: releases the store, which writes its document back.
  void ReleaseStore() override;

 private:
  // Creates the store on first need and opens it on the store file if one is set; 1 when a
  // store exists afterwards.
  int EnsureStore();

  ComponentRecord record_{kComponentId};
  IRegisterStore* store_ = nullptr;
  char store_file_[kPathBufferSize] = {};
};

}  // namespace pelok

#endif  // PELOK_REGISTRY_STORAGE_PROVIDER_H_

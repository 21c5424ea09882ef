// Registers the module's nine component classes with the factory table when the module loads,
// in the order GetComponentIDs reports them.
#include "framework/component_base.h"
#include "framework/module_state.h"
#include "registry/key_table.h"
#include "registry/memory_key_values.h"
#include "registry/register_core.h"
#include "registry/register_front.h"
#include "registry/storage_provider.h"
#include "registry/stored_key_values.h"
#include "store/xml_register_store.h"

namespace pelok {
namespace {

struct ComponentClasses {
  ComponentClasses() {
    host::RegisterFactory(component_id::kRegisterFront, &CreateRegisterFront);
    host::RegisterFactory(component_id::kRegisterCore, &NewComponent<RegisterCore>);
    host::RegisterFactory(component_id::kKeyTable3, &NewComponent<KeyTable3>);
    host::RegisterFactory(component_id::kKeyTable2, &NewComponent<KeyTable2>);
    host::RegisterFactory(component_id::kKeyTable1, &NewComponent<KeyTable1>);
    host::RegisterFactory(component_id::kStoredKeyValues, &NewComponent<StoredKeyValues>);
    host::RegisterFactory(component_id::kStorageProvider, &NewComponent<StorageProvider>);
    host::RegisterFactory(component_id::kMemoryKeyValues, &NewComponent<MemoryKeyValues>);
    host::RegisterFactory(component_id::kXmlRegisterStore, &NewComponent<XmlRegisterStore>);
  }
};

const ComponentClasses g_component_classes;

}  // namespace
}  // namespace pelok

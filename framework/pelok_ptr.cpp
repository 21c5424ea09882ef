#include "framework/pelok_ptr.h"

#include "framework/factory_loader.h"
#include "framework/module_state.h"
#include "util/bounded_string.h"

namespace pelok {

IComponent* ObtainComponent(const char* registry_path, int component_id, int auto_free_mark,
                            IComponentFactory** factory) {
  if (registry_path == nullptr || registry_path[0] == '\0') registry_path = host::DllRegistryPath();
  *factory = nullptr;
  if (component_id == 0) ErrorPrint("[Pelok_Error] TPelokPtr with ComponentId = 0\n");
  *factory = OpenFactory(registry_path);
  if (*factory == nullptr) return nullptr;
  IComponent* component = (*factory)->CreateInstance(component_id, registry_path);
  if (component != nullptr) component->SetAutoFree(auto_free_mark);
  return component;
}

IdleNotifier::IdleNotifier()
    : component_(static_cast<IComponentFactory*>(ObtainComponent(
          host::DllRegistryPath(), component_id::kComponentFactory, 1, &factory_))) {}

}  // namespace pelok

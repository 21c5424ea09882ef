#include "framework/child_component_holder.h"

#include <cstring>

#include "framework/module_state.h"
#include "pelok/component_factory.h"

namespace pelok {

ChildComponentHolder::~ChildComponentHolder() {
  for (Reference* reference : reference_list_) delete reference;
  reference_list_.clear();
  ReleaseAllChildren();
}

int ChildComponentHolder::CreateChild(IComponent** out, int component_id,
                                      const char* registry_path) {
  if (out == nullptr) return 0;
  Reference reference(registry_path, component_id);
  if (!reference) return 0;
  *out = reference.Take();
  return 1;
}

int ChildComponentHolder::ReleaseChild(IComponent** slot) {
  if (slot == nullptr) return 0;
  IComponent* const child = *slot;
  if (child == nullptr) return 0;
  bool released = false;
  for (auto it = service_cache_.begin(); it != service_cache_.end(); ++it) {
    if (it->second != nullptr && it->second->get() == child) {
      child->Destroy(0);
      it->second->Take();  // released once, here
      delete it->second;
      service_cache_.erase(it);
      released = true;
      break;
    }
  }
  if (!released) {
    for (auto it = reference_list_.begin(); it != reference_list_.end(); ++it) {
      if (*it != nullptr && (*it)->get() == child) {
        child->Destroy(0);
        (*it)->Take();
        delete *it;
        reference_list_.erase(it);
        released = true;
        break;
      }
    }
  }
  if (!released) child->Destroy(0);
  *slot = nullptr;
  return 1;
}

void ChildComponentHolder::ReleaseAllChildren() {
  for (auto& entry : service_cache_) delete entry.second;
  service_cache_.clear();
}

int ChildComponentHolder::GetAllocator(IComponent** out, const char* registry_path) {
  if (out == nullptr) return 0;
  const auto cached = service_cache_.find(component_id::kAllocator);
  if (cached != service_cache_.end() && cached->second != nullptr) {
    *out = cached->second->get();
    return 1;
  }
  Reference* reference = nullptr;
  try {
    reference = new Reference(registry_path, component_id::kAllocator);
    if (!*reference) {
      delete reference;
      return 0;
    }
    service_cache_[component_id::kAllocator] = reference;
  } catch (...) {
    delete reference;
    return 0;
  }
  *out = reference->get();
  return 1;
}

int ChildComponentHolder::AllocateBlock(void** out, unsigned size, int zero_fill, int owner_id) {
  if (out == nullptr) return 0;  // a block nobody receives would leak
  IComponent* allocator = nullptr;
  if (!GetAllocator(&allocator, host::DllRegistryPath())) return 0;
  void* block = static_cast<IAllocator*>(allocator)->AllocateTagged(owner_id, size);
  if (block == nullptr) return 0;
  *out = block;
  if (zero_fill != 0) std::memset(block, 0, size);
  return 1;
}

int ChildComponentHolder::FreeBlock(void* block) {
  IComponent* allocator = nullptr;
  if (!GetAllocator(&allocator, host::DllRegistryPath())) return 0;
  return static_cast<IAllocator*>(allocator)->FreeTagged(block);
}

}  // namespace pelok

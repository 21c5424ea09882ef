// The part of every component through which it obtains child components from the factory
// component, releases them, and allocates memory blocks tagged with its id. The whole
// component object is deleted through this part's virtual destructor.
#ifndef PELOK_FRAMEWORK_CHILD_COMPONENT_HOLDER_H_
#define PELOK_FRAMEWORK_CHILD_COMPONENT_HOLDER_H_

#include <list>
#include <map>

#include "framework/pelok_ptr.h"
#include "pelok/component.h"

namespace pelok {

class ChildComponentHolder {
 public:
  ChildComponentHolder() = default;
  ChildComponentHolder(const ChildComponentHolder&) = delete;
  ChildComponentHolder& operator=(const ChildComponentHolder&) = delete;
  virtual ~ChildComponentHolder();

  // Obtains component_id through the factory into *out (auto-free mark 0); 0 leaves *out as it
  // was. A null or empty registry path means the module's DLL registry path. The caller owns
  // the child and gives it back with ReleaseChild.
  int CreateChild(IComponent** out, int component_id, const char* registry_path);
  // Gives *slot back (Destroy with 0) and nulls the slot; 0 when it holds null.
  int ReleaseChild(IComponent** slot);
  // Releases every cached service reference (the allocator).
  void ReleaseAllChildren();
  // The allocator (component 3), obtained once and cached.
  int GetAllocator(IComponent** out, const char* registry_path);
  // A block of size bytes from the allocator, tagged with owner_id.
  int AllocateBlock(void** out, unsigned size, int zero_fill, int owner_id);
  int FreeBlock(void* block);

  // Typed forms of CreateChild and ReleaseChild for the component's own interface pointers.
  template <class T>
  int CreateChildAs(T** out, int component_id) {
    if (out == nullptr) return 0;
    IComponent* child = nullptr;
    if (!CreateChild(&child, component_id, nullptr)) return 0;
    *out = static_cast<T*>(child);
    return 1;
  }
  template <class T>
  int ReleaseChildAs(T** slot) {
    if (slot == nullptr) return 0;
    IComponent* child = *slot;
    const int result = ReleaseChild(&child);
    *slot = static_cast<T*>(child);
    return result;
  }

 private:
  using Reference = TPelokPtr<IComponent>;
  // Only the allocator (id 3) is cached here: looked up once per component.
  std::map<int, Reference*> service_cache_;
  // Nothing in this module adds to it, but whatever a component places there is the holder's:
  // ReleaseChild looks there too and the destructor frees it. It is part of every component's
  // layout, which components of other modules built on the same base share.
  std::list<Reference*> reference_list_;
};

}  // namespace pelok

#endif  // PELOK_FRAMEWORK_CHILD_COMPONENT_HOLDER_H_

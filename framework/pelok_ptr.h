// TPelokPtr: a component held through the factory component. The destructor gives the
// component back with Destroy(0); the factory it came through is never released.
#ifndef PELOK_FRAMEWORK_PELOK_PTR_H_
#define PELOK_FRAMEWORK_PELOK_PTR_H_

#include "pelok/component_factory.h"
#include "pelok/component.h"

namespace pelok {

// Obtains component_id through the factory component (a null or empty path means the module's
// DLL registry path) and sets its auto-free mark. Prints the "[Pelok_Error]" messages of the
// failures; returns null on any of them. *factory receives the factory used (or null).
IComponent* ObtainComponent(const char* registry_path, int component_id, int auto_free_mark,
                            IComponentFactory** factory);

template <class T>
class TPelokPtr {
 public:
  TPelokPtr(const char* registry_path, int component_id)
      : component_(static_cast<T*>(ObtainComponent(registry_path, component_id, 0, &factory_))) {}
  TPelokPtr(const TPelokPtr&) = delete;
  TPelokPtr& operator=(const TPelokPtr&) = delete;
  virtual ~TPelokPtr() {
    if (component_ != nullptr) {
      component_->Destroy(0);
      component_ = nullptr;
    }
  }

  T* get() const { return component_; }
  T* operator->() const { return component_; }
  explicit operator bool() const { return component_ != nullptr; }
  // Takes the component out; the reference then holds null and releases nothing.
  T* Take() {
    T* component = component_;
    component_ = nullptr;
    return component;
  }

 private:
  // The factory the component came through. Never released and never used again: factories
  // live as long as their module, and the reference keeps it only as every reference of the
  // framework does.
  IComponentFactory* factory_ = nullptr;
  T* component_;
};

// The reference used for the module-idle notification: always the factory component (361),
// obtained with the module's DLL registry path and auto-free mark 1, and never released.
class IdleNotifier {
 public:
  IdleNotifier();
  virtual ~IdleNotifier() = default;
  IComponentFactory* get() const { return component_; }

 private:
  // As in TPelokPtr: kept, never used again.
  IComponentFactory* factory_ = nullptr;
  IComponentFactory* component_;
};

}  // namespace pelok

#endif  // PELOK_FRAMEWORK_PELOK_PTR_H_

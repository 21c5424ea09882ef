// The base of every component class of the module: the five IComponent operations, two-phase
// destruction that tolerates calls in progress, the call guard, the child holder, the auto-free
// mark and the shared GetDllRegistryPath.
//
// Object layout: the main interface, the ChildComponentHolder part, then the four state words
// (alive, activeCalls, sharedInstance, autoFree), then the component's own fields.
#ifndef PELOK_FRAMEWORK_COMPONENT_BASE_H_
#define PELOK_FRAMEWORK_COMPONENT_BASE_H_

#include <atomic>
#include <new>

#include "framework/child_component_holder.h"
#include "framework/module_state.h"
#include "pelok/component.h"

namespace pelok {

struct ComponentState {
  int alive = 1;
  int activeCalls = 0;
  int sharedInstance = 0;
  // Read by PelokDllFreeMap on whichever thread calls it, written by the component's user: the
  // one word of the state that two threads touch by design. (The same size as an int.)
  std::atomic<int> autoFree{0};
};

// Breaks into an attached debugger and goes on.
void BreakIntoDebugger();
// The last step of Destroy: deletes the object through its holder part and removes it from the
// live-instance map. Out of line, so that no caller's inlined code appears to use the object
// after it is gone.
void DeleteComponent(ChildComponentHolder* holder, IComponent* self, int id);
// Copies preferred (when non-empty) or the module's DLL registry path into buf, all or nothing.
void CopyDllRegistryPath(const char* preferred, char* buf, int buf_len);

// Opened first thing by every operation of a component (slots 5 .. N-3 and the destroy hook).
// The guard of the last call to leave a destroyed object finishes its destruction.
class CallGuard {
 public:
  CallGuard(ComponentState* state, IComponent* self) : state_(state), self_(self) {
    if (state_->alive == 0) BreakIntoDebugger();
    ++state_->activeCalls;
  }
  CallGuard(const CallGuard&) = delete;
  CallGuard& operator=(const CallGuard&) = delete;
  ~CallGuard() {
    if (--state_->activeCalls == 0 && state_->alive == 0) {
      // A destruction requested while calls ran completes here; for the singleton, which
      // ignores Destroy(0), it has already been accepted with a force, so force it again.
      self_->Destroy(state_->sharedInstance);
    }
  }

 private:
  ComponentState* state_;
  IComponent* self_;
};

// Interface: the component's main interface (IComponent first). kId: its component id.
// kShared: 1 for a singleton class, whose Destroy(0) does nothing. kDestroyHook: the interface's
// destroy-hook slot, called once by Destroy.
template <class Interface, int kId, int kShared, void (Interface::*kDestroyHook)()>
class Component : public Interface, public ChildComponentHolder {
 public:
  static constexpr int kComponentId = kId;

  Component() { state_.sharedInstance = kShared; }
  ~Component() override {
    if (state_.alive != 0 || state_.activeCalls != 0) BreakIntoDebugger();
  }

  int GetComponentId() override { return kId; }
  int GetVersion() override { return 1; }
  void Destroy(int force) override {
    if (!host::DllSafe()) return;
    // Under the host lock, which PelokDllFreeMap holds while it destroys: an instance that it
    // destroys while its owner destroys it too goes once, and the later of the two finds it
    // gone before it touches it.
    host::EnterHostLock();
    if (!host::TakeFreedByMapMark(this)) DestroyLocked(force);
    host::LeaveHostLock();
  }
  int GetAutoFree() override { return state_.autoFree.load(); }
  void SetAutoFree(int mark) override { state_.autoFree.store(mark); }
  void GetDllRegistryPath(const char* preferred, char* buf, int buf_len) override {
    CopyDllRegistryPath(preferred, buf, buf_len);
  }

 protected:
  CallGuard Guard() { return CallGuard(&state_, this); }
  const ComponentState& state() const { return state_; }

 private:
  void DestroyLocked(int force) {
    if (state_.sharedInstance != 0 && force == 0) return;
    if (state_.alive != 0) {
      (this->*kDestroyHook)();
      ReleaseAllChildren();
      state_.alive = 0;
    }
    if (state_.activeCalls != 0) return;
    DeleteComponent(this, this, GetComponentId());
  }

  ComponentState state_;
};

// The factory callback of a class: a new instance, or null when it cannot be built.
template <class T>
IComponent* NewComponent() {
  try {
    return static_cast<IComponent*>(new (std::nothrow) T());
  } catch (...) {
    return nullptr;
  }
}

}  // namespace pelok

#endif  // PELOK_FRAMEWORK_COMPONENT_BASE_H_

// The factory module's locks: a critical section (which the owning thread may enter again) and
// the guard that holds it for a scope.
#ifndef PELOK_FACTORY_FACTORY_LOCK_H_
#define PELOK_FACTORY_FACTORY_LOCK_H_

#include "platform/win32_api.h"

namespace pelok {

class FactoryLock {
 public:
  FactoryLock() { InitializeCriticalSection(&section_); }
  ~FactoryLock() { DeleteCriticalSection(&section_); }
  FactoryLock(const FactoryLock&) = delete;
  FactoryLock& operator=(const FactoryLock&) = delete;

  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class LockScope {
 public:
  explicit LockScope(FactoryLock& lock) : lock_(lock) { lock_.Enter(); }
  ~LockScope() { lock_.Leave(); }
  LockScope(const LockScope&) = delete;
  LockScope& operator=(const LockScope&) = delete;

 private:
  FactoryLock& lock_;
};

}  // namespace pelok

#endif  // PELOK_FACTORY_FACTORY_LOCK_H_

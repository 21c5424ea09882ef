// Module-wide state of the host: the lock, the factory table, and the settings given through
// the exports.
#include "framework/module_state.h"

#include <atomic>
#include <cstdarg>
#include <cstring>

#include "framework/live_instance_map.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"

namespace pelok {
namespace host {
namespace {

struct FactoryEntry {
  int componentId;
  FactoryCallback factory;
};

constexpr unsigned kMaxFactories = 512;

void* g_module_instance = nullptr;
int g_lock_ready = 0;
CRITICAL_SECTION g_host_lock;
// Read and written without the lock by design; atomics keep that well-defined.
std::atomic<int> g_dll_safe{0};
std::atomic<void*> g_factory_module{nullptr};
char g_dll_registry_path[kPathBufferSize] = {0};
unsigned g_factory_count = 0;
FactoryEntry g_factory_table[kMaxFactories];

void InitializeHostLock() {
  InitializeCriticalSection(&g_host_lock);
  g_lock_ready = 1;
  g_dll_safe = 1;
}

}  // namespace

void EnterHostLock() {
  if (g_lock_ready == 0) InitializeHostLock();
  EnterCriticalSection(&g_host_lock);
}

void LeaveHostLock() { LeaveCriticalSection(&g_host_lock); }

void RegisterFactory(int component_id, FactoryCallback factory) {
  EnterHostLock();
  if (g_factory_count < kMaxFactories && component_id != 0 && factory != nullptr) {
    g_factory_table[g_factory_count++] = FactoryEntry{component_id, factory};
  }
  LeaveHostLock();
}

FactoryCallback FindFactory(int component_id) {
  FactoryCallback found = nullptr;
  EnterHostLock();
  for (unsigned i = 0; i < g_factory_count; ++i) {
    if (g_factory_table[i].componentId == component_id) {
      found = g_factory_table[i].factory;
      break;
    }
  }
  LeaveHostLock();
  return found;
}

int CopyComponentIds(int* dst, unsigned count) {
  EnterHostLock();
  const unsigned total = g_factory_count;
  if (dst != nullptr) {
    const unsigned n = count < total ? count : total;
    for (unsigned i = 0; i < n; ++i) dst[i] = g_factory_table[i].componentId;
  }
  LeaveHostLock();
  return static_cast<int>(total);
}

int DllSafe() { return g_dll_safe.load(); }
void SetDllSafe(int flag) { g_dll_safe = flag; }

const char* DllRegistryPath() {
  // A copy taken under the lock, one per thread: a SetDLLRegistry on another thread can never
  // tear the text while a caller reads it.
  thread_local char copy[kPathBufferSize];
  EnterHostLock();
  std::strcpy(copy, g_dll_registry_path);
  LeaveHostLock();
  return copy;
}

void SetDllRegistryPath(const char* path) {
  EnterHostLock();
  if (FitsIn(path, sizeof(g_dll_registry_path))) {
    std::strcpy(g_dll_registry_path, path);
  } else {
    g_dll_registry_path[0] = '\0';
  }
  LeaveHostLock();
}

void* FactoryModule() { return g_factory_module.load(); }
void SetFactoryModule(void* module) { g_factory_module = module; }

void* ModuleInstance() { return g_module_instance; }

void OnProcessAttach(void* module_instance) {
  g_module_instance = module_instance;
  if (g_lock_ready == 0) InitializeHostLock();
}

void OnProcessDetach() {
  if (g_lock_ready == 0) return;
  ReportLeaks();
  DeleteCriticalSection(&g_host_lock);
  g_lock_ready = 0;
  FreeLiveInstanceMap();
}

}  // namespace host
}  // namespace pelok

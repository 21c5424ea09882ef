// PelTest.dll: see test_component.h.
#include <atomic>
#include <cstdint>
#include <cstring>

#include "pelok/component_factory.h"
#include "pelok/export.h"
#include "pelok/module.h"
#include "platform/win32_api.h"
#include "tests/support/test_component.h"

namespace pelok {
namespace test {
namespace {

std::atomic<int> live_components{0};
char registry_path[260];

#if defined(_WIN32)
HMODULE self_module = nullptr;
HMODULE SelfModule() { return self_module; }
#else
HMODULE SelfModule() { return PelokModuleFromAddress(reinterpret_cast<const void*>(&SelfModule)); }
#endif

// The factory of a factory module that is already loaded, as components find it.
IComponentFactory* LoadedFactory() {
  HMODULE module = GetModuleHandleA("PelFact.dll");
  if (module == nullptr) return nullptr;
  const auto create = reinterpret_cast<CreateComponentFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "CreateComponent")));
  if (create == nullptr) return nullptr;
  return static_cast<IComponentFactory*>(create(component_id::kComponentFactory, 0));
}

class TestComponent final : public ITestComponent {
 public:
  TestComponent(int id, int creator_id) : id_(id), creator_id_(creator_id) {
    ++live_components;
    std::memset(&record_, 0, sizeof(record_));
    record_.traceFile = -1;
    IComponentFactory* factory = LoadedFactory();
    if (factory == nullptr) return;
    intptr_t* words = nullptr;
    factory->RegisterRecord(registry_path, id_, &record_, &record_.fileMask, &words);
    if (words != nullptr) {
      record_.traceLock = words[0];
      record_.traceFile = words[1];
    }
    if (id_ == kNestingTestComponent)
      inner_ = factory->CreateInstance(kTestComponent, registry_path);
  }

  int GetComponentId() override { return id_; }
  int GetVersion() override { return 1; }
  void Destroy(int) override {
    if (inner_ != nullptr) inner_->Destroy(1);
    delete this;
    if (--live_components == 0) {
      if (IComponentFactory* factory = LoadedFactory()) factory->OnModuleIdle(SelfModule());
    }
  }
  int GetAutoFree() override { return auto_free_; }
  void SetAutoFree(int mark) override { auto_free_ = mark; }

  const RegistrationRecord* Record() override { return &record_; }
  int CreatorId() override { return creator_id_; }
  int AppendTrace(const char* text) override {
    if (record_.traceFile == -1) return 0;
    auto* lock = reinterpret_cast<CRITICAL_SECTION*>(record_.traceLock);
    HANDLE file = reinterpret_cast<HANDLE>(record_.traceFile);
    if (lock != nullptr) EnterCriticalSection(lock);
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    if (lock != nullptr) LeaveCriticalSection(lock);
    return ok ? 1 : 0;
  }
  IComponent* Inner() override { return inner_; }

 private:
  RegistrationRecord record_;
  int id_;
  int creator_id_;
  int auto_free_ = 0;
  IComponent* inner_ = nullptr;
};

constexpr int kServed[] = {kTestComponent, kOtherTestComponent, kNestingTestComponent};
constexpr unsigned kServedCount = sizeof(kServed) / sizeof(kServed[0]);

}  // namespace
}  // namespace test
}  // namespace pelok

using pelok::IComponent;

extern "C" {

#if defined(_WIN32)
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) pelok::test::self_module = instance;
  return TRUE;
}
#endif

PELOK_EXPORT IComponent* CreateComponent(int component_id, int creator_id) {
  for (int id : pelok::test::kServed) {
    if (id == component_id) return new pelok::test::TestComponent(component_id, creator_id);
  }
  return nullptr;
}

PELOK_EXPORT int GetComponentIDs(int* dst, unsigned count) {
  for (unsigned i = 0; dst != nullptr && i < count && i < pelok::test::kServedCount; ++i) {
    dst[i] = pelok::test::kServed[i];
  }
  return static_cast<int>(pelok::test::kServedCount);
}

PELOK_EXPORT int PelokDllCanUnloadNow() { return pelok::test::live_components == 0 ? 1 : 0; }

PELOK_EXPORT int PelTestLiveCount() { return pelok::test::live_components; }

// The DLL registry file the components register their records with (cut to 259 characters).
PELOK_EXPORT int SetDLLRegistry(const char* path) {
  std::memset(pelok::test::registry_path, 0, sizeof(pelok::test::registry_path));
  if (path != nullptr) {
    std::strncpy(pelok::test::registry_path, path, sizeof(pelok::test::registry_path) - 1);
  }
  return 0;
}

}  // extern "C"

// A factory module that records what the registry host module asks of it. Component 361 is
// itself, 3 a counting allocator, and every other id the registry host module's own component,
// created through PelReg.dll's CreateComponent (the test program has loaded it).
#include <cstdlib>

#include "pelok/component_factory.h"
#include "pelok/export.h"
#include "platform/win32_api.h"
#include "tests/support/recording_factory.h"

namespace pelok {
namespace {

test::RecordingFactoryCalls g_calls;

struct CountingAllocator final : IAllocator {
  int GetComponentId() override { return component_id::kAllocator; }
  int GetVersion() override { return 1; }
  void Destroy(int) override {}
  int GetAutoFree() override { return 0; }
  void SetAutoFree(int) override {}
  void* AllocateTagged(int, unsigned size) override {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) ++g_calls.allocations;
    return block;
  }
  int FreeTagged(void* block) override {
    if (block == nullptr) return 0;
    std::free(block);
    --g_calls.allocations;
    return 1;
  }
  int CountLiveBlocks(int) override { return g_calls.allocations; }
  int ReportLiveBlocks() override { return g_calls.allocations; }
};

struct RecordingFactory final : IComponentFactory {
  int GetComponentId() override { return component_id::kComponentFactory; }
  int GetVersion() override { return 1; }
  void Destroy(int) override {}
  int GetAutoFree() override { return auto_free; }
  void SetAutoFree(int mark) override { auto_free = mark; }

  IComponent* CreateInstance(int id, const char*) override {
    if (id >= 0 && id < 2048) ++g_calls.create_instance[id];
    if (id == component_id::kComponentFactory) return this;
    if (id == component_id::kAllocator) return &allocator;
    using Create = IComponent* (*)(int, int);
    HMODULE registry = GetModuleHandleA("PelReg.dll");
    const auto create =
        registry != nullptr ? GetExport<Create>(registry, "CreateComponent") : nullptr;
    return create != nullptr ? create(id, component_id::kComponentFactory) : nullptr;
  }
  int RegisterRecord(const char*, int id, RegistrationRecord* record, int32_t*,
                     intptr_t** result) override {
    ++g_calls.register_record;
    g_calls.last_recorded_id = id;
    if (record != nullptr) record->traceName[0] = 'r';
    if (result != nullptr) *result = nullptr;
    return 1;
  }
  int RegisterSingleton(IComponent*) override {
    ++g_calls.register_singleton;
    return 1;
  }
  int Reserved8() override { return 0; }
  int Reserved9() override { return 0; }
  int OnModuleIdle(void* module) override {
    ++g_calls.on_module_idle;
    g_calls.last_idle_module = module;
    return 1;
  }

  int auto_free = 0;
  CountingAllocator allocator;
};

RecordingFactory g_factory;

}  // namespace
}  // namespace pelok

extern "C" {

PELOK_EXPORT pelok::IComponent* CreateComponent(int component_id, int /*creator_id*/) {
  if (pelok::g_calls.create_returns_null != 0) return nullptr;
  return component_id == pelok::component_id::kComponentFactory ? &pelok::g_factory : nullptr;
}

PELOK_EXPORT pelok::test::RecordingFactoryCalls* RecordingFactoryCalls() { return &pelok::g_calls; }

}  // extern "C"

#include "tests/support/fault_registry_host.h"

#include <atomic>
#include <new>

#include "factory/tagged_allocator.h"
#include "framework/module_state.h"
#include "pelok/export.h"
#include "platform/win32_api.h"
#include "xmldoc/xml_document.h"

namespace pelok {
namespace fault {
namespace {

std::atomic<bool> refused[2000];
std::atomic<bool (*)()> allocation_gate{nullptr};

// The allocator with a gate in front of it.
class GatedAllocator final : public TaggedAllocator {
 public:
  void* AllocateTagged(int owner_id, unsigned size) override {
    bool (*gate)() = allocation_gate.load();
    if (gate != nullptr && !gate()) return nullptr;
    return TaggedAllocator::AllocateTagged(owner_id, size);
  }
};

TaggedAllocator& TheAllocator() {
  static TaggedAllocator* allocator = new GatedAllocator();
  return *allocator;
}

// Component 361 of this executable: the module's own classes through the host, the XML
// document and the allocator directly.
class InProcessFactory final : public IComponentFactory {
 public:
  int GetComponentId() override { return component_id::kComponentFactory; }
  int GetVersion() override { return 1; }
  void Destroy(int) override {}
  int GetAutoFree() override { return 0; }
  void SetAutoFree(int) override {}

  IComponent* CreateInstance(int id, const char*) override {
    if (id > 0 && id < 2000 && refused[id].load()) return nullptr;
    switch (id) {
      case component_id::kComponentFactory:
        return this;
      case component_id::kAllocator:
        return &TheAllocator();
      case component_id::kXmlDocument:
        return new (std::nothrow) XmlDocument();
      default:
        return host::CreateRecordedComponent(id, 0);
    }
  }
  int RegisterRecord(const char*, int, RegistrationRecord*, int32_t*, intptr_t**) override {
    return 0;
  }
  int RegisterSingleton(IComponent*) override { return 0; }
  int Reserved8() override { return 0; }
  int Reserved9() override { return 0; }
  int OnModuleIdle(void*) override { return 0; }
};

InProcessFactory& TheFactory() {
  static InProcessFactory* factory = new InProcessFactory();
  return *factory;
}

}  // namespace

void UseInProcessFactory() { host::SetFactoryModule(GetModuleHandleA(nullptr)); }

void RefuseComponent(int component_id, bool refuse) {
  if (component_id > 0 && component_id < 2000) refused[component_id].store(refuse);
}

IAllocator* Allocator() { return &TheAllocator(); }

void SetAllocationGate(bool (*gate)()) { allocation_gate.store(gate); }

IRegisterFront* CreateFront() {
  UseInProcessFactory();
  return static_cast<IRegisterFront*>(
      host::CreateRecordedComponent(component_id::kRegisterFront, 0));
}

int LiveInstances() { return host::LiveInstanceCount(); }

int LiveDocuments() { return XmlDocument::LiveCount(); }

}  // namespace fault
}  // namespace pelok

// The factory module's export, looked up in this executable.
extern "C" PELOK_EXPORT pelok::IComponent* CreateComponent(int component_id, int) {
  if (component_id != pelok::component_id::kComponentFactory) return nullptr;
  return &pelok::fault::TheFactory();
}

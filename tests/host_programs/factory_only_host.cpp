// A host program that talks to the factory module alone: it never loads the registry module
// itself, so the registry's components learn the factory and the DLL registry file only from
// the factory. It is built into a directory of its own, without a Pelok.ini beside it.
//
//   pelok_factory_only_host DLL_REGISTRY_FILE STORE_FILE
//
// 1. The front comes from CreateInstance(991, file); a stored value is set and flushed.
// 2. The front is destroyed, the idle registry module unloaded, and a new front (from the
//    module loaded afresh) reads the value back.
#include <cstdio>
#include <cstring>
#include <string>

#include "pelok/component_factory.h"
#include "pelok/module.h"
#include "pelok/register_front.h"
#include "platform/win32_api.h"

using namespace pelok;

namespace {

int Fail(const char* what) {
  std::printf("%s failed\n", what);
  return 1;
}

uint32_t OpenAppKey(IRegisterFront* front) {
  uint32_t key = 0;
  int disposition = 0;
  front->CreateKey(RootOfKind(root::kShare, kind::kStored), "app", kind::kStored, 0, &key,
                   &disposition);
  return key;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string registry_file = argv[1];
  const std::string dir = registry_file.substr(0, registry_file.find_last_of("/\\") + 1);
  HMODULE factory_module = LoadLibraryA((dir + "PelFact.dll").c_str());
  if (factory_module == nullptr) return Fail("loading PelFact.dll");
  const auto create = GetExport<CreateComponentFn>(factory_module, "CreateComponent");
  const auto unload_idle =
      GetExport<PelokUnloadIdleModulesFn>(factory_module, "PelokUnloadIdleModules");
  if (create == nullptr || unload_idle == nullptr) return Fail("finding the exports");
  auto* factory = static_cast<IComponentFactory*>(create(component_id::kComponentFactory, 0));
  if (factory == nullptr) return Fail("creating the factory");

  auto* front = static_cast<IRegisterFront*>(
      factory->CreateInstance(component_id::kRegisterFront, registry_file.c_str()));
  if (front == nullptr) return Fail("creating the front");
  const uint32_t number = 4242;
  const uint32_t key = front->SetStoreFile(argv[2]) ? OpenAppKey(front) : 0;
  if (key == 0 || !front->SetValue(key, "answer", value_type::kUint32, &number, 4) ||
      !front->Flush()) {
    return Fail("the first front");
  }
  std::printf("first front: ok\n");

  front->CloseAllKeys();
  front->Destroy(1);
  std::printf("unloaded: %d\n", unload_idle());
  if (GetModuleHandleA("PelReg.dll") != nullptr) return Fail("unloading PelReg.dll");

  front = static_cast<IRegisterFront*>(
      factory->CreateInstance(component_id::kRegisterFront, registry_file.c_str()));
  if (front == nullptr) return Fail("creating the second front");
  int read_back = 0;
  const uint32_t again = front->SetStoreFile(argv[2]) ? OpenAppKey(front) : 0;
  if (again == 0 || !front->QueryIntValue(again, "answer", &read_back)) {
    return Fail("the second front");
  }
  std::printf("second front: %d\n", read_back);
  front->CloseAllKeys();
  front->Destroy(1);
  return 0;
}

// A host program of the registry, as short as it can be: loads the framework, keeps values of
// the three types in a stored key, reads them back and shuts down.
//
//   pelok_host_example [STORE_FILE]    (default: example_store.xml in the current directory)
//
// It links none of the modules: PelReg.dll, PelFact.dll and PelXml.dll are found at run time
// through the DLL registry file, Pelok.ini beside the executable. Every registry operation
// returns 1 for success and 0 for failure; nothing throws.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "framework/component_factory.h"  // IComponentFactory, component 361
#include "framework/dll_registry_file.h"  // the DLL registry file reader
#include "pelok/module.h"                 // the modules' exports
#include "pelok/register_front.h"         // IRegisterFront, component 991
#include "platform/win32_api.h"           // LoadLibraryA, GetProcAddress, GetPrivateProfileStringA

using namespace pelok;

namespace {

// An export of a module as the function it is. FARPROC has a calling convention of its own,
// so the cast goes through void*.
template <class Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int Failed(const char* what) {
  std::fprintf(stderr, "host_example: %s failed\n", what);
  return 1;
}

// Loads the modules in the order the framework expects and returns the component factory.
IComponentFactory* LoadFramework(const char* registry_file) {
  // 1. The registry module first, and it is told which DLL registry file to read, so that its
  //    components find the factory and the document module through the same file.
  char name[kPathBufferSize] = {0};
  GetPrivateProfileStringA("Modules", "registry", "", name, sizeof(name), registry_file);
  char path[kPathBufferSize] = {0};
  ResolveModuleValue(registry_file, name, 1, path, sizeof(path));
  HMODULE registry_module = LoadLibraryA(path);
  if (registry_module == nullptr) return nullptr;
  auto set_registry = Export<SetDLLRegistryFn>(registry_module, "SetDLLRegistry");
  if (set_registry == nullptr) return nullptr;
  set_registry(registry_file);

  // 2. The factory module ("[361]" DLL). Its CreateComponent(361, 0) is the component factory,
  //    which loads every other module by the same file (the registry module is found loaded).
  ReadFactoryDllPath(registry_file, path, sizeof(path));
  HMODULE factory_module = LoadLibraryA(path);
  if (factory_module == nullptr) return nullptr;
  auto create = Export<CreateComponentFn>(factory_module, "CreateComponent");
  if (create == nullptr) return nullptr;
  return static_cast<IComponentFactory*>(create(component_id::kComponentFactory, 0));
}

}  // namespace

int main(int argc, char** argv) {
  const char* store_file = argc > 1 ? argv[1] : "example_store.xml";

  // The DLL registry file: Pelok.ini beside the executable, its redirects followed.
  char registry_file[kPathBufferSize] = {0};
  ResolveRegistryFile(nullptr, registry_file, sizeof(registry_file));
  IComponentFactory* factory = LoadFramework(registry_file);
  if (factory == nullptr) return Failed("loading the framework");
  auto* front = static_cast<IRegisterFront*>(
      factory->CreateInstance(component_id::kRegisterFront, registry_file));
  if (front == nullptr) return Failed("creating the register front");

  // Before the first stored key: the store file, and the directory a relative store file name
  // is taken against. That directory is the text value pelok_rootpath_data of the in-memory
  // (kind 1) key user/pelok_rootpath; the key stays open, or its value would be gone.
  const std::string directory = std::filesystem::current_path().string();
  uint32_t root_path_key = 0;
  int disposition = 0;
  if (!front->SetStoreFile(store_file) ||
      !front->CreateKey(root::kUser, "pelok_rootpath", kind::kMemory, 0, &root_path_key,
                        &disposition) ||
      !front->SetValue(root_path_key, "pelok_rootpath_data", value_type::kText, directory.c_str(),
                       static_cast<int>(directory.size() + 1))) {
    return Failed("setting the store file");
  }

  // A kind-2 key: share/example/settings. Its values live in the store file. The parent is the
  // root "share" routed to the kind-2 table; the sub-key may name several levels at once.
  uint32_t key = 0;
  if (!front->CreateKey(RootOfKind(root::kShare, kind::kStored), "example/settings", kind::kStored,
                        0, &key, &disposition)) {
    return Failed("opening share/example/settings");
  }

  // Values of the three types. A size is in bytes; text is stored with its terminator.
  const char title[] = "Hello, registry";
  const uint32_t port = 8080;
  const uint8_t magic[] = {0xCA, 0xFE, 0x01};
  if (!front->SetValue(key, "title", value_type::kText, title, sizeof(title)) ||
      !front->SetValue(key, "port", value_type::kUint32, &port, sizeof(port)) ||
      !front->SetValue(key, "magic", value_type::kBinary, magic, sizeof(magic))) {
    return Failed("setting the values");
  }
  // Values are changed in memory; Flush writes the store file.
  if (!front->Flush()) return Failed("writing the store file");

  // Reading them back. A size goes in as the buffer's capacity and comes out as the stored size.
  char text[64] = {0};
  int text_size = sizeof(text);
  int number = 0;
  uint8_t bytes[16] = {0};
  int bytes_size = sizeof(bytes);
  if (!front->QueryStringValue(key, "title", text, &text_size) ||
      !front->QueryIntValue(key, "port", &number) ||
      !front->QueryBinaryValue(key, "magic", bytes, &bytes_size)) {
    return Failed("reading the values");
  }
  std::printf("title = %s\n", text);
  std::printf("port = %u\n", static_cast<unsigned>(number));
  std::printf("magic =");
  for (int i = 0; i < bytes_size; ++i) std::printf(" %02X", bytes[i]);
  std::printf("\n");

  // Shutting down: every key closed, then the front destroyed (Destroy(0) would leave the
  // shared instance alone), which writes the store file once more. The factory is released.
  // The modules are not freed: the process's end unloads them, after every component is gone.
  front->CloseAllKeys();
  front->Destroy(1);
  factory->Destroy(0);
  return 0;
}

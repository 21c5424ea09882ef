#include "tools/framework_host.h"

#include <cstring>

#include "framework/dll_registry_file.h"
#include "pelok/module.h"
#include "platform/win32_api.h"
#include "tools/exit_status.h"
#include "tools/work_directory.h"
#include "util/bounded_string.h"

namespace pelok {
namespace tool {

namespace {

std::string ReadIniValue(const std::string& file, const char* section, const char* key) {
  char raw[1024];
  std::memset(raw, 0, sizeof(raw));
  GetPrivateProfileStringA(section, key, "", raw, sizeof(raw), file.c_str());
  char trimmed[kPathBufferSize];
  std::memset(trimmed, 0, sizeof(trimmed));
  TrimBlanks(raw, trimmed, sizeof(trimmed));
  return trimmed;
}

// The registry module: an explicit module for its id if the file names one, else the
// "registry" entry of "[Modules]".
std::string RegistryModulePath(const std::string& registry_file) {
  char path[kPathBufferSize];
  std::memset(path, 0, sizeof(path));
  const std::string explicit_dll = ReadIniValue(registry_file, "991", "DLL");
  if (!explicit_dll.empty()) {
    ReadModulePath(registry_file.c_str(), "991", path, sizeof(path));
    return path;
  }
  const std::string listed = ReadIniValue(registry_file, "Modules", "registry");
  if (listed.empty()) return "";
  ResolveModuleValue(registry_file.c_str(), listed.c_str(), 1, path, sizeof(path));
  return path;
}

std::string FactoryModulePath(const std::string& registry_file) {
  char path[kPathBufferSize];
  std::memset(path, 0, sizeof(path));
  ReadFactoryDllPath(registry_file.c_str(), path, sizeof(path));
  return path;
}

// An export as the function it is (through void*: FARPROC has a calling convention of its own).
template <class Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HMODULE LoadModule(const std::string& path, std::string* error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) *error = "cannot load the module " + Quoted(path);
  return module;
}

}  // namespace

FrameworkHost::~FrameworkHost() { Close(); }

bool FrameworkHost::Open(const std::string& registry_option, std::string* error) {
  // A file named on the command line is the user's, so relative to where the user is.
  const std::string given = registry_option.empty() ? "" : AbsoluteName(registry_option);
  char resolved[kPathBufferSize];
  std::memset(resolved, 0, sizeof(resolved));
  ResolveRegistryFile(given.empty() ? nullptr : given.c_str(), resolved, sizeof(resolved));
  registry_file_ = resolved;
  if (!IsFile(registry_file_)) {
    *error = "cannot read the DLL registry file " + Quoted(registry_file_);
    return false;
  }

  // The registry module first, told which DLL registry file its components are to read.
  const std::string registry_module = RegistryModulePath(registry_file_);
  if (registry_module.empty()) {
    *error = "the DLL registry file " + Quoted(registry_file_) +
             " names no registry module ([Modules] registry)";
    return false;
  }
  HMODULE pelreg = LoadModule(registry_module, error);
  if (pelreg == nullptr) return false;
  const auto set_registry = Export<SetDLLRegistryFn>(pelreg, "SetDLLRegistry");
  if (set_registry == nullptr) {
    *error = "the module " + Quoted(registry_module) + " has no export SetDLLRegistry";
    return false;
  }
  set_registry(registry_file_.c_str());

  // The factory module, which loads the registry module by the same path and so finds the
  // module already loaded.
  const std::string factory_module = FactoryModulePath(registry_file_);
  if (factory_module.empty()) {
    *error =
        "the DLL registry file " + Quoted(registry_file_) + " names no factory module ([361] DLL)";
    return false;
  }
  HMODULE pelfact = LoadModule(factory_module, error);
  if (pelfact == nullptr) return false;
  const auto create = Export<CreateComponentFn>(pelfact, "CreateComponent");
  if (create == nullptr) {
    *error = "the module " + Quoted(factory_module) + " has no export CreateComponent";
    return false;
  }
  factory_ = static_cast<IComponentFactory*>(create(component_id::kComponentFactory, 0));
  if (factory_ == nullptr) {
    *error = "the module " + Quoted(factory_module) + " gave no component factory (361)";
    return false;
  }
  front_ = static_cast<IRegisterFront*>(
      factory_->CreateInstance(component_id::kRegisterFront, registry_file_.c_str()));
  if (front_ == nullptr) {
    *error = "the component factory gave no register front (991)";
    return false;
  }
  return true;
}

IXmlDocument* FrameworkHost::CreateDocument() {
  if (factory_ == nullptr) return nullptr;
  return static_cast<IXmlDocument*>(
      factory_->CreateInstance(component_id::kXmlDocument, registry_file_.c_str()));
}

void FrameworkHost::CloseRegistry() {
  if (front_ == nullptr) return;
  front_->CloseAllKeys();
  front_->Destroy(1);
  front_ = nullptr;
}

void FrameworkHost::Close() {
  CloseRegistry();
  if (factory_ != nullptr) {
    factory_->Destroy(0);
    factory_ = nullptr;
  }
}

}  // namespace tool
}  // namespace pelok

// The framework opened as every host program opens it. The order matters: the registry module
// learns its DLL registry file before anything is created in it, and its factory handle before
// the register front is built, so that no component of it reads the file to find the factory.
#include <cstring>
#include <filesystem>
#include <system_error>

#include "framework/dll_registry_file.h"
#include "pelok/loader.h"
#include "pelok/module.h"
#include "pelok/path_name.h"
#include "platform/native_path.h"
#include "platform/win32_api.h"
#include "util/bounded_string.h"
#include "util/path.h"

namespace pelok {

namespace {


std::string Quoted(const std::string& path) { return "'" + NativeSeparators(path) + "'"; }

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A name given by the user is taken against the current directory, as every file API does.
std::string AgainstCurrentDirectory(const std::string& name) {
  if (name.empty() || IsAbsolutePathName(name)) return name;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(name, error);
  return error ? name : absolute.string();
}

// The registry module: an explicit module for its id if the file names one, else the
// "registry" entry of "[Modules]"; empty when the file names neither.
std::string RegistryModulePath(const std::string& registry_file) {
  char path[kPathBufferSize];
  std::memset(path, 0, sizeof(path));
  const std::string section = SectionOf(component_id::kRegisterFront);
  if (NamesModule(registry_file.c_str(), section.c_str())) {
    ReadModulePath(registry_file.c_str(), section.c_str(), path, sizeof(path));
    return path;
  }
  const std::string listed =
      ReadTrimmedValue(registry_file.c_str(), kModulesSection, "registry");
  if (listed.empty()) return "";
  ResolveModuleValue(registry_file.c_str(), listed.c_str(), 1, path, sizeof(path));
  return path;
}

std::string FactoryModulePath(const std::string& registry_file) {
  if (!NamesModule(registry_file.c_str(), SectionOf(component_id::kComponentFactory).c_str())) {
    return "";
  }
  char path[kPathBufferSize];
  std::memset(path, 0, sizeof(path));
  ReadFactoryDllPath(registry_file.c_str(), path, sizeof(path));
  return path;
}

// Why a module that exists did not load: most often a module built for another system.
std::string LoadFailureReason(const std::string& path) {
  if (!IsFile(path)) return "no such file";
  const DWORD error = GetLastError();
  std::string reason = "not a module this system can load";
  if (error != 0) reason += " (error " + std::to_string(error) + ")";
  return reason;
}

}  // namespace

Framework::~Framework() {
  Close();
  // The factory keeps its own reference on the registry module while any component of it lives.
  if (registry_module_ != nullptr) FreeLibrary(static_cast<HMODULE>(registry_module_));
}

bool Framework::Fail(LoadError::Kind kind, const std::string& path, const std::string& message) {
  Close();
  error_.kind = kind;
  error_.path = NativeSeparators(path);
  error_.message = message;
  return false;
}

bool Framework::Open(const std::string& registry_file) {
  Close();
  error_ = LoadError();
  const std::string given = AgainstCurrentDirectory(registry_file);
  char resolved[kPathBufferSize];
  std::memset(resolved, 0, sizeof(resolved));
  ResolveRegistryFile(given.empty() ? nullptr : given.c_str(), resolved, sizeof(resolved));
  const std::string file = resolved;
  if (!IsFile(file)) {
    return Fail(LoadError::Kind::kRegistryFile, file,
                "cannot read the DLL registry file " + Quoted(file) +
                    ": no such file; put it there or name another");
  }

  const std::string registry_module = RegistryModulePath(file);
  if (registry_module.empty()) {
    return Fail(LoadError::Kind::kRegistryFile, file,
                "the DLL registry file " + Quoted(file) +
                    " names no registry module: add 'registry=PelReg.dll' under [Modules]");
  }
  HMODULE pelreg = LoadLibraryA(registry_module.c_str());
  if (pelreg == nullptr) {
    return Fail(LoadError::Kind::kModule, registry_module,
                "cannot load the registry module " + Quoted(registry_module) + ": " +
                    LoadFailureReason(registry_module) + " (named in " + Quoted(file) + ")");
  }
  const auto set_registry = GetExport<SetDLLRegistryFn>(pelreg, "SetDLLRegistry");
  const auto set_factory = GetExport<SetFactoryHandleFn>(pelreg, "SetFactoryHandle");
  if (set_registry == nullptr || set_factory == nullptr) {
    return Fail(LoadError::Kind::kExport, registry_module,
                "the module " + Quoted(registry_module) + " has no export " +
                    (set_registry == nullptr ? "SetDLLRegistry" : "SetFactoryHandle") +
                    ": it is not the registry module");
  }
  // One reference of the loader's own is enough, whatever number of Opens took one.
  if (registry_module_ != nullptr) FreeLibrary(static_cast<HMODULE>(registry_module_));
  registry_module_ = pelreg;
  set_registry(file.c_str());

  const std::string factory_module = FactoryModulePath(file);
  if (factory_module.empty()) {
    return Fail(LoadError::Kind::kRegistryFile, file,
                "the DLL registry file " + Quoted(file) +
                    " names no factory module: add 'DLL=PelFact.dll' under [361]");
  }
  HMODULE pelfact = LoadLibraryA(factory_module.c_str());
  if (pelfact == nullptr) {
    return Fail(LoadError::Kind::kModule, factory_module,
                "cannot load the factory module " + Quoted(factory_module) + ": " +
                    LoadFailureReason(factory_module) + " (named in " + Quoted(file) + ")");
  }
  const auto create = GetExport<CreateComponentFn>(pelfact, "CreateComponent");
  if (create == nullptr) {
    FreeLibrary(pelfact);
    return Fail(LoadError::Kind::kExport, factory_module,
                "the module " + Quoted(factory_module) +
                    " has no export CreateComponent: it is not the factory module");
  }
  factory_module_ = pelfact;
  set_factory(pelfact);
  factory_ = static_cast<IComponentFactory*>(create(component_id::kComponentFactory, 0));
  if (factory_ == nullptr) {
    return Fail(LoadError::Kind::kComponent, factory_module,
                "the module " + Quoted(factory_module) +
                    " gave no component factory (361): it is not the factory module");
  }
  registry_file_ = file;
  ++generation_;
  front_ = static_cast<IRegisterFront*>(
      factory_->CreateInstance(component_id::kRegisterFront, file.c_str()));
  if (front_ == nullptr) {
    registry_file_.clear();
    return Fail(LoadError::Kind::kComponent, registry_module,
                "the component factory gave no register front (991) from " +
                    Quoted(registry_module) + "; check the modules named in " + Quoted(file));
  }
  return true;
}

void Framework::CloseRegistry() {
  if (front_ == nullptr) return;
  ++generation_;
  front_->CloseAllKeys();
  front_->Destroy(1);
  front_ = nullptr;
}

void Framework::Close() {
  CloseRegistry();
  if (factory_ != nullptr) {
    factory_->Destroy(0);
    factory_ = nullptr;
  }
  registry_file_.clear();
}

IComponent* Framework::Create(int component_id) const {
  if (factory_ == nullptr) return nullptr;
  return factory_->CreateInstance(component_id, registry_file_.c_str());
}

void Framework::CloseAndUnload() {
  Close();
  if (registry_module_ != nullptr) {
    FreeLibrary(static_cast<HMODULE>(registry_module_));
    registry_module_ = nullptr;
  }
  UnloadIdleModules();
}

int Framework::UnloadIdleModules() const {
  if (factory_module_ == nullptr) return 0;
  const auto unload = GetExport<PelokUnloadIdleModulesFn>(static_cast<HMODULE>(factory_module_),
                                                          "PelokUnloadIdleModules");
  return unload != nullptr ? unload() : 0;
}

}  // namespace pelok

// Opening the framework from a host program in one call: the registry module (PelReg.dll) told
// which DLL registry file to read, the factory module (PelFact.dll) and its ComponentFactory,
// the registry module given the factory's handle (so that its components never read the file
// again to find the factory), and the register front (component 991).
//
//   pelok::Framework framework;
//   if (!framework.Open()) { std::fprintf(stderr, "%s\n", framework.error().message.c_str()); }
//   pelok::IRegisterFront* front = framework.front();
//
// Link the library PelReg::loader (find_package(PelReg CONFIG)). Nothing throws.
#ifndef PELOK_LOADER_H_
#define PELOK_LOADER_H_

#include <string>

#include "pelok/component.h"
#include "pelok/component_factory.h"
#include "pelok/register_front.h"

namespace pelok {

// Why Open failed: what, which file, and the reason, as one line for a person.
struct LoadError {
  enum class Kind {
    kNone,
    kRegistryFile,  // the DLL registry file is missing, unreadable or names no module
    kModule,        // a module file is missing or cannot be loaded
    kExport,        // a module lacks an export it must have
    kComponent,     // a module gave no component for an id
  };
  Kind kind = Kind::kNone;
  // The file concerned (the DLL registry file or a module), with the system's separators.
  std::string path;
  // "cannot load the module '/opt/app/PelReg.dll': no such file; ..." and what to do about it.
  std::string message;

  explicit operator bool() const { return kind != Kind::kNone; }
};

class Framework {
 public:
  Framework() = default;
  Framework(const Framework&) = delete;
  Framework& operator=(const Framework&) = delete;
  // Close(), and gives back the loader's reference on the registry module (the factory keeps
  // the modules it loaded while components of theirs live).
  ~Framework();

  // registry_file: the DLL registry file, relative to the current directory; empty for
  // "Pelok.ini" beside the executable. Its redirects are followed. On failure returns false,
  // leaves nothing open and error() says why. Opening an open framework closes it first.
  bool Open(const std::string& registry_file = std::string());
  // Closes every key and destroys the register front (which writes the store file), then lets
  // go of the factory. The modules stay loaded until the process ends: components of theirs may
  // still be alive, and the factory keeps the modules it loaded.
  void Close();
  // Only the first half of Close: the register front goes (front() is null from now on), the
  // factory stays for Create.
  void CloseRegistry();

  bool is_open() const { return factory_ != nullptr; }
  // Counts the fronts this object has handed out: it changes whenever the front goes or a new
  // one comes, so that whoever keeps handles of a front can tell that they are gone.
  unsigned generation() const { return generation_; }
  const LoadError& error() const { return error_; }
  // Null while closed.
  IRegisterFront* front() const { return front_; }
  IComponentFactory* factory() const { return factory_; }
  // The DLL registry file in use, after its redirects.
  const std::string& registry_file() const { return registry_file_; }

  // A new component of that id, or null (also once closed). Release it with Destroy(0).
  IComponent* Create(int component_id) const;
  // The factory module's PelokUnloadIdleModules: unloads the modules that have no live
  // component left. Returns how many; 0 before the first Open.
  int UnloadIdleModules() const;
  // Close, then gives back the loader's reference on the registry module and has the factory
  // unload every idle module, so that the next Open loads them afresh (the factory module
  // itself stays). For a program that restarts the registry; only while no component of the
  // modules is alive.
  void CloseAndUnload();

 private:
  bool Fail(LoadError::Kind kind, const std::string& path, const std::string& message);

  std::string registry_file_;
  void* registry_module_ = nullptr;
  void* factory_module_ = nullptr;
  IComponentFactory* factory_ = nullptr;
  IRegisterFront* front_ = nullptr;
  LoadError error_;
  unsigned generation_ = 0;
};

}  // namespace pelok

#endif  // PELOK_LOADER_H_

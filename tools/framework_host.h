// The framework loaded as a host program loads it: the DLL registry file, the registry module,
// the factory module, and the components asked of the factory.
#ifndef PELOK_TOOLS_FRAMEWORK_HOST_H_
#define PELOK_TOOLS_FRAMEWORK_HOST_H_

#include <string>

#include "framework/component_factory.h"
#include "framework/xml_document.h"
#include "pelok/register_front.h"

namespace pelok {
namespace tool {

class FrameworkHost {
 public:
  FrameworkHost() = default;
  FrameworkHost(const FrameworkHost&) = delete;
  FrameworkHost& operator=(const FrameworkHost&) = delete;
  // Close().
  ~FrameworkHost();

  // registry_option: the DLL registry file the user named (relative to the current directory),
  // or empty for Pelok.ini beside the executable. On failure *error names what failed.
  bool Open(const std::string& registry_option, std::string* error);
  bool is_open() const { return front_ != nullptr; }

  // The register front (component 991); null before Open.
  IRegisterFront* front() const { return front_; }
  // A new document component (id 1), or null. The caller releases it with Destroy(0).
  IXmlDocument* CreateDocument();
  // The DLL registry file in use, after its redirects.
  const std::string& registry_file() const { return registry_file_; }

  // Closes every key and destroys the front, which writes the store file.
  void CloseRegistry();
  // CloseRegistry(), then releases the factory. The modules stay loaded until the process
  // ends: components of theirs may still be alive.
  void Close();

 private:
  std::string registry_file_;
  IComponentFactory* factory_ = nullptr;
  IRegisterFront* front_ = nullptr;
};

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_FRAMEWORK_HOST_H_

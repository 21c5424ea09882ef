// The framework as pelreg uses it: opened through the loader from the DLL registry file the
// user named (or Pelok.ini beside pelreg), with a document component at hand for reading the
// store file.
#ifndef PELOK_TOOLS_FRAMEWORK_HOST_H_
#define PELOK_TOOLS_FRAMEWORK_HOST_H_

#include <string>

#include "pelok/loader.h"
#include "pelok/register_front.h"
#include "pelok/xml_document.h"

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
  // or empty for Pelok.ini beside the executable. On failure *error says what failed and what
  // to do about it.
  bool Open(const std::string& registry_option, std::string* error);
  bool is_open() const { return framework_.front() != nullptr; }

  // The register front (component 991); null before Open.
  IRegisterFront* front() const { return framework_.front(); }
  // A new document component (id 1), or null. The caller releases it with Destroy(0).
  IXmlDocument* CreateDocument();
  // The DLL registry file in use, after its redirects.
  const std::string& registry_file() const { return framework_.registry_file(); }

  // Closes every key and destroys the front, which writes the store file.
  void CloseRegistry();
  // CloseRegistry(), then releases the factory.
  void Close();

 private:
  Framework framework_;
};

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_FRAMEWORK_HOST_H_

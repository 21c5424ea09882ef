#include "tools/framework_host.h"

namespace pelok {
namespace tool {

FrameworkHost::~FrameworkHost() { Close(); }

bool FrameworkHost::Open(const std::string& registry_option, std::string* error) {
  if (framework_.Open(registry_option)) return true;
  *error = framework_.error().message;
  if (framework_.error().kind == LoadError::Kind::kRegistryFile) {
    *error += " (pelreg reads Pelok.ini beside itself, or --registry FILE)";
  }
  return false;
}

IXmlDocument* FrameworkHost::CreateDocument() {
  return static_cast<IXmlDocument*>(framework_.Create(component_id::kXmlDocument));
}

// The factory stays open: pelreg may still read the store file through a document.
void FrameworkHost::CloseRegistry() { framework_.CloseRegistry(); }

void FrameworkHost::Close() { framework_.Close(); }

}  // namespace tool
}  // namespace pelok

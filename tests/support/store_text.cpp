#include "tests/support/store_text.h"

#include <cstdio>

#include "pelok/module.h"
#include "pelok/xml_document.h"
#include "platform/win32_api.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {

bool ReadStoreText(const std::string& path, std::string* text) {
  text->clear();
  LoadedModule module(BinPath("PelXml.dll"));
  if (!module.loaded()) return false;
  auto create = module.Get<CreateComponentFn>("CreateComponent");
  if (create == nullptr) return false;
  auto* document = static_cast<IXmlDocument*>(create(component_id::kXmlDocument, 0));
  if (document == nullptr) return false;
  // Written whole to a file of its own: a document saved to a file it did not read writes the
  // whole store and touches neither the store file nor its journal.
  TempDir dir;
  const std::string copy = dir.Join("store-text.xml");
  const bool read = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
                    document->Load(path.c_str()) != 0 && document->Save(copy.c_str()) != 0 &&
                    ReadFileBytes(copy, text);
  document->Destroy(1);
  return read;
}

std::string StoreText(const std::string& path) {
  std::string text;
  return ReadStoreText(path, &text) ? text : "<missing>";
}

}  // namespace test
}  // namespace pelok

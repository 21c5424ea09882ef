// The store text the model reads (tests/support/store_text.h), for the fuzz targets: the
// registry and its document code live in the fuzzer's own process, so the document that reads
// the store is made here instead of being loaded from PelXml.dll (a clang build keeps the
// sanitizers' runtime in the executable, which a module cannot be linked against).
#include "tests/support/store_text.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <system_error>

#include "platform/win32_api.h"
#include "xmldoc/xml_document.h"

namespace pelok {
namespace test {
namespace {

// A file name of its own for each read, beside no store file.
std::filesystem::path CopyPath() {
  static std::atomic<unsigned> counter{0};
  std::error_code error;
  const std::filesystem::path dir = std::filesystem::temp_directory_path(error);
  return dir / ("pelok-fuzz-store-text-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter.fetch_add(1)) + ".xml");
}

bool ReadWhole(const std::filesystem::path& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

bool ReadStoreText(const std::string& path, std::string* text) {
  text->clear();
  auto* document = new (std::nothrow) XmlDocument();
  if (document == nullptr) return false;
  // Written whole to a file of its own: a document saved to a file it did not read writes the
  // whole store and touches neither the store file nor its journal.
  const std::filesystem::path copy = CopyPath();
  const bool read = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
                    document->Load(path.c_str()) != 0 &&
                    document->Save(copy.string().c_str()) != 0 && ReadWhole(copy, text);
  document->Destroy(1);
  std::error_code error;
  std::filesystem::remove(copy, error);
  return read;
}

std::string StoreText(const std::string& path) {
  std::string text;
  return ReadStoreText(path, &text) ? text : "<missing>";
}

}  // namespace test
}  // namespace pelok

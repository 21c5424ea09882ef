// The store component (1139) of the real module, created through the module's export with
// the real XML document component behind it, on a store file in a fresh directory; the file is
// read back with pugixml.
#ifndef PELOK_TESTS_STORE_COMPONENT_FIXTURE_H_
#define PELOK_TESTS_STORE_COMPONENT_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "store/register_store.h"
#include "tests/support/persistence_host.h"
#include "tests/support/store_text.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {

// Closes the store (which writes the file) before the module goes.
class StoreComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.ready());
    store_ = static_cast<IRegisterStore*>(host_.Create(component_id::kXmlRegisterStore));
    ASSERT_NE(nullptr, store_);
    path_ = dir_.Join("registry.xml");
  }
  void TearDown() override { CloseStore(); }

  void CloseStore() {
    if (store_ != nullptr) store_->Destroy(0);
    store_ = nullptr;
  }
  int Open() { return store_->OpenStoreFile(path_.c_str()); }

  // The store as pugixml reads it (the file with its journal, as the document module reads
  // them); fails the test when it does not load.
  bool Parse(pugi::xml_document* document) {
    std::string text;
    EXPECT_TRUE(test::ReadStoreText(path_, &text));
    const pugi::xml_parse_result result = document->load_buffer(
        text.data(), text.size(), pugi::parse_default | pugi::parse_declaration);
    EXPECT_TRUE(result) << result.description();
    return static_cast<bool>(result);
  }
  std::string FileBytes() {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path_, &bytes));
    return bytes;
  }
  // Names of the files in the store's directory that begin with prefix.
  std::vector<std::string> FilesStartingWith(const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
    }
    return names;
  }

  int SetNumber(const char* key, const char* name, uint32_t number, unsigned size = 4) {
    return store_->SetValue(key, name, 2, &number, size);
  }

  TempDir dir_;
  RegistryHost host_;
  IRegisterStore* store_ = nullptr;
  std::string path_;
};

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_STORE_COMPONENT_FIXTURE_H_

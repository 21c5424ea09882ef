// The store driven with a document component of another maker (PelForeignXml.dll, named in the
// DLL registry file instead of PelXml.dll): it opens, keeps aside and refuses store files as it
// always has, and never calls one of that component's reserved slots, which may hold anything.
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32_api.h"
#include "store/register_store.h"
#include "tests/support/persistence_host.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::BinPath;
using test::TempDir;

// The DLL registry file that names the foreign document module; written before the host loads.
std::string ForeignRegistryFile(const TempDir& dir) {
  const std::string path = dir.Join("Foreign.ini");
  test::WriteFileBytes(path, "[361]\nDLL=" + BinPath("PelFact.dll") +
                                 "\n\n[Modules]\nregistry=" + BinPath("PelReg.dll") +
                                 "\nxml=" + BinPath("PelForeignXml.dll") + "\n");
  return path;
}

class StoreForeignDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.ready());
    store_ = NewStore();
    ASSERT_NE(nullptr, store_);
    const HMODULE foreign = GetModuleHandleA("PelForeignXml.dll");
    ASSERT_NE(nullptr, foreign);
    reserved_calls_ = GetExport<int (*)()>(foreign, "PelForeignXmlReservedCalls");
    ASSERT_NE(nullptr, reserved_calls_);
    const auto live = GetExport<int (*)()>(foreign, "PelForeignXmlLiveDocuments");
    ASSERT_NE(nullptr, live);
    ASSERT_EQ(1, live()) << "the store's document is the foreign module's";
    path_ = dir_.Join("registry.xml");
  }
  void TearDown() override {
    Close();
    if (reserved_calls_ != nullptr) {
      EXPECT_EQ(0, reserved_calls_()) << "a reserved slot was called";
    }
  }

  IRegisterStore* NewStore() {
    return static_cast<IRegisterStore*>(host_.Create(component_id::kXmlRegisterStore));
  }
  void Close() {
    if (store_ != nullptr) store_->Destroy(0);
    store_ = nullptr;
  }
  size_t SetAside() const {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      if (entry.path().filename().string().find(".corrupt-") != std::string::npos) ++count;
    }
    return count;
  }

  TempDir dir_;
  test::RegistryHost host_{ForeignRegistryFile(dir_)};
  IRegisterStore* store_ = nullptr;
  int (*reserved_calls_)() = nullptr;
  std::string path_;
};

TEST_F(StoreForeignDocumentTest, ANewStoreIsMadeReadAndWritten) {
  ASSERT_EQ(1, store_->OpenStoreFile(path_.c_str()));
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  const uint32_t number = 8080;
  ASSERT_EQ(1, store_->SetValue("share/app", "port", 2, &number, 4));
  ASSERT_EQ(1, store_->Save());
  Close();
  store_ = NewStore();
  ASSERT_EQ(1, store_->OpenStoreFile(path_.c_str()));
  uint32_t read = 0;
  int type = 0;
  unsigned size = 4;
  ASSERT_EQ(1, store_->QueryValue("share/app", "port", &type, &read, &size));
  EXPECT_EQ(8080u, read);
  EXPECT_EQ(0u, SetAside());
}

TEST_F(StoreForeignDocumentTest, ADamagedFileIsSetAsideAsBefore) {
  const std::string damaged = "<?xml version=\"1.0\"?><processregister><share><app>";
  ASSERT_TRUE(test::WriteFileBytes(path_, damaged));
  ASSERT_EQ(1, store_->OpenStoreFile(path_.c_str()));
  EXPECT_EQ(1u, SetAside());
  EXPECT_EQ(1, store_->CreateKeyPath("share/app"));
}

TEST_F(StoreForeignDocumentTest, ADirectoryIsRefused) {
  ASSERT_TRUE(std::filesystem::create_directory(path_));
  EXPECT_EQ(0, store_->OpenStoreFile(path_.c_str()));
  EXPECT_EQ(0u, SetAside());
  EXPECT_TRUE(std::filesystem::is_directory(path_));
}

#if !defined(_WIN32)
TEST_F(StoreForeignDocumentTest, AFifoIsRefusedBeforeTheDocumentSeesIt) {
  ASSERT_EQ(0, mkfifo(path_.c_str(), 0600));
  EXPECT_EQ(0, store_->OpenStoreFile(path_.c_str()));
  EXPECT_EQ(0u, SetAside());
  EXPECT_TRUE(std::filesystem::is_fifo(path_));
}
#endif

}  // namespace
}  // namespace pelok

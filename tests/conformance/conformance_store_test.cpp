// The XML register store (component 1139) of the real module, created through the module's
// export and driven through IRegisterStore: where its file may be made, and when it is written.
#include <filesystem>
#include <string>

#include "gtest/gtest.h"
#include "store/register_store.h"
#include "tests/support/pelreg_module.h"
#include "tests/support/store_text.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {
namespace {

namespace fs = std::filesystem;

class StoreConformanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.complete());
    module_.SetDLLRegistry(BinPath("Pelok.ini").c_str());
    store_ =
        static_cast<IRegisterStore*>(module_.CreateComponent(component_id::kXmlRegisterStore, 0));
    ASSERT_NE(nullptr, store_);
  }
  void TearDown() override {
    if (store_ != nullptr) store_->Destroy(0);
    EXPECT_EQ(1, module_.PelokDllCanUnloadNow()) << "an instance of the module is left";
  }
  std::string FileText(const std::string& path) {
    std::string bytes;
    return ReadStoreText(path, &bytes) ? bytes : "<missing>";
  }
  bool AnyFileStartsWith(const std::string& prefix) {
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    }
    return false;
  }

  PelRegModule module_;
  TempDir dir_;
  IRegisterStore* store_ = nullptr;
};

TEST_F(StoreConformanceTest, CreateKeyPathSavesAlsoWhenTheKeyIsThereAlready) {
  const std::string path = dir_.Join("registry.xml");
  ASSERT_EQ(1, store_->OpenStoreFile(path.c_str()));
  ASSERT_EQ(1, store_->CreateKeyPath("pelok/a/b"));
  const char text[] = "pending";
  ASSERT_EQ(1, store_->SetValue("pelok/a/b", "v", value_type::kText, text, sizeof(text)));
  EXPECT_EQ(std::string::npos, FileText(path).find("pending")) << "edits stay in memory";

  ASSERT_EQ(1, store_->CreateKeyPath("pelok/a/b"));
  const std::string file = FileText(path);
  EXPECT_NE(std::string::npos, file.find("pending")) << file;
  EXPECT_EQ(file.find("<b"), file.rfind("<b")) << "nothing was added: " << file;
}

TEST_F(StoreConformanceTest, OnlyOneMissingDirectoryLevelWithAValidNameIsMade) {
  const std::string made = dir_.Join("made");
  ASSERT_EQ(1, store_->OpenStoreFile(JoinPath(made, "registry.xml").c_str()));
  EXPECT_TRUE(fs::is_directory(made));
  EXPECT_TRUE(FileExistsAt(JoinPath(made, "registry.xml")));
  store_->Destroy(0);

  for (const char* directory : {"sub*", "sub?"}) {
    SCOPED_TRACE(directory);
    store_ =
        static_cast<IRegisterStore*>(module_.CreateComponent(component_id::kXmlRegisterStore, 0));
    ASSERT_NE(nullptr, store_);
    const std::string refused = dir_.Join(directory);
    EXPECT_EQ(0, store_->OpenStoreFile(JoinPath(refused, "registry.xml").c_str()));
    EXPECT_FALSE(FileExistsAt(refused)) << "nothing is made on the disk";
    EXPECT_EQ(0, store_->CreateKeyPath("share/app"));
    store_->Destroy(0);
  }
  store_ = nullptr;
}

TEST_F(StoreConformanceTest, ADirectoryInThePlaceOfTheStoreFileIsNeitherOpenedNorSetAside) {
  const std::string path = dir_.Join("registry.xml");
  ASSERT_TRUE(fs::create_directory(path));
  EXPECT_EQ(0, store_->OpenStoreFile(path.c_str()));
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_FALSE(AnyFileStartsWith("registry.xml.")) << "a directory is not a damaged store";
  EXPECT_EQ(0, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, store_->Save());
}

}  // namespace
}  // namespace test
}  // namespace pelok

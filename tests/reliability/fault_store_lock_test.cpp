// A store file whose lock cannot be taken (a file system without locks, as flock refusing with
// ENOLCK shows it): reads still work, every write fails with its result, and nothing the
// registry held is lost: once locks work again the same values are written. Also a store file
// deleted or replaced by another process while this one holds it.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/fault_injection.h"
#include "tests/support/fault_registry_host.h"
#include "tests/support/store_text.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace fault {
namespace {

constexpr uint32_t kShare = 0xbffffff3u;

class FaultStoreLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseInProcessFactory();
    front_ = CreateFront();
    ASSERT_NE(nullptr, front_);
    ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
    app_ = Key("app");
    ASSERT_NE(0u, app_);
    ASSERT_EQ(1, front_->SetValue(app_, "keep", 1, "kept", 5));
    ASSERT_EQ(1, front_->Flush());
  }
  void TearDown() override {
    fault_injection::Restore();
    if (front_ != nullptr) front_->Destroy(1);
    EXPECT_EQ(0, LiveInstances());
    EXPECT_EQ(0, LiveDocuments());
  }
  uint32_t Key(const char* sub_key) {
    uint32_t key = 0;
    int disposition = 0;
    return front_->CreateKey(kShare, sub_key, 2, 0, &key, &disposition) ? key : 0;
  }
  std::string Text(const char* name) {
    char text[64] = {};
    int size = sizeof(text);
    return front_->QueryStringValue(app_, name, text, &size) ? std::string(text) : "<missing>";
  }
  std::string FileBytes() {
    std::string bytes;
    return test::ReadFileBytes(path_, &bytes) ? bytes : "<missing>";
  }
  // The store the file and its journal hold.
  std::string StoreBytes() { return test::StoreText(path_); }

  test::TempDir dir_;
  std::string path_ = dir_.Join("registry.xml");
  IRegisterFront* front_ = nullptr;
  uint32_t app_ = 0;
};

TEST_F(FaultStoreLockTest, WithoutLocksReadsWorkAndWritesFailWithoutLosingAnything) {
  const std::string before = FileBytes();
  ASSERT_TRUE(fault_injection::FailCall("flock", 1, ENOLCK, true));
  EXPECT_EQ("kept", Text("keep")) << "reading needs no lock";
  ASSERT_EQ(1, front_->SetValue(app_, "new", 1, "held", 5));
  EXPECT_EQ(0, front_->Flush()) << "a write that cannot be serialised is refused";
  EXPECT_EQ(before, FileBytes()) << "the file is as it was";
  EXPECT_EQ("held", Text("new")) << "the value waits in the document";
  fault_injection::Restore();
  EXPECT_EQ(1, front_->Flush());
  EXPECT_NE(std::string::npos, StoreBytes().find("held"));
}

TEST_F(FaultStoreLockTest, AStoreDeletedWhileHeldIsWrittenAfreshByTheNextChange) {
  ASSERT_EQ(0, std::remove(path_.c_str()));
  EXPECT_EQ(1, front_->Flush()) << "nothing of its own to write";
  EXPECT_EQ("<missing>", FileBytes());
  ASSERT_EQ(1, front_->SetValue(app_, "new", 1, "after", 6));
  EXPECT_EQ(1, front_->Flush());
  EXPECT_NE(std::string::npos, StoreBytes().find("after"));
  EXPECT_NE(std::string::npos, StoreBytes().find("kept"));
}

TEST_F(FaultStoreLockTest, AStoreReplacedWhileHeldKeepsTheOtherFilesContent) {
  ASSERT_TRUE(test::WriteFileBytes(
      path_,
      "<?xml version=\"1.0\"?><processregister><share><app><other type=\"1\" size=\"6\">"
      "other</other></app></share></processregister>"));
  EXPECT_EQ("other", Text("other")) << "the replacement is read at the next operation";
  ASSERT_EQ(1, front_->SetValue(app_, "new", 1, "mine", 5));
  EXPECT_EQ(1, front_->Flush());
  EXPECT_NE(std::string::npos, StoreBytes().find("other"));
  EXPECT_NE(std::string::npos, StoreBytes().find("mine"));
}

TEST_F(FaultStoreLockTest, AStoreThatNoLongerParsesIsNeverOverwritten) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "<processregister><share>"));
  ASSERT_EQ(1, front_->SetValue(app_, "new", 1, "mine", 5));
  EXPECT_EQ(0, front_->Flush());
  EXPECT_EQ("<processregister><share>", FileBytes());
  EXPECT_EQ("mine", Text("new")) << "the held document goes on";
}

}  // namespace
}  // namespace fault
}  // namespace pelok

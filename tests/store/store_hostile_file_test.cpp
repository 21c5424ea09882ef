// A store path that names no file the store can hold: a directory (on every system), a FIFO and
// a device (POSIX). The store refuses to open it at once, reads nothing of it, never sets it
// aside and never writes over it.
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32_api.h"
#include "tests/support/store_component_fixture.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::StoreComponentTest;

using StoreHostileFileTest = StoreComponentTest;

TEST_F(StoreHostileFileTest, ADirectoryIsNoStoreFile) {
  ASSERT_TRUE(std::filesystem::create_directory(path_));
  EXPECT_EQ(0, Open());
  EXPECT_EQ(0, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, store_->Save());
  CloseStore();
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_TRUE(std::filesystem::is_empty(path_));
  EXPECT_TRUE(FilesStartingWith("registry.xml.").empty()) << "nothing set aside or left beside";
}

#if defined(_WIN32)
TEST_F(StoreHostileFileTest, ADeviceIsRefusedWithoutReadingIt) {
  // The null device stands in every directory.
  EXPECT_EQ(0, store_->OpenStoreFile(dir_.Join("NUL").c_str()));
  EXPECT_EQ(0, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, store_->Save());
  EXPECT_TRUE(FilesStartingWith("NUL").empty());
}
#else
TEST_F(StoreHostileFileTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  ASSERT_EQ(0, mkfifo(path_.c_str(), 0600));
  // Opening it to read would wait for ever for a writer.
  EXPECT_EQ(0, Open());
  EXPECT_EQ(0, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, store_->Save());
  CloseStore();
  struct stat info;
  ASSERT_EQ(0, stat(path_.c_str(), &info));
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO stays where it is, what it is";
  EXPECT_TRUE(FilesStartingWith("registry.xml.").empty());
}

TEST_F(StoreHostileFileTest, ADeviceIsRefusedWithoutReadingIt) {
  // /dev/zero never ends: reading it whole would take every byte of memory there is.
  EXPECT_EQ(0, store_->OpenStoreFile("/dev/zero"));
  EXPECT_EQ(0, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, store_->Save());
  EXPECT_EQ(0, store_->OpenStoreFile("/dev/null"));
}
#endif

}  // namespace
}  // namespace pelok

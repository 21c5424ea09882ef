// Hostile conditions met for real: a full disk (RLIMIT_FSIZE), a directory where the store file
// should be, a factory that gives no allocator or no XML document. Every operation gives its
// failure, nothing crashes, and the store file keeps what it held.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/fault_injection.h"
#include "platform/posix/posix_syscalls.h"
#include "tests/support/fault_registry_host.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace fault {
namespace {

constexpr uint32_t kShare = 0xbffffff3u;
constexpr uint32_t kUser = 0x7ffffff4u;

// A read-only directory as the system shows it to a user without the right to write there. Root
// writes anywhere, so for root the routed calls refuse every change inside the directory.
std::string read_only_dir;

bool Inside(const char* path) {
  return path != nullptr && std::string(path).compare(0, read_only_dir.size(), read_only_dir) == 0;
}

int RefuseChange(int error) {
  errno = error;
  return -1;
}

void MakeReadOnly(const std::string& dir) {
  if (geteuid() != 0) {
    chmod(dir.c_str(), 0555);
    return;
  }
  read_only_dir = dir;
  posix::SyscallTable& table = posix::Syscalls();
  table.open = [](const char* path, int flags, mode_t mode) {
    if (Inside(path) && (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0) {
      return RefuseChange(EACCES);
    }
    return ::open(path, flags, mode);
  };
  table.rename = [](const char* from, const char* to) {
    return Inside(from) || Inside(to) ? RefuseChange(EACCES) : ::rename(from, to);
  };
  table.unlink = [](const char* path) {
    return Inside(path) ? RefuseChange(EACCES) : ::unlink(path);
  };
  table.mkdir = [](const char* path, mode_t mode) {
    return Inside(path) ? RefuseChange(EACCES) : ::mkdir(path, mode);
  };
  table.chmod = [](const char* path, mode_t mode) {
    return Inside(path) ? RefuseChange(EPERM) : ::chmod(path, mode);
  };
}

void MakeWritable(const std::string& dir) {
  chmod(dir.c_str(), 0755);
  fault_injection::Restore();
}

class FaultScenariosTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseInProcessFactory();
    front_ = CreateFront();
    ASSERT_NE(nullptr, front_);
  }
  void TearDown() override {
    MakeWritable(dir_.path());
    RefuseComponent(component_id::kAllocator, false);
    RefuseComponent(component_id::kXmlDocument, false);
    if (front_ != nullptr) front_->Destroy(1);
    EXPECT_EQ(0, LiveInstances());
    EXPECT_EQ(0, LiveDocuments());
    EXPECT_EQ(0, Allocator()->CountLiveBlocks(0));
  }
  uint32_t Key(uint32_t root, const char* sub_key, int kind) {
    uint32_t key = 0;
    int disposition = 0;
    return front_->CreateKey(root, sub_key, kind, 0, &key, &disposition) ? key : 0;
  }
  // A store file holding share/app/keep, written and closed; returns its bytes.
  std::string WriteBase() {
    EXPECT_EQ(1, front_->SetStoreFile(path_.c_str()));
    const uint32_t app = Key(kShare, "app", 2);
    EXPECT_EQ(1, front_->SetValue(app, "keep", 1, "kept", 5));
    front_->Destroy(1);
    front_ = CreateFront();
    std::string bytes;
    EXPECT_TRUE(test::ReadFileBytes(path_, &bytes));
    return bytes;
  }

  test::TempDir dir_;
  std::string path_ = dir_.Join("registry.xml");
  IRegisterFront* front_ = nullptr;
};

TEST_F(FaultScenariosTest, AFullDiskFailsTheFlushAndKeepsTheFile) {
  const std::string base = WriteBase();
  ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
  const uint32_t app = Key(kShare, "app", 2);
  ASSERT_NE(0u, app);
  const std::string big(20000, 'b');
  ASSERT_EQ(1, front_->SetValue(app, "big", 1, big.c_str(), static_cast<int>(big.size() + 1)));
  rlimit old_limit;
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old_limit));
  rlimit limit = old_limit;
  limit.rlim_cur = 4096;
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
  const int flushed = front_->Flush();
  setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_EQ(0, flushed) << "the file could not be written";
  std::string bytes;
  ASSERT_TRUE(test::ReadFileBytes(path_, &bytes));
  EXPECT_EQ(base, bytes) << "the old content stays";
  EXPECT_EQ(1, front_->Flush()) << "with room again the same values are written";
  char text[8] = {};
  int size = sizeof(text);
  EXPECT_EQ(1, front_->QueryStringValue(app, "keep", text, &size));
}

TEST_F(FaultScenariosTest, AReadOnlyDirectoryKeepsItsStoreFileAsItWas) {
  const std::string base = WriteBase();
  MakeReadOnly(dir_.path());
  ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
  const uint32_t app = Key(kShare, "app", 2);
  ASSERT_NE(0u, app) << "the store file is read";
  char text[8] = {};
  int size = sizeof(text);
  EXPECT_EQ(1, front_->QueryStringValue(app, "keep", text, &size));
  EXPECT_EQ(1, front_->SetValue(app, "new", 1, "n", 2)) << "values change in memory";
  EXPECT_EQ(0, front_->Flush()) << "but cannot be written";
  front_->Destroy(1);
  front_ = CreateFront();
  const std::string other = dir_.Join("other.xml");
  ASSERT_EQ(1, front_->SetStoreFile(other.c_str()));
  EXPECT_EQ(0u, Key(kShare, "app", 2)) << "no new store file in a read-only directory";
  MakeWritable(dir_.path());
  std::string bytes;
  ASSERT_TRUE(test::ReadFileBytes(path_, &bytes));
  EXPECT_EQ(base, bytes);
  EXPECT_FALSE(test::FileExistsAt(other));
}

TEST_F(FaultScenariosTest, AReadOnlyStoreFileIsMadeWritableAndUsed) {
  WriteBase();
  ASSERT_EQ(0, chmod(path_.c_str(), 0444));
  ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
  const uint32_t app = Key(kShare, "app", 2);
  ASSERT_NE(0u, app);
  ASSERT_EQ(1, front_->SetValue(app, "new", 1, "n", 2));
  EXPECT_EQ(1, front_->Flush());
  struct stat info;
  ASSERT_EQ(0, stat(path_.c_str(), &info));
  EXPECT_NE(0u, info.st_mode & S_IWUSR) << "the read-only mark was taken off";
  front_->Destroy(1);
  front_ = CreateFront();
  ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
  char text[8] = {};
  int size = sizeof(text);
  EXPECT_EQ(1, front_->QueryStringValue(Key(kShare, "app", 2), "new", text, &size));
}

TEST_F(FaultScenariosTest, ADirectoryWhereTheStoreFileShouldBe) {
  ASSERT_TRUE(std::filesystem::create_directory(path_));
  ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
  EXPECT_EQ(0u, Key(kShare, "app", 2)) << "no store on a directory";
  EXPECT_EQ(0, front_->Flush());
  const uint32_t memory = Key(kUser, "mem", 1);
  ASSERT_NE(0u, memory) << "memory keys go on working";
  EXPECT_EQ(1, front_->SetValue(memory, "x", 1, "y", 2));
  EXPECT_TRUE(std::filesystem::is_directory(path_));
}

TEST_F(FaultScenariosTest, NoAllocatorRefusesWhatNeedsABlock) {
  ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
  const uint32_t app = Key(kShare, "app", 2);
  const uint32_t memory = Key(kUser, "mem", 1);
  ASSERT_NE(0u, app);
  ASSERT_NE(0u, memory);
  RefuseComponent(component_id::kAllocator, true);
  EXPECT_EQ(0, front_->SetValue(memory, "text", 1, "abc", 4)) << "a memory text needs a block";
  const uint32_t number = 7;
  EXPECT_EQ(1, front_->SetValue(memory, "n", 2, &number, 4)) << "a number needs none";
  EXPECT_EQ(0, front_->SetValue(app, "blob", 3, "\x03\x04\x05", 3));
  EXPECT_EQ(0, front_->HasValue(app, "blob")) << "no half-made value is left";
  RefuseComponent(component_id::kAllocator, false);
  EXPECT_EQ(1, front_->SetValue(app, "blob", 3, "\x03\x04\x05", 3)) << "asked again, it works";
  unsigned char blob[4] = {};
  int size = sizeof(blob);
  ASSERT_EQ(1, front_->QueryBinaryValue(app, "blob", blob, &size));
  EXPECT_EQ(3, size);
  EXPECT_EQ(0x05, blob[2]);
}

TEST_F(FaultScenariosTest, NoXmlDocumentLeavesTheStoreFileAlone) {
  const std::string base = WriteBase();
  RefuseComponent(component_id::kXmlDocument, true);
  ASSERT_EQ(1, front_->SetStoreFile(path_.c_str()));
  EXPECT_EQ(0u, Key(kShare, "app", 2));
  EXPECT_EQ(0, front_->Flush());
  EXPECT_NE(0u, Key(kUser, "mem", 1));
  front_->Destroy(1);
  front_ = nullptr;
  std::string bytes;
  ASSERT_TRUE(test::ReadFileBytes(path_, &bytes));
  EXPECT_EQ(base, bytes);
}

}  // namespace
}  // namespace fault
}  // namespace pelok

// Fault injection into the POSIX layer's system calls, and what the Win32 calls make of the
// failures: the right last error, loops that survive interrupted and short transfers.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/fault_injection.h"
#include "platform/posix/posix_syscalls.h"
#include "platform/win32_api.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

class FaultInjectionTest : public ::testing::Test {
 protected:
  FaultInjectionTest() { fault_injection::Restore(); }
  ~FaultInjectionTest() override { fault_injection::Restore(); }

  HANDLE Create(DWORD access = GENERIC_READ | GENERIC_WRITE) {
    return CreateFileA(path_.c_str(), access, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  }

  std::string Contents() {
    std::string bytes;
    EXPECT_TRUE(test::ReadFileBytes(path_, &bytes));
    return bytes;
  }

  test::TempDir dir_;
  std::string path_ = dir_.Join("file.bin");
};

TEST_F(FaultInjectionTest, RejectsUnknownCallsAndPositions) {
  EXPECT_TRUE(fault_injection::Supported());
  EXPECT_FALSE(fault_injection::FailCall("mmap", 1, EIO));
  EXPECT_FALSE(fault_injection::FailCall(nullptr, 1, EIO));
  EXPECT_FALSE(fault_injection::FailCall("write", 0, EIO));
  EXPECT_EQ(fault_injection::UseCount("mmap"), -1);
}

TEST_F(FaultInjectionTest, CountsUses) {
  HANDLE file = Create();
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "abc", 3, &done, nullptr));
  ASSERT_TRUE(WriteFile(file, "def", 3, &done, nullptr));
  ASSERT_TRUE(CloseHandle(file));
  EXPECT_EQ(fault_injection::UseCount("open"), 1);  // a new file: one exclusive create
  EXPECT_EQ(fault_injection::UseCount("write"), 2);
  EXPECT_EQ(fault_injection::UseCount("close"), 1);
  EXPECT_EQ(fault_injection::UseCount("fsync"), 0);
  fault_injection::Restore();
  EXPECT_EQ(fault_injection::UseCount("write"), 0);
}

TEST_F(FaultInjectionTest, FailsTheNthUseOnly) {
  HANDLE file = Create();
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(fault_injection::FailCall("write", 2, ENOSPC));
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(file, "one", 3, &done, nullptr));
  EXPECT_FALSE(WriteFile(file, "two", 3, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(done, 0u);
  EXPECT_TRUE(WriteFile(file, "six", 3, &done, nullptr));
  CloseHandle(file);
  EXPECT_EQ(Contents(), "onesix");
}

TEST_F(FaultInjectionTest, PersistentFaultLastsUntilRestored) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "data"));
  HANDLE file = Create(GENERIC_READ);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(fault_injection::FailCall("read", 1, EIO, true));
  char buf[8];
  DWORD done = 0;
  EXPECT_FALSE(ReadFile(file, buf, sizeof(buf), &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_READ_FAULT);
  EXPECT_FALSE(ReadFile(file, buf, sizeof(buf), &done, nullptr));
  fault_injection::Restore();
  EXPECT_TRUE(ReadFile(file, buf, sizeof(buf), &done, nullptr));
  EXPECT_EQ(std::string(buf, done), "data");
  CloseHandle(file);
}

TEST_F(FaultInjectionTest, FailedOpenGivesTheMappedError) {
  ASSERT_TRUE(fault_injection::FailCall("open", 1, EACCES));
  EXPECT_EQ(Create(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(fault_injection::FailCall("open", 1, EMFILE));
  EXPECT_EQ(Create(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_OPEN_FILES);
  HANDLE file = Create();
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

TEST_F(FaultInjectionTest, InterruptedTransfersAreRetried) {
  HANDLE file = Create();
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(fault_injection::FailCall("write", 1, EINTR));
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(file, "hello", 5, &done, nullptr));
  EXPECT_EQ(done, 5u);
  ASSERT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
  ASSERT_TRUE(fault_injection::FailCall("read", 1, EINTR));
  char buf[8];
  EXPECT_TRUE(ReadFile(file, buf, sizeof(buf), &done, nullptr));
  EXPECT_EQ(std::string(buf, done), "hello");
  CloseHandle(file);
}

TEST_F(FaultInjectionTest, ShortTransfersAreCompleted) {
  // At most three bytes per call, as a slow device or a signal could leave it.
  posix::Syscalls().write = [](int fd, const void* buf, size_t size) {
    return ::write(fd, buf, size < 3 ? size : 3);
  };
  posix::Syscalls().read = [](int fd, void* buf, size_t size) {
    return ::read(fd, buf, size < 3 ? size : 3);
  };
  HANDLE file = Create();
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(file, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(done, 10u);
  EXPECT_EQ(fault_injection::UseCount("write"), 4);
  ASSERT_EQ(SetFilePointer(file, 1, nullptr, FILE_BEGIN), 1u);
  char buf[16];
  EXPECT_TRUE(ReadFile(file, buf, 8, &done, nullptr));
  EXPECT_EQ(std::string(buf, done), "12345678");
  CloseHandle(file);
  fault_injection::Restore();
  EXPECT_EQ(Contents(), "0123456789");
}

TEST_F(FaultInjectionTest, WriteFailingMidwayReportsWhatWasWritten) {
  posix::Syscalls().write = [](int fd, const void* buf, size_t size) {
    return ::write(fd, buf, size < 4 ? size : 4);
  };
  HANDLE file = Create();
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(fault_injection::FailCall("write", 2, ENOSPC));
  DWORD done = 0;
  EXPECT_FALSE(WriteFile(file, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(done, 4u);
  CloseHandle(file);
  EXPECT_EQ(Contents(), "0123");
}

TEST_F(FaultInjectionTest, FlushAndSeekFailures) {
  HANDLE file = Create();
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(fault_injection::FailCall("fsync", 1, EIO));
  EXPECT_FALSE(FlushFileBuffers(file));
  EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
  EXPECT_TRUE(FlushFileBuffers(file));
  ASSERT_TRUE(fault_injection::FailCall("lseek", 1, EIO, true));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  fault_injection::Restore();
  ASSERT_TRUE(fault_injection::FailCall("fstat", 1, EIO));
  EXPECT_EQ(GetFileSize(file, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  CloseHandle(file);
}

TEST_F(FaultInjectionTest, WriteThroughMoveSyncsTheDirectory) {
  const std::string target = dir_.Join("target.bin");
  ASSERT_TRUE(test::WriteFileBytes(path_, "x"));
  ASSERT_TRUE(MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(fault_injection::UseCount("fsync"), 0);
  ASSERT_TRUE(MoveFileExA(target.c_str(), path_.c_str(), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(fault_injection::UseCount("fsync"), 1);

  // The sync failing is reported: the move happened, but it is not known to be on disk.
  ASSERT_TRUE(fault_injection::FailCall("fsync", 1, EIO));
  EXPECT_FALSE(MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(GetLastError(), ERROR_WRITE_FAULT);
  EXPECT_TRUE(test::FileExistsAt(target));
}

TEST_F(FaultInjectionTest, PathCallsReportTheirErrors) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "x"));
  ASSERT_TRUE(fault_injection::FailCall("stat", 1, EACCES));
  EXPECT_EQ(GetFileAttributesA(path_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(fault_injection::FailCall("chmod", 1, EROFS));
  EXPECT_FALSE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(fault_injection::FailCall("unlink", 1, EBUSY));
  EXPECT_FALSE(DeleteFileA(path_.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_BUSY);
  const std::string sub = dir_.Join("sub");
  ASSERT_TRUE(fault_injection::FailCall("mkdir", 1, ENOSPC));
  EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(fault_injection::FailCall("rmdir", 1, EBUSY));
  EXPECT_FALSE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_BUSY);
  ASSERT_TRUE(fault_injection::FailCall("rename", 1, EXDEV));
  EXPECT_FALSE(MoveFileExA(path_.c_str(), dir_.Join("moved").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
  ASSERT_TRUE(fault_injection::FailCall("access", 1, EACCES));
  EXPECT_FALSE(MoveFileExA(path_.c_str(), dir_.Join("moved").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(test::FileExistsAt(path_));
  EXPECT_TRUE(test::FileExistsAt(sub));
}

TEST_F(FaultInjectionTest, TruncationFailureLeavesNoHandle) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "data"));
  ASSERT_TRUE(fault_injection::FailCall("ftruncate", 1, EIO));
  EXPECT_EQ(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  // The descriptor was closed again.
  EXPECT_EQ(fault_injection::UseCount("close"), 1);
  EXPECT_EQ(Contents(), "data");
}

TEST_F(FaultInjectionTest, UnreadableIniFileGivesTheDefault) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "[s]\nk=v\n"));
  char buf[16];
  ASSERT_TRUE(fault_injection::FailCall("read", 1, EIO));
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "dflt", buf, sizeof(buf), path_.c_str()), 4u);
  EXPECT_STREQ(buf, "dflt");
  EXPECT_EQ(fault_injection::UseCount("close"), 1);  // not left open
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "dflt", buf, sizeof(buf), path_.c_str()), 1u);
  EXPECT_STREQ(buf, "v");
}

}  // namespace
}  // namespace pelok

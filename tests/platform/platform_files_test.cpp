// File handles: CreateFileA dispositions, reading, writing, the file pointer and the size. Run
// against the real Win32 API in the Windows build as well.
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/file_information.h"
#include "platform/win32_api.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

class FileHandleTest : public ::testing::Test {
 protected:
  HANDLE Open(const std::string& path, DWORD access, DWORD disposition, DWORD attributes = 0) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, attributes,
                       nullptr);
  }

  std::string Contents(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(test::ReadFileBytes(path, &bytes));
    return bytes;
  }

  // The pointer's position (low word) without moving it.
  DWORD Position(HANDLE file) { return SetFilePointer(file, 0, nullptr, FILE_CURRENT); }

  test::TempDir dir_;
  std::string path_ = dir_.Join("file.bin");
};

TEST_F(FileHandleTest, CreateNewRefusesAnExistingFile) {
  HANDLE file = Open(path_, GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Open(path_, GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
}

TEST_F(FileHandleTest, OpenAlwaysKeepsAndReportsAnExistingFile) {
  SetLastError(1234);
  HANDLE file = Open(path_, GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(file);
  ASSERT_TRUE(test::WriteFileBytes(path_, "kept"));
  file = Open(path_, GENERIC_READ, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(file, nullptr), 4u);
  CloseHandle(file);
}

TEST_F(FileHandleTest, CreateAlwaysEmptiesAndReportsAnExistingFile) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "old contents"));
  HANDLE file = Open(path_, GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(file, nullptr), 0u);
  CloseHandle(file);
  EXPECT_EQ(Contents(path_), "");
}

TEST_F(FileHandleTest, TruncateExistingNeedsTheFile) {
  EXPECT_EQ(Open(path_, GENERIC_WRITE, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(test::WriteFileBytes(path_, "old"));
  HANDLE file = Open(path_, GENERIC_WRITE, TRUNCATE_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(Contents(path_), "");
}

TEST_F(FileHandleTest, MissingFileAndMissingDirectoryAreToldApart) {
  EXPECT_EQ(Open(path_, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(dir_.Join("no_dir/file.bin"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Open(dir_.Join("no_dir/file.bin"), GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileHandleTest, UnknownDispositionIsRefused) {
  EXPECT_EQ(Open(path_, GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Open(path_, GENERIC_READ, 6), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(test::FileExistsAt(path_));
}

TEST_F(FileHandleTest, DirectoryCannotBeOpenedAsAFile) {
  EXPECT_EQ(Open(dir_.path(), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Open(dir_.path(), GENERIC_READ, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

// The information by name is what a handle of the same file tells, figure by figure, since the
// document module compares stamps taken both ways.
TEST_F(FileHandleTest, InformationByNameIsTheHandlesOwn) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "twelve bytes"));
  HANDLE file = Open(path_, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  BY_HANDLE_FILE_INFORMATION by_handle;
  ASSERT_TRUE(GetFileInformationByHandle(file, &by_handle));
  CloseHandle(file);
  BY_HANDLE_FILE_INFORMATION by_name;
  ASSERT_TRUE(PelokGetFileInformationByName(path_.c_str(), &by_name));
  EXPECT_EQ(12u, by_name.nFileSizeLow);
  EXPECT_EQ(by_handle.nFileSizeLow, by_name.nFileSizeLow);
  EXPECT_EQ(by_handle.nFileSizeHigh, by_name.nFileSizeHigh);
  EXPECT_EQ(by_handle.dwVolumeSerialNumber, by_name.dwVolumeSerialNumber);
  EXPECT_EQ(by_handle.nFileIndexHigh, by_name.nFileIndexHigh);
  EXPECT_EQ(by_handle.nFileIndexLow, by_name.nFileIndexLow);
  EXPECT_EQ(by_handle.nNumberOfLinks, by_name.nNumberOfLinks);
  EXPECT_EQ(by_handle.ftLastWriteTime.dwLowDateTime, by_name.ftLastWriteTime.dwLowDateTime);
  EXPECT_EQ(by_handle.ftLastWriteTime.dwHighDateTime, by_name.ftLastWriteTime.dwHighDateTime);
  EXPECT_EQ(by_handle.dwFileAttributes, by_name.dwFileAttributes);

  // Another file at the name is another index.
  const std::string other = dir_.Join("other.bin");
  ASSERT_TRUE(test::WriteFileBytes(other, "twelve bytes"));
  ASSERT_TRUE(MoveFileExA(other.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING));
  BY_HANDLE_FILE_INFORMATION replaced;
  ASSERT_TRUE(PelokGetFileInformationByName(path_.c_str(), &replaced));
  EXPECT_TRUE(replaced.nFileIndexLow != by_name.nFileIndexLow ||
              replaced.nFileIndexHigh != by_name.nFileIndexHigh);
}

TEST_F(FileHandleTest, InformationByNameFailsWhereOpeningWould) {
  BY_HANDLE_FILE_INFORMATION info;
  EXPECT_FALSE(PelokGetFileInformationByName(path_.c_str(), &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(PelokGetFileInformationByName(dir_.path().c_str(), &info));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FileHandleTest, WriteSeekAndReadBack) {
  HANDLE file = Open(path_, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "hello world", 11, &done, nullptr));
  EXPECT_EQ(done, 11u);
  EXPECT_EQ(GetFileSize(file, nullptr), 11u);

  EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
  char buf[16] = {0};
  ASSERT_TRUE(ReadFile(file, buf, sizeof(buf), &done, nullptr));
  EXPECT_EQ(done, 5u);  // stopped by the end of the file
  EXPECT_EQ(std::string(buf, done), "world");
  ASSERT_TRUE(ReadFile(file, buf, sizeof(buf), &done, nullptr));
  EXPECT_EQ(done, 0u);  // at the end: success with nothing read

  EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_CURRENT), 6u);
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_END), 10u);
  // Past the end: the file grows only when written there, with zeros in the gap.
  EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_END), 13u);
  EXPECT_EQ(GetFileSize(file, nullptr), 11u);
  ASSERT_TRUE(WriteFile(file, "!", 1, &done, nullptr));
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Contents(path_), std::string("hello world\0\0!", 14));
}

TEST_F(FileHandleTest, NegativeSeekFailsAndKeepsThePointer) {
  HANDLE file = Open(path_, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "abc", 3, &done, nullptr));
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Position(file), 3u);
  CloseHandle(file);
}

TEST_F(FileHandleTest, HighWordOfThePointer) {
  HANDLE file = Open(path_, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(file, 5, &high, FILE_BEGIN), 5u);
  EXPECT_EQ(high, 1);
  high = 0;
  EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT), 5u);
  EXPECT_EQ(high, 1);
  // Without the high word the result is the low word alone.
  EXPECT_EQ(SetFilePointer(file, 1, nullptr, FILE_CURRENT), 6u);
  high = 0;
  EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT), 6u);
  EXPECT_EQ(high, 1);

  // A position whose low word looks like the failure value says so in the last error.
  high = 0;
  SetLastError(1234);
  EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_BEGIN), 0xFFFFFFFFu);
  EXPECT_EQ(high, 0);
  EXPECT_EQ(GetLastError(), NO_ERROR);
  CloseHandle(file);
}

TEST_F(FileHandleTest, HandleOpenedForOneDirectionRefusesTheOther) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "data"));
  HANDLE reader = Open(path_, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  DWORD done = 99;
  EXPECT_FALSE(WriteFile(reader, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(done, 0u);
  CloseHandle(reader);

  HANDLE writer = Open(path_, GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  char buf[4];
  done = 99;
  EXPECT_FALSE(ReadFile(writer, buf, sizeof(buf), &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(done, 0u);
  CloseHandle(writer);
  EXPECT_EQ(Contents(path_), "data");
}

TEST_F(FileHandleTest, NullHandleIsInvalid) {
  char buf[4];
  DWORD done = 0;
  EXPECT_FALSE(ReadFile(nullptr, buf, sizeof(buf), &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(WriteFile(nullptr, buf, sizeof(buf), &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileHandleTest, ReadOnlyAttributeAtCreation) {
  HANDLE file = Open(path_, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(file, "abc", 3, &done, nullptr));  // the creator's handle writes
  CloseHandle(file);
  const DWORD attributes = GetFileAttributesA(path_.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Contents(path_), "abc");
}

#if !defined(_WIN32)
// Windows refuses to write to a read-only file whoever asks; the POSIX layer does the same even
// for root, who could write regardless of the mode. (Wine running as root lets it through,
// hence not checked against Wine.)
TEST_F(FileHandleTest, ReadOnlyFileRefusesWriting) {
  ASSERT_TRUE(test::WriteFileBytes(path_, "keep"));
  ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Open(path_, GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Open(path_, GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Contents(path_), "keep");
  HANDLE reader = Open(path_, GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);
}
#endif

TEST_F(FileHandleTest, PathMayUseBackslashes) {
  ASSERT_TRUE(CreateDirectoryA((dir_.path() + "\\sub").c_str(), nullptr));
  HANDLE file = Open(dir_.path() + "\\sub\\file.txt", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(file, "ok", 2, &done, nullptr));
  CloseHandle(file);
  EXPECT_EQ(Contents(dir_.Join("sub/file.txt")), "ok");
}

TEST_F(FileHandleTest, AFileIsOfTheDiskType) {
  HANDLE file = Open(path_, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FILE_TYPE_DISK, GetFileType(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(FILE_TYPE_UNKNOWN, GetFileType(INVALID_HANDLE_VALUE));
}

#if defined(_WIN32)
TEST_F(FileHandleTest, ADeviceIsOfTheCharacterType) {
  HANDLE file = Open("NUL", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FILE_TYPE_CHAR, GetFileType(file));
  EXPECT_TRUE(CloseHandle(file));
}
#else
TEST_F(FileHandleTest, ADeviceIsOfTheCharacterType) {
  for (const char* device : {"/dev/null", "/dev/zero"}) {
    HANDLE file = Open(device, GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << device;
    EXPECT_EQ(FILE_TYPE_CHAR, GetFileType(file)) << device;
    EXPECT_TRUE(CloseHandle(file));
  }
}

// A FIFO opens at once, without a writer (a blocking open would wait for ever), shows itself as
// a pipe, and a read of it answers at once too: there is nothing.
TEST_F(FileHandleTest, AFifoOpensWithoutWaitingAndIsOfThePipeType) {
  ASSERT_EQ(0, mkfifo(path_.c_str(), 0600));
  HANDLE file = Open(path_, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FILE_TYPE_PIPE, GetFileType(file));
  char byte = 0;
  DWORD read = 1;
  EXPECT_TRUE(ReadFile(file, &byte, 1, &read, nullptr));
  EXPECT_EQ(0u, read);
  EXPECT_TRUE(CloseHandle(file));
  // Opened for writing without a reader it fails at once instead of waiting for one.
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(path_, GENERIC_WRITE, OPEN_EXISTING));
  // A file opened for reading reads on as files do: nothing is left non-blocking.
  ASSERT_TRUE(test::WriteFileBytes(dir_.Join("plain.bin"), "abc"));
  file = Open(dir_.Join("plain.bin"), GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(0, fcntl(static_cast<int>(reinterpret_cast<intptr_t>(file)), F_GETFL) & O_NONBLOCK);
  EXPECT_EQ(FILE_TYPE_DISK, GetFileType(file));
  EXPECT_TRUE(CloseHandle(file));
}
#endif

}  // namespace
}  // namespace pelok

// pelreg's file operations on POSIX. Read-only is the owner write bit, as the registry treats
// it, so that a read-only store file is refused the same way when root runs pelreg.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/system_files.h"

namespace pelok {
namespace tool {

namespace {

// The path as the file system takes it: a backslash is a separator, as for the registry.
std::string SystemPath(const std::string& path) {
  std::string system = path;
  for (char& c : system) {
    if (c == '\\') c = '/';
  }
  return system;
}

// Which part of a missing path is missing, told apart the way Windows does: the directory
// that should hold it, or only the file.
std::string MissingReason(const std::string& system_path) {
  const size_t slash = system_path.rfind('/');
  // The working directory and the root exist.
  if (slash == std::string::npos || slash == 0) return "no such file";
  struct stat info;
  const std::string directory = system_path.substr(0, slash);
  if (stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return "no such directory";
  return "no such file";
}

// The reason for an errno value of a call on system_path.
std::string Reason(int error, const std::string& system_path) {
  switch (error) {
    case ENOENT:
      return MissingReason(system_path);
    case ENOTDIR:
    case ELOOP:
      return "no such directory";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return "permission denied";
    case ENOMEM:
      return "not enough memory";
    case EMFILE:
    case ENFILE:
      return "too many open files";
    case ENOSPC:
    case EDQUOT:
      return "no space left on the device";
    case EFBIG:
      return "the file would be too large";
    case ENAMETOOLONG:
      return "the name is too long";
    default:
      return std::strerror(error);
  }
}

bool Status(const std::string& path, struct stat* info) {
  return stat(SystemPath(path).c_str(), info) == 0;
}

bool Writable(const struct stat& info) { return (info.st_mode & S_IWUSR) != 0; }

// Makes a rename into the directory of system_path durable.
bool SyncDirectoryOf(const std::string& system_path, std::string* reason) {
  const size_t slash = system_path.rfind('/');
  const std::string directory = slash == std::string::npos ? "."
                                : slash == 0               ? "/"
                                                           : system_path.substr(0, slash);
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *reason = Reason(errno, directory);
    return false;
  }
  const bool synced = fsync(fd) == 0;
  if (!synced) *reason = Reason(errno, directory);
  close(fd);
  return synced;
}

}  // namespace

bool IsFile(const std::string& path) {
  struct stat info;
  return Status(path, &info) && S_ISREG(info.st_mode);
}

bool IsSpecialFile(const std::string& path) {
  struct stat info;
  return Status(path, &info) && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return Status(path, &info) && S_ISDIR(info.st_mode);
}

bool IsReadOnly(const std::string& path) {
  struct stat info;
  return Status(path, &info) && !Writable(info);
}

bool ClearReadOnly(const std::string& path) {
  struct stat info;
  if (!Status(path, &info)) return false;
  return chmod(SystemPath(path).c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

NewFile CreateNewFile(const std::string& path, std::string* reason) {
  const std::string system_path = SystemPath(path);
  // O_EXCL fails on anything already there, a dangling link included; O_NOFOLLOW says so twice.
  const int fd =
      open(system_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd >= 0) {
    close(fd);
    return NewFile::kCreated;
  }
  if (errno == EEXIST) return NewFile::kTaken;
  *reason = Reason(errno, system_path);
  return NewFile::kFailed;
}

FileWriter::~FileWriter() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

bool FileWriter::Open(const std::string& path, std::string* reason) {
  const std::string system_path = SystemPath(path);
  const int fd = open(system_path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    *reason = Reason(errno, system_path);
    return false;
  }
  struct stat info;
  bool opened = false;
  // Refused before anything is emptied: root may write a read-only file, pelreg may not.
  if (fstat(fd, &info) != 0) {
    *reason = Reason(errno, system_path);
  } else if (S_ISDIR(info.st_mode) || !Writable(info)) {
    *reason = Reason(EACCES, system_path);
  } else if (ftruncate(fd, 0) != 0) {
    *reason = Reason(errno, system_path);
  } else {
    opened = true;
  }
  if (!opened) {
    close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

bool FileWriter::Write(const void* data, size_t size, std::string* reason) {
  const char* bytes = static_cast<const char*>(data);
  for (size_t done = 0; done < size;) {
    const ssize_t wrote = write(static_cast<int>(handle_), bytes + done, size - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      *reason = wrote == 0 ? Reason(ENOSPC, "") : Reason(errno, "");
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}

bool FileWriter::Sync(std::string* reason) {
  if (fsync(static_cast<int>(handle_)) == 0) return true;
  *reason = Reason(errno, "");
  return false;
}

bool MoveOver(const std::string& from, const std::string& to, std::string* reason) {
  const std::string system_from = SystemPath(from);
  const std::string system_to = SystemPath(to);
  if (rename(system_from.c_str(), system_to.c_str()) != 0) {
    const int error = errno;
    if (error == EISDIR || error == ENOTDIR || error == ENOTEMPTY || error == EEXIST) {
      // A directory in the way, or a directory that would replace a file.
      *reason = Reason(EACCES, system_to);
    } else if (error == ENOENT && access(system_from.c_str(), F_OK) == 0) {
      // With the file there, it is the other's directory that is missing.
      *reason = "no such directory";
    } else {
      *reason = Reason(error, system_from);
    }
    return false;
  }
  return SyncDirectoryOf(system_to, reason);
}

void RemoveFile(const std::string& path) {
  const std::string system_path = SystemPath(path);
  struct stat info;
  if (stat(system_path.c_str(), &info) == 0 && (S_ISDIR(info.st_mode) || !Writable(info))) return;
  unlink(system_path.c_str());
}

uint32_t ProcessId() { return static_cast<uint32_t>(getpid()); }

bool IsCodePageLeadByte(unsigned char /*c*/) { return false; }

const bool kFileNamesIgnoreCase = false;

}  // namespace tool
}  // namespace pelok

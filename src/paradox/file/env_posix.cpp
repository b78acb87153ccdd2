// Env over the POSIX file system.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "paradox/env.h"

namespace pdx {
namespace {

Status PosixError(const std::string& path, const char* what, int err) {
  std::string msg = path + ": " + what + ": " + std::strerror(err);
  if (err == ENOENT) return Status::NotFound(msg);
  return Status::IOError(msg);
}

class PosixRandomAccessFile final : public RandomAccessFile {
 public:
  // Files are read with pread, never mapped: on the virtual machines the
  // agencies' files are read from, first-touch page faults on a mapping cost
  // several times the copy out of the page cache that a read makes, and scans
  // read through reused windows (file/window_reader.h) instead. It also spares
  // readers the fault a mapped file truncated in place by another program
  // would give.
  PosixRandomAccessFile(std::string path, int fd, uint64_t size, size_t preferred)
      : path_(std::move(path)), fd_(fd), size_(size), preferred_(preferred) {}
  ~PosixRandomAccessFile() override { ::close(fd_); }
  Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const override {
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pread(fd_, scratch + done, n - done, static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        *got = done;
        return PosixError(path_, "read", errno);
      }
      if (r == 0) break;
      done += static_cast<size_t>(r);
    }
    *got = done;
    return Status::OK();
  }
  uint64_t Size() const override { return size_; }
  size_t PreferredReadBytes() const override { return preferred_; }

 private:
  std::string path_;
  int fd_;
  uint64_t size_;
  size_t preferred_;
};

// kNetworkReadBytes for a file on a network file system (a share mounted
// with CIFS/SMB, NFS, AFS, Ceph), else 0.
size_t PreferredReadBytes(int fd) {
#ifdef __linux__
  struct statfs fs {};
  if (::fstatfs(fd, &fs) != 0) return 0;
  switch (static_cast<uint32_t>(fs.f_type)) {
    case 0xFF534D42u:  // CIFS
    case 0xFE534D42u:  // SMB2
    case 0x517Bu:      // SMB
    case 0x6969u:      // NFS
    case 0x5346414Fu:  // AFS
    case 0x00C36400u:  // Ceph
      return kNetworkReadBytes;
    default:
      return 0;
  }
#else
  (void)fd;
  return 0;
#endif
}

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(std::string path, int fd, uint64_t pos) : path_(std::move(path)), fd_(fd), pos_(pos) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  Status Append(const char* data, size_t n) override {
    PDX_RETURN_IF_ERROR(WriteAt(pos_, data, n));
    return Status::OK();
  }
  Status WriteAt(uint64_t offset, const char* data, size_t n) override {
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pwrite(fd_, data + done, n - done, static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return PosixError(path_, "write", errno);
      }
      done += static_cast<size_t>(r);
    }
    if (offset + n > pos_) pos_ = offset + n;
    return Status::OK();
  }
  Status Flush() override { return Status::OK(); }
  Status Sync() override {
    if (::fsync(fd_) != 0) return PosixError(path_, "fsync", errno);
    return Status::OK();
  }
  Status SyncData() override {
    if (::fdatasync(fd_) != 0) return PosixError(path_, "fdatasync", errno);
    return Status::OK();
  }
  Status Close() override {
    if (fd_ < 0) return Status::OK();
    int r = ::close(fd_);
    fd_ = -1;
    if (r != 0) return PosixError(path_, "close", errno);
    return Status::OK();
  }

 private:
  std::string path_;
  int fd_;
  uint64_t pos_;
};

class PosixFileLock final : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }

 private:
  int fd_;
};

class PosixEnv final : public Env {
 public:
  Status NewRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* out) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PosixError(path, "open", errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      int e = errno;
      ::close(fd);
      return PosixError(path, "stat", e);
    }
    if (!S_ISREG(st.st_mode)) {
      ::close(fd);
      return Status::IOError(path + ": not a regular file");
    }
    *out = std::make_unique<PosixRandomAccessFile>(path, fd, static_cast<uint64_t>(st.st_size), PreferredReadBytes(fd));
    return Status::OK();
  }
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return PosixError(path, "create", errno);
    *out = std::make_unique<PosixWritableFile>(path, fd, 0);
    return Status::OK();
  }
  Status NewUpdatableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return PosixError(path, "open for update", errno);
    off_t end = ::lseek(fd, 0, SEEK_END);
    *out = std::make_unique<PosixWritableFile>(path, fd, end < 0 ? 0 : static_cast<uint64_t>(end));
    return Status::OK();
  }
  bool FileExists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  bool DirExists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  Status GetChildren(const std::string& dir, std::vector<std::string>* names) override {
    names->clear();
    DIR* d = ::opendir(dir.c_str());
    if (!d) return PosixError(dir, "list", errno);
    while (struct dirent* e = ::readdir(d)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
      names->emplace_back(e->d_name);
    }
    ::closedir(d);
    return Status::OK();
  }
  Status GetFileSize(const std::string& path, uint64_t* size) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return PosixError(path, "stat", errno);
    *size = static_cast<uint64_t>(st.st_size);
    return Status::OK();
  }
  Status RemoveFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return PosixError(path, "remove", errno);
    return Status::OK();
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return PosixError(from + " -> " + to, "rename", errno);
    return Status::OK();
  }
  Status CreateDir(const std::string& path) override {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return PosixError(path, "mkdir", errno);
    return Status::OK();
  }
  Status RemoveDir(const std::string& path) override {
    if (::rmdir(path.c_str()) != 0) return PosixError(path, "rmdir", errno);
    return Status::OK();
  }
  Status SyncDir(const std::string& dir) override {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return PosixError(dir, "open directory", errno);
    int r = ::fsync(fd);
    int e = errno;
    ::close(fd);
    if (r != 0) return PosixError(dir, "fsync directory", e);
    return Status::OK();
  }
  Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) override {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return PosixError(path, "open lock", errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      int e = errno;
      ::close(fd);
      if (e == EWOULDBLOCK) return Status::Busy(path + ": in use by another process");
      return PosixError(path, "lock", e);
    }
    *lock = std::make_unique<PosixFileLock>(fd);
    return Status::OK();
  }
  Status ProbeFileLock(const std::string& path, LockProbe* probe) override {
    // F_GETLK sees POSIX record locks of other processes, which is what Samba
    // maps Windows byte-range locks to, and what a CIFS mount asks the server.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PosixError(path, "open", errno);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;  // the whole file, and beyond its end where engines lock
    int r = ::fcntl(fd, F_GETLK, &fl);
    int e = errno;
    ::close(fd);
    if (r != 0) {
      *probe = LockProbe::kUnknown;
      if (e == EINVAL || e == ENOLCK || e == EOPNOTSUPP) return Status::OK();
      return PosixError(path, "probe lock", e);
    }
    *probe = fl.l_type == F_UNLCK ? LockProbe::kFree : LockProbe::kHeld;
    return Status::OK();
  }
};

}  // namespace

Env* Env::Default() {
  static PosixEnv env;
  return &env;
}

std::string EnvironmentVariable(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? v : "";
}

std::string SystemTempDir() {
  std::string t = EnvironmentVariable("TMPDIR");
  return t.empty() ? "/tmp" : t;
}

std::vector<std::string> ArgumentsUtf8(int argc, char** argv) { return {argv + 1, argv + argc}; }

std::string DisplayPath(const std::string& path) { return path; }

}  // namespace pdx

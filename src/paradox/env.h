#pragma once
// All file access of the engine goes through Env, so that tests can swap in an
// in-memory file system or one that fails at a chosen write, flush or rename.
//
// Contract:
//  - Paths are host paths (already converted from Windows form by the caller).
//  - Every method returns a Status; NotFound only for a missing file or directory,
//    IOError for any other failure of the underlying system.
//  - A RandomAccessFile may be read from several places; reads past the end return
//    fewer bytes (never an error), so callers must check the count.
//  - A WritableFile's data is durable only after Sync() returned OK.
//  - RenameFile replaces the target atomically where the platform allows it.
//  - Files are replaced by writing a new one and renaming it over the old, never
//    by truncating a file in place: readers may hold the old one mapped.
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "paradox/status.h"

namespace pdx {

// What a file on a network share asks for at a time (PreferredReadBytes):
// at 100 MB/s, 8 MiB take 80 ms to come, against a round trip of 0.2-30 ms.
inline constexpr size_t kNetworkReadBytes = 8u << 20;

class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // Reads up to n bytes at offset into scratch; *got receives the count read.
  virtual Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const = 0;
  virtual uint64_t Size() const = 0;
  // Bytes a scan should ask for at a time, 0 for the reader's own choice: a
  // file on a network share answers a request a round trip later, so its
  // scans ask for far more at once than a local disk's would.
  virtual size_t PreferredReadBytes() const { return 0; }
};

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status Append(const char* data, size_t n) = 0;
  // Writes at an absolute offset (files opened for update).
  virtual Status WriteAt(uint64_t offset, const char* data, size_t n) = 0;
  virtual Status Flush() = 0;
  virtual Status Sync() = 0;
  // Like Sync, but may leave out metadata that reading the data back does not
  // need (times): cheaper for a file rewritten in place. Same durability of
  // the bytes and the size.
  virtual Status SyncData() { return Sync(); }
  virtual Status Close() = 0;
};

// What can be told about a lock another program holds on a file.
enum class LockProbe {
  kFree,     // the platform shows no lock on it
  kHeld,     // another process holds a lock on (part of) it
  kUnknown,  // this Env cannot tell
};

// An advisory lock held on a file until released.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

class Env {
 public:
  virtual ~Env() = default;

  virtual Status NewRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* out) = 0;
  // Creates or truncates.
  virtual Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* out) = 0;
  // Opens an existing file for in-place update without truncating it.
  virtual Status NewUpdatableFile(const std::string& path, std::unique_ptr<WritableFile>* out) = 0;

  virtual bool FileExists(const std::string& path) = 0;
  // Whether a file exists at path; *actual receives path with its last name
  // spelt as stored, which differs from path only where names ignore case
  // (Windows). The default suits file systems that keep case. A wrapper
  // that answers FileExists itself answers this too.
  virtual bool FileExistsAs(const std::string& path, std::string* actual) {
    if (!FileExists(path)) return false;
    *actual = path;
    return true;
  }
  virtual bool DirExists(const std::string& path) = 0;
  // Names (not paths) of the entries of dir.
  virtual Status GetChildren(const std::string& dir, std::vector<std::string>* names) = 0;
  virtual Status GetFileSize(const std::string& path, uint64_t* size) = 0;
  virtual Status RemoveFile(const std::string& path) = 0;
  virtual Status RenameFile(const std::string& from, const std::string& to) = 0;
  virtual Status CreateDir(const std::string& path) = 0;
  // Removes an empty directory: NotFound when it does not exist, IOError when
  // it still holds entries or is not a directory.
  virtual Status RemoveDir(const std::string& path) = 0;
  // Makes a finished rename or create in dir durable.
  virtual Status SyncDir(const std::string& dir) = 0;
  // Busy when another process has path open in a way that makes a rename
  // over it, or its removal, fail (on Windows: open without delete sharing);
  // OK when nothing stands in the way or the file does not exist. Asked
  // before a commit's first rename, so that a table in use is refused whole.
  // The default: the platform never refuses (POSIX renames over open files).
  virtual Status CheckReplaceable(const std::string& path) {
    (void)path;
    return Status::OK();
  }

  // Exclusive lock (non-blocking): Busy when another process holds it.
  virtual Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) = 0;
  // Tells whether another process holds a byte-range or share lock on an
  // existing file (how the original engine keeps its .LCK files), without taking
  // one. The default cannot tell.
  virtual Status ProbeFileLock(const std::string& path, LockProbe* probe) {
    (void)path;
    *probe = LockProbe::kUnknown;
    return Status::OK();
  }

  // Seconds since 1970-01-01 UTC: the time of structure the engine stamps in
  // the headers of the tables it creates or restructures.
  virtual int64_t NowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

  // The process-wide Env over the real file system.
  static Env* Default();
};

// The few things a program asks of its system besides files, as UTF-8 text.
// On Windows the narrow forms (getenv, argv) give the ANSI code page, which
// cannot hold every user or file name; these read the wide forms there.
// The value of an environment variable; empty when unset.
std::string EnvironmentVariable(const std::string& name);
// The user's temporary directory (TMP, then TEMP on Windows; TMPDIR or /tmp
// elsewhere); empty when the system names none.
std::string SystemTempDir();
// The program's arguments after its name.
std::vector<std::string> ArgumentsUtf8(int argc, char** argv);
// argc and argv again, from ArgumentsUtf8, for a main written against them.
class ArgvUtf8 {
 public:
  ArgvUtf8(int argc, char** argv) : args_(ArgumentsUtf8(argc, argv)), ptrs_{argv[0]} {
    for (std::string& a : args_) ptrs_.push_back(a.data());
    ptrs_.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(ptrs_.size()) - 1; }
  char** argv() { return ptrs_.data(); }

 private:
  std::vector<std::string> args_;
  std::vector<char*> ptrs_;
};
// A path as the system's users write it (backslashes on Windows).
std::string DisplayPath(const std::string& path);

// A fresh in-memory file system (for tests). Owned by the caller.
std::unique_ptr<Env> NewMemEnv();

// Joins a directory and a file name with one separator.
std::string JoinPath(const std::string& dir, const std::string& name);

// Finds the entry of dir whose name equals name without regard to ASCII case
// (installations come from Windows). On success *actual is the full path of the
// existing file; NotFound when there is none.
Status FindFileNoCase(Env* env, const std::string& dir, const std::string& name, std::string* actual);

}  // namespace pdx

// An Env that keeps files and directories in memory, for tests and fuzz targets.
//
// Behaves like the POSIX Env where callers can tell the difference:
//  - a file needs its parent directory (the root and the current directory "" /
//    "." always exist); a missing one is NotFound;
//  - an open RandomAccessFile keeps the content it was opened on even if the
//    path is later replaced by a rename or removed (it shares the old bytes), and
//    its Size() is the size at open time, as with a file descriptor;
//  - RenameFile replaces an existing target atomically;
//  - LockFile is exclusive per path until the FileLock dies, creating the file
//    like the POSIX lock does; a second lock of the same path is Busy, and
//    ProbeFileLock reports a locked path as held by another program.
// Paths are normalised (duplicate and trailing '/' dropped, "./" prefix
// removed), so "d//a.db" and "d/a.db" are one file. Thread-safe.
#include <map>
#include <mutex>
#include <set>

#include "paradox/env.h"

namespace pdx {
namespace {

std::string Normalize(const std::string& p) {
  std::string out;
  out.reserve(p.size());
  for (char c : p) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  while (out.size() >= 2 && out[0] == '.' && out[1] == '/') out.erase(0, 2);
  if (out == ".") out.clear();
  return out;
}

std::string Parent(const std::string& p) {
  size_t slash = p.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return p.substr(0, slash);
}

std::string BaseName(const std::string& p) {
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

using Bytes = std::string;

struct State {
  std::mutex mu;
  std::map<std::string, std::shared_ptr<Bytes>> files;
  std::set<std::string> dirs;
  std::set<std::string> locks;

  bool DirExistsLocked(const std::string& d) const { return d.empty() || d == "/" || dirs.count(d) > 0; }
};

class MemRandomAccessFile final : public RandomAccessFile {
 public:
  MemRandomAccessFile(std::shared_ptr<State> st, std::shared_ptr<Bytes> data)
      : st_(std::move(st)), data_(std::move(data)) {
    std::lock_guard<std::mutex> g(st_->mu);
    size_ = data_->size();
  }
  Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const override {
    std::lock_guard<std::mutex> g(st_->mu);
    *got = 0;
    if (offset >= data_->size()) return Status::OK();
    size_t avail = data_->size() - static_cast<size_t>(offset);
    size_t k = n < avail ? n : avail;
    data_->copy(scratch, k, static_cast<size_t>(offset));
    *got = k;
    return Status::OK();
  }
  uint64_t Size() const override { return size_; }

 private:
  std::shared_ptr<State> st_;
  std::shared_ptr<Bytes> data_;
  uint64_t size_ = 0;
};

class MemWritableFile final : public WritableFile {
 public:
  MemWritableFile(std::shared_ptr<State> st, std::string path, std::shared_ptr<Bytes> data)
      : st_(std::move(st)), path_(std::move(path)), data_(std::move(data)) {
    pos_ = data_->size();
  }
  Status Append(const char* data, size_t n) override { return WriteAt(pos_, data, n); }
  Status WriteAt(uint64_t offset, const char* data, size_t n) override {
    if (closed_) return Status::IOError(path_ + ": write after close");
    std::lock_guard<std::mutex> g(st_->mu);
    size_t off = static_cast<size_t>(offset);
    if (data_->size() < off + n) data_->resize(off + n, '\0');
    if (n) data_->replace(off, n, data, n);
    if (off + n > pos_) pos_ = off + n;
    return Status::OK();
  }
  Status Flush() override { return closed_ ? Status::IOError(path_ + ": flush after close") : Status::OK(); }
  Status Sync() override { return closed_ ? Status::IOError(path_ + ": sync after close") : Status::OK(); }
  Status Close() override {
    closed_ = true;
    return Status::OK();
  }

 private:
  std::shared_ptr<State> st_;
  std::string path_;
  std::shared_ptr<Bytes> data_;
  uint64_t pos_ = 0;
  bool closed_ = false;
};

class MemFileLock final : public FileLock {
 public:
  MemFileLock(std::shared_ptr<State> st, std::string path) : st_(std::move(st)), path_(std::move(path)) {}
  ~MemFileLock() override {
    std::lock_guard<std::mutex> g(st_->mu);
    st_->locks.erase(path_);
  }

 private:
  std::shared_ptr<State> st_;
  std::string path_;
};

class MemEnv final : public Env {
 public:
  MemEnv() : st_(std::make_shared<State>()) {}

  Status NewRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* out) override {
    std::shared_ptr<Bytes> data;
    {
      std::lock_guard<std::mutex> g(st_->mu);
      auto it = st_->files.find(Normalize(path));
      if (it == st_->files.end()) {
        if (st_->dirs.count(Normalize(path))) return Status::IOError(path + ": not a regular file");
        return Status::NotFound(path + ": open: no such file");
      }
      data = it->second;
    }
    *out = std::make_unique<MemRandomAccessFile>(st_, std::move(data));
    return Status::OK();
  }

  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    std::string p = Normalize(path);
    std::lock_guard<std::mutex> g(st_->mu);
    if (st_->dirs.count(p)) return Status::IOError(path + ": create: is a directory");
    if (!st_->DirExistsLocked(Parent(p))) return Status::NotFound(path + ": create: no such directory");
    // A fresh buffer: open readers keep the old bytes. On disk they would see the
    // truncation; the engine never truncates a file a reader has open.
    auto data = std::make_shared<Bytes>();
    st_->files[p] = data;
    *out = std::make_unique<MemWritableFile>(st_, path, std::move(data));
    return Status::OK();
  }

  Status NewUpdatableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    std::string p = Normalize(path);
    std::lock_guard<std::mutex> g(st_->mu);
    auto it = st_->files.find(p);
    if (it == st_->files.end()) return Status::NotFound(path + ": open for update: no such file");
    *out = std::make_unique<MemWritableFile>(st_, path, it->second);
    return Status::OK();
  }

  bool FileExists(const std::string& path) override {
    std::lock_guard<std::mutex> g(st_->mu);
    return st_->files.count(Normalize(path)) > 0;
  }

  bool DirExists(const std::string& path) override {
    std::lock_guard<std::mutex> g(st_->mu);
    return st_->DirExistsLocked(Normalize(path));
  }

  Status GetChildren(const std::string& dir, std::vector<std::string>* names) override {
    names->clear();
    std::string d = Normalize(dir);
    std::lock_guard<std::mutex> g(st_->mu);
    if (!st_->DirExistsLocked(d)) {
      if (st_->files.count(d)) return Status::IOError(dir + ": list: not a directory");
      return Status::NotFound(dir + ": list: no such directory");
    }
    for (const auto& [p, data] : st_->files)
      if (Parent(p) == d) names->push_back(BaseName(p));
    for (const auto& p : st_->dirs)
      if (Parent(p) == d && p != d) names->push_back(BaseName(p));
    return Status::OK();
  }

  Status GetFileSize(const std::string& path, uint64_t* size) override {
    std::lock_guard<std::mutex> g(st_->mu);
    auto it = st_->files.find(Normalize(path));
    if (it == st_->files.end()) return Status::NotFound(path + ": stat: no such file");
    *size = it->second->size();
    return Status::OK();
  }

  Status RemoveFile(const std::string& path) override {
    std::lock_guard<std::mutex> g(st_->mu);
    if (st_->files.erase(Normalize(path)) == 0) return Status::NotFound(path + ": remove: no such file");
    return Status::OK();
  }

  Status RenameFile(const std::string& from, const std::string& to) override {
    std::string f = Normalize(from), t = Normalize(to);
    std::lock_guard<std::mutex> g(st_->mu);
    auto it = st_->files.find(f);
    if (it == st_->files.end()) return Status::NotFound(from + " -> " + to + ": rename: no such file");
    if (st_->dirs.count(t)) return Status::IOError(from + " -> " + to + ": rename: target is a directory");
    if (!st_->DirExistsLocked(Parent(t))) return Status::NotFound(from + " -> " + to + ": rename: no such directory");
    if (f == t) return Status::OK();
    auto data = it->second;
    st_->files.erase(it);
    st_->files[t] = std::move(data);
    return Status::OK();
  }

  Status CreateDir(const std::string& path) override {
    std::string p = Normalize(path);
    std::lock_guard<std::mutex> g(st_->mu);
    if (st_->DirExistsLocked(p)) return Status::OK();
    if (st_->files.count(p)) return Status::IOError(path + ": mkdir: a file has this name");
    if (!st_->DirExistsLocked(Parent(p))) return Status::NotFound(path + ": mkdir: no such directory");
    st_->dirs.insert(p);
    return Status::OK();
  }

  Status RemoveDir(const std::string& path) override {
    std::string p = Normalize(path);
    std::lock_guard<std::mutex> g(st_->mu);
    if (p.empty() || p == "/") return Status::IOError(path + ": rmdir: the root stays");
    if (!st_->dirs.count(p)) {
      if (st_->files.count(p)) return Status::IOError(path + ": rmdir: not a directory");
      return Status::NotFound(path + ": rmdir: no such directory");
    }
    for (const auto& [f, data] : st_->files)
      if (Parent(f) == p) return Status::IOError(path + ": rmdir: directory not empty");
    for (const auto& d : st_->dirs)
      if (d != p && Parent(d) == p) return Status::IOError(path + ": rmdir: directory not empty");
    st_->dirs.erase(p);
    return Status::OK();
  }

  Status SyncDir(const std::string& dir) override {
    std::lock_guard<std::mutex> g(st_->mu);
    if (!st_->DirExistsLocked(Normalize(dir))) return Status::NotFound(dir + ": sync: no such directory");
    return Status::OK();
  }

  Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) override {
    std::string p = Normalize(path);
    std::lock_guard<std::mutex> g(st_->mu);
    if (!st_->DirExistsLocked(Parent(p))) return Status::NotFound(path + ": open lock: no such directory");
    if (st_->locks.count(p)) return Status::Busy(path + ": in use by another process");
    if (!st_->files.count(p)) st_->files[p] = std::make_shared<Bytes>();
    st_->locks.insert(p);
    *lock = std::make_unique<MemFileLock>(st_, p);
    return Status::OK();
  }

  // A path held through LockFile counts as held by another program, so tests
  // can stand in for the original engine keeping its lock files.
  Status ProbeFileLock(const std::string& path, LockProbe* probe) override {
    std::string p = Normalize(path);
    std::lock_guard<std::mutex> g(st_->mu);
    if (!st_->files.count(p)) return Status::NotFound(path + ": probe lock: no such file");
    *probe = st_->locks.count(p) ? LockProbe::kHeld : LockProbe::kFree;
    return Status::OK();
  }

 private:
  std::shared_ptr<State> st_;
};

}  // namespace

std::unique_ptr<Env> NewMemEnv() { return std::make_unique<MemEnv>(); }

}  // namespace pdx

#pragma once
// An Env that passes every call to another one, so that a wrapper overrides
// only what it changes (a test's failing write, a reader's held files, ...).
//
// Contract: the target outlives the wrapper; every method not overridden
// behaves exactly as the target's.
#include "paradox/env.h"

namespace pdx {

class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env* target) : target_(target) {}
  Env* target() const { return target_; }

  Status NewRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* out) override {
    return target_->NewRandomAccessFile(path, out);
  }
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    return target_->NewWritableFile(path, out);
  }
  Status NewUpdatableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    return target_->NewUpdatableFile(path, out);
  }
  bool FileExists(const std::string& path) override { return target_->FileExists(path); }
  bool FileExistsAs(const std::string& path, std::string* actual) override {
    return target_->FileExistsAs(path, actual);
  }
  bool DirExists(const std::string& path) override { return target_->DirExists(path); }
  Status GetChildren(const std::string& dir, std::vector<std::string>* names) override {
    return target_->GetChildren(dir, names);
  }
  Status GetFileSize(const std::string& path, uint64_t* size) override { return target_->GetFileSize(path, size); }
  Status RemoveFile(const std::string& path) override { return target_->RemoveFile(path); }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return target_->RenameFile(from, to);
  }
  Status CreateDir(const std::string& path) override { return target_->CreateDir(path); }
  Status RemoveDir(const std::string& path) override { return target_->RemoveDir(path); }
  Status SyncDir(const std::string& dir) override { return target_->SyncDir(dir); }
  Status CheckReplaceable(const std::string& path) override { return target_->CheckReplaceable(path); }
  int64_t NowSeconds() override { return target_->NowSeconds(); }
  Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) override {
    return target_->LockFile(path, lock);
  }
  Status ProbeFileLock(const std::string& path, LockProbe* probe) override {
    return target_->ProbeFileLock(path, probe);
  }

 private:
  Env* target_;
};

}  // namespace pdx

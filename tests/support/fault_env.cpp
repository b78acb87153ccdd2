#include "support/fault_env.h"

namespace pdx {
namespace {

class FaultWritableFile final : public WritableFile {
 public:
  FaultWritableFile(FaultEnv* env, std::string path, std::unique_ptr<WritableFile> base)
      : env_(env), path_(std::move(path)), base_(std::move(base)) {}
  Status Append(const char* data, size_t n) override {
    bool torn = false;
    Status s = env_->Check(FaultEnv::Op::kWrite, path_, n, &torn);
    if (!s.ok()) {
      // A torn write: half the bytes reach the file; the failure is what counts.
      if (torn && n > 1) base_->Append(data, n / 2).IgnoreError();
      return s;
    }
    return base_->Append(data, n);
  }
  Status WriteAt(uint64_t offset, const char* data, size_t n) override {
    bool torn = false;
    Status s = env_->Check(FaultEnv::Op::kWrite, path_, n, &torn);
    if (!s.ok()) {
      // A torn write: half the bytes reach the file; the failure is what counts.
      if (torn && n > 1) base_->WriteAt(offset, data, n / 2).IgnoreError();
      return s;
    }
    return base_->WriteAt(offset, data, n);
  }
  Status Flush() override {
    PDX_RETURN_IF_ERROR(env_->Check(FaultEnv::Op::kSync, path_));
    return base_->Flush();
  }
  Status Sync() override {
    PDX_RETURN_IF_ERROR(env_->Check(FaultEnv::Op::kSync, path_));
    return base_->Sync();
  }
  // Closing releases the handle even after a crash; it is not a mutation.
  Status Close() override { return base_->Close(); }

 private:
  FaultEnv* env_;
  std::string path_;
  std::unique_ptr<WritableFile> base_;
};

}  // namespace

void FaultEnv::Reset() {
  for (int& c : counts_) c = 0;
  failAt_ = 0;
  sticky_ = false;
  diskFull_ = false;
  budget_ = written_ = 0;
  crashAt_ = 0;
  crashed_ = false;
  held_.clear();
}

void FaultEnv::FailNth(Op op, int n, bool sticky) {
  failOp_ = op;
  failAt_ = count(op) + n;
  sticky_ = sticky;
}

void FaultEnv::SetDiskFull(uint64_t budget) {
  diskFull_ = true;
  budget_ = budget;
  written_ = 0;
}

void FaultEnv::CrashAt(int n) {
  crashAt_ = count(Op::kAny) + n;
  crashed_ = false;
}

Status FaultEnv::Check(Op op, const std::string& path, uint64_t bytes, bool* torn) {
  int& mine = counts_[static_cast<int>(op)];
  int& any = counts_[static_cast<int>(Op::kAny)];
  ++mine;
  ++any;
  if (crashAt_ > 0 && any >= crashAt_) {
    if (torn && !crashed_) *torn = true;
    crashed_ = true;
    return Status::IOError(path + ": simulated crash");
  }
  if (failAt_ > 0 && (failOp_ == op || failOp_ == Op::kAny)) {
    int seen = failOp_ == Op::kAny ? any : mine;
    if (seen == failAt_ || (sticky_ && seen > failAt_)) return Status::IOError(path + ": injected failure");
  }
  if (op == Op::kWrite && diskFull_) {
    if (written_ + bytes > budget_) return Status::IOError(path + ": write: No space left on device");
    written_ += bytes;
  }
  return Status::OK();
}

Status FaultEnv::NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* out) {
  PDX_RETURN_IF_ERROR(Check(Op::kCreate, path));
  std::unique_ptr<WritableFile> f;
  PDX_RETURN_IF_ERROR(base_->NewWritableFile(path, &f));
  *out = std::make_unique<FaultWritableFile>(this, path, std::move(f));
  return Status::OK();
}

Status FaultEnv::NewUpdatableFile(const std::string& path, std::unique_ptr<WritableFile>* out) {
  std::unique_ptr<WritableFile> f;
  PDX_RETURN_IF_ERROR(base_->NewUpdatableFile(path, &f));
  *out = std::make_unique<FaultWritableFile>(this, path, std::move(f));
  return Status::OK();
}

Status FaultEnv::CheckReplaceable(const std::string& path) {
  if (held_.count(path)) return Status::Busy(path + ": open in another program");
  return base_->CheckReplaceable(path);
}

Status FaultEnv::RemoveFile(const std::string& path) {
  PDX_RETURN_IF_ERROR(Check(Op::kRemove, path));
  if (held_.count(path)) return Status::Busy(path + ": remove: open in another program");
  return base_->RemoveFile(path);
}

Status FaultEnv::RenameFile(const std::string& from, const std::string& to) {
  PDX_RETURN_IF_ERROR(Check(Op::kRename, from + " -> " + to));
  if (held_.count(to) || held_.count(from))
    return Status::Busy(from + " -> " + to + ": rename: open in another program");
  return base_->RenameFile(from, to);
}

Status FaultEnv::CreateDir(const std::string& path) {
  PDX_RETURN_IF_ERROR(Check(Op::kCreate, path));
  return base_->CreateDir(path);
}

Status FaultEnv::RemoveDir(const std::string& path) {
  PDX_RETURN_IF_ERROR(Check(Op::kRemove, path));
  return base_->RemoveDir(path);
}

Status FaultEnv::SyncDir(const std::string& dir) {
  PDX_RETURN_IF_ERROR(Check(Op::kSync, dir));
  return base_->SyncDir(dir);
}

}  // namespace pdx

#include "demo/env_rapide.h"

#include <unistd.h>

namespace corv::demo {
namespace {

class FichierSansSync : public pdx::WritableFile {
 public:
  explicit FichierSansSync(std::unique_ptr<pdx::WritableFile> f) : f_(std::move(f)) {}
  pdx::Status Append(const char* data, size_t n) override { return f_->Append(data, n); }
  pdx::Status WriteAt(uint64_t offset, const char* data, size_t n) override { return f_->WriteAt(offset, data, n); }
  pdx::Status Flush() override { return f_->Flush(); }
  pdx::Status Sync() override { return f_->Flush(); }
  pdx::Status Close() override { return f_->Close(); }

 private:
  std::unique_ptr<pdx::WritableFile> f_;
};

class EnvSansSync : public pdx::Env {
 public:
  explicit EnvSansSync(pdx::Env* base) : b_(base) {}
  pdx::Status NewRandomAccessFile(const std::string& p, std::unique_ptr<pdx::RandomAccessFile>* out) override {
    return b_->NewRandomAccessFile(p, out);
  }
  pdx::Status NewWritableFile(const std::string& p, std::unique_ptr<pdx::WritableFile>* out) override {
    return Envelopper(b_->NewWritableFile(p, out), out);
  }
  pdx::Status NewUpdatableFile(const std::string& p, std::unique_ptr<pdx::WritableFile>* out) override {
    return Envelopper(b_->NewUpdatableFile(p, out), out);
  }
  bool FileExists(const std::string& p) override { return b_->FileExists(p); }
  bool DirExists(const std::string& p) override { return b_->DirExists(p); }
  pdx::Status GetChildren(const std::string& d, std::vector<std::string>* n) override { return b_->GetChildren(d, n); }
  pdx::Status GetFileSize(const std::string& p, uint64_t* s) override { return b_->GetFileSize(p, s); }
  pdx::Status RemoveFile(const std::string& p) override { return b_->RemoveFile(p); }
  pdx::Status RenameFile(const std::string& f, const std::string& t) override { return b_->RenameFile(f, t); }
  pdx::Status CreateDir(const std::string& p) override { return b_->CreateDir(p); }
  pdx::Status SyncDir(const std::string&) override { return pdx::Status::OK(); }
  pdx::Status LockFile(const std::string& p, std::unique_ptr<pdx::FileLock>* l) override { return b_->LockFile(p, l); }
  pdx::Status ProbeFileLock(const std::string& p, pdx::LockProbe* probe) override { return b_->ProbeFileLock(p, probe); }

 private:
  static pdx::Status Envelopper(pdx::Status s, std::unique_ptr<pdx::WritableFile>* out) {
    if (s.ok()) *out = std::make_unique<FichierSansSync>(std::move(*out));
    return s;
  }
  pdx::Env* b_;
};

}  // namespace

std::unique_ptr<pdx::Env> NouvelEnvSansSync(pdx::Env* base) { return std::make_unique<EnvSansSync>(base); }

void SyncAll() { ::sync(); }

}  // namespace corv::demo

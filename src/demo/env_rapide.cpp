#include "demo/env_rapide.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include "paradox/env_wrapper.h"

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

class EnvSansSync : public pdx::EnvWrapper {
 public:
  explicit EnvSansSync(pdx::Env* base) : EnvWrapper(base) {}
  pdx::Status NewWritableFile(const std::string& p, std::unique_ptr<pdx::WritableFile>* out) override {
    return Envelopper(target()->NewWritableFile(p, out), out);
  }
  pdx::Status NewUpdatableFile(const std::string& p, std::unique_ptr<pdx::WritableFile>* out) override {
    return Envelopper(target()->NewUpdatableFile(p, out), out);
  }
  pdx::Status SyncDir(const std::string&) override { return pdx::Status::OK(); }

 private:
  static pdx::Status Envelopper(pdx::Status s, std::unique_ptr<pdx::WritableFile>* out) {
    if (s.ok()) *out = std::make_unique<FichierSansSync>(std::move(*out));
    return s;
  }
};

}  // namespace

std::unique_ptr<pdx::Env> NouvelEnvSansSync(pdx::Env* base) { return std::make_unique<EnvSansSync>(base); }

void SyncAll() {
#ifdef _WIN32
  // Windows has no sync of every file for an ordinary user (flushing a volume
  // needs administrator rights): the system writes the files out on its own
  // within seconds, and a demo lost to a crash meanwhile is generated again.
#else
  ::sync();
#endif
}

}  // namespace corv::demo

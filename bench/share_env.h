#pragma once
// A network share simulated over another Env, for benchmarks and tests: every
// operation the real Env would send to a file server costs a round trip, and
// every byte read or written a share of the bandwidth. The caller's thread
// sleeps that long after the operation itself, so that concurrent calls
// overlap as they do on a share (each call waits for itself only, never for
// the others), and each kind of operation is counted.
//
// Charged one round trip each: opening a file (for reading, writing or
// update), each read, each write, sync, rename, removal (of a file or a
// directory), directory creation,
// directory listing, directory sync, existence and size checks, taking a lock
// and probing one. Not charged: a file's size known from its open, closing,
// releasing a lock (on a share these ride on other messages or are not
// waited for).
//
// Contract: the target outlives the wrapper and the files it hands out;
// counters and settings may be read and reset from any thread.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "paradox/env_wrapper.h"

namespace bench {

class ShareEnv final : public pdx::EnvWrapper {
 public:
  enum Op { kOpen, kRead, kWrite, kSync, kRename, kRemove, kMkdir, kList, kSyncDir, kExists, kSize, kLock, kProbe,
            kOpCount };
  static const char* Name(Op op) {
    static const char* const kNames[kOpCount] = {"open", "read",     "write",  "sync", "rename", "remove", "mkdir",
                                                 "list", "sync_dir", "exists", "size", "lock",   "probe"};
    return kNames[op];
  }

  // latencyUs: one round trip; bytesPerSecond: the bandwidth (0: free).
  explicit ShareEnv(pdx::Env* target, double latencyUs = 1000, double bytesPerSecond = 100e6)
      : EnvWrapper(target), latencyUs_(latencyUs), bytesPerSecond_(bytesPerSecond) {}

  void SetLatencyUs(double us) { latencyUs_ = us; }
  double latencyUs() const { return latencyUs_; }
  double bytesPerSecond() const { return bytesPerSecond_; }
  // Counting goes on but nobody sleeps (a benchmark's untimed set-up).
  void SetSleeping(bool on) { sleeping_ = on; }
  // Every operation whose path holds `filter` ("" for all) written to out, one
  // line each (steady clock in ms, kind, bytes, path, thread), before its wait:
  // where a run's round trips go.
  void SetTrace(std::FILE* out, std::string filter = "") {
    std::lock_guard<std::mutex> g(traceMutex_);
    trace_ = out;
    traceFilter_ = std::move(filter);
  }

  uint64_t count(Op op) const { return counts_[op].load(); }
  uint64_t RoundTrips() const {
    uint64_t n = 0;
    for (const auto& c : counts_) n += c.load();
    return n;
  }
  uint64_t bytesRead() const { return bytesRead_.load(); }
  uint64_t bytesWritten() const { return bytesWritten_.load(); }
  // Microseconds slept, summed over every thread.
  double chargedUs() const { return static_cast<double>(chargedNs_.load()) / 1000.0; }
  void ResetCounts() {
    for (auto& c : counts_) c = 0;
    bytesRead_ = bytesWritten_ = chargedNs_ = 0;
  }

  // One operation of kind op moving bytes (read or written): counted, then
  // the caller waits for it.
  void Charge(Op op, uint64_t bytes = 0, bool written = false, const std::string& path = "") {
    counts_[op].fetch_add(1);
    if (trace_) Trace(op, bytes, path);
    (written ? bytesWritten_ : bytesRead_).fetch_add(bytes);
    const double us = latencyUs_ + (bytesPerSecond_ > 0 ? static_cast<double>(bytes) * 1e6 / bytesPerSecond_ : 0);
    const auto ns = static_cast<int64_t>(us * 1000.0);
    chargedNs_.fetch_add(static_cast<uint64_t>(ns));
    if (sleeping_ && ns > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
  }

  pdx::Status NewRandomAccessFile(const std::string& path, std::unique_ptr<pdx::RandomAccessFile>* out) override {
    std::unique_ptr<pdx::RandomAccessFile> f;
    pdx::Status s = target()->NewRandomAccessFile(path, &f);
    Charge(kOpen, 0, false, path);
    if (s.ok()) *out = std::make_unique<Lecture>(this, std::move(f), path);
    return s;
  }
  pdx::Status NewWritableFile(const std::string& path, std::unique_ptr<pdx::WritableFile>* out) override {
    return Ouvrir(target()->NewWritableFile(path, out), out, path);
  }
  pdx::Status NewUpdatableFile(const std::string& path, std::unique_ptr<pdx::WritableFile>* out) override {
    return Ouvrir(target()->NewUpdatableFile(path, out), out, path);
  }
  bool FileExists(const std::string& path) override {
    const bool r = target()->FileExists(path);
    Charge(kExists, 0, false, path);
    return r;
  }
  bool FileExistsAs(const std::string& path, std::string* actual) override {
    const bool r = target()->FileExistsAs(path, actual);
    Charge(kExists, 0, false, path);
    return r;
  }
  bool DirExists(const std::string& path) override {
    const bool r = target()->DirExists(path);
    Charge(kExists, 0, false, path);
    return r;
  }
  pdx::Status GetChildren(const std::string& dir, std::vector<std::string>* names) override {
    pdx::Status s = target()->GetChildren(dir, names);
    // A listing comes back in replies of some 64 KB: about a thousand names.
    Charge(kList, s.ok() ? names->size() * 64 : 0, false, dir);
    return s;
  }
  pdx::Status GetFileSize(const std::string& path, uint64_t* size) override {
    pdx::Status s = target()->GetFileSize(path, size);
    Charge(kSize, 0, false, path);
    return s;
  }
  pdx::Status RemoveFile(const std::string& path) override {
    return Fait(kRemove, target()->RemoveFile(path), path);
  }
  pdx::Status RenameFile(const std::string& from, const std::string& to) override {
    return Fait(kRename, target()->RenameFile(from, to), to);
  }
  pdx::Status CreateDir(const std::string& path) override { return Fait(kMkdir, target()->CreateDir(path), path); }
  pdx::Status RemoveDir(const std::string& path) override { return Fait(kRemove, target()->RemoveDir(path), path); }
  pdx::Status SyncDir(const std::string& dir) override { return Fait(kSyncDir, target()->SyncDir(dir), dir); }
  pdx::Status LockFile(const std::string& path, std::unique_ptr<pdx::FileLock>* lock) override {
    return Fait(kLock, target()->LockFile(path, lock), path);
  }
  pdx::Status ProbeFileLock(const std::string& path, pdx::LockProbe* probe) override {
    return Fait(kProbe, target()->ProbeFileLock(path, probe), path);
  }

 private:
  pdx::Status Fait(Op op, pdx::Status s, const std::string& path = "") {
    Charge(op, 0, false, path);
    return s;
  }

  void Trace(Op op, uint64_t bytes, const std::string& path) {
    std::lock_guard<std::mutex> g(traceMutex_);
    if (!trace_ || (!traceFilter_.empty() && path.find(traceFilter_) == std::string::npos)) return;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
    std::fprintf(trace_, "%12.1f %-8s %9llu %s [%zx]\n", ms, Name(op), static_cast<unsigned long long>(bytes),
                 path.c_str(), std::hash<std::thread::id>()(std::this_thread::get_id()) & 0xfff);
  }

  class Lecture final : public pdx::RandomAccessFile {
   public:
    Lecture(ShareEnv* env, std::unique_ptr<pdx::RandomAccessFile> f, std::string path)
        : env_(env), f_(std::move(f)), path_(std::move(path)) {}
    pdx::Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const override {
      pdx::Status s = f_->Read(offset, n, scratch, got);
      env_->Charge(kRead, *got, false, path_);
      return s;
    }
    uint64_t Size() const override { return f_->Size(); }
    // As a file on a mounted share tells its readers.
    size_t PreferredReadBytes() const override { return pdx::kNetworkReadBytes; }

   private:
    ShareEnv* env_;
    std::unique_ptr<pdx::RandomAccessFile> f_;
    std::string path_;
  };

  class Ecriture final : public pdx::WritableFile {
   public:
    Ecriture(ShareEnv* env, std::unique_ptr<pdx::WritableFile> f, std::string path)
        : env_(env), f_(std::move(f)), path_(std::move(path)) {}
    pdx::Status Append(const char* data, size_t n) override {
      pdx::Status s = f_->Append(data, n);
      env_->Charge(kWrite, n, true, path_);
      return s;
    }
    pdx::Status WriteAt(uint64_t offset, const char* data, size_t n) override {
      pdx::Status s = f_->WriteAt(offset, data, n);
      env_->Charge(kWrite, n, true, path_);
      return s;
    }
    pdx::Status Flush() override { return f_->Flush(); }
    pdx::Status Sync() override { return env_->Fait(kSync, f_->Sync(), path_); }
    pdx::Status SyncData() override { return env_->Fait(kSync, f_->SyncData(), path_); }
    pdx::Status Close() override { return f_->Close(); }

   private:
    ShareEnv* env_;
    std::unique_ptr<pdx::WritableFile> f_;
    std::string path_;
  };

  pdx::Status Ouvrir(pdx::Status s, std::unique_ptr<pdx::WritableFile>* out, const std::string& path) {
    Charge(kOpen, 0, false, path);
    if (s.ok()) *out = std::make_unique<Ecriture>(this, std::move(*out), path);
    return s;
  }

  std::atomic<double> latencyUs_;
  double bytesPerSecond_;
  std::atomic<bool> sleeping_{true};
  std::array<std::atomic<uint64_t>, kOpCount> counts_{};
  std::atomic<uint64_t> bytesRead_{0}, bytesWritten_{0}, chargedNs_{0};
  std::mutex traceMutex_;
  std::atomic<std::FILE*> trace_{nullptr};
  std::string traceFilter_;
};

}  // namespace bench

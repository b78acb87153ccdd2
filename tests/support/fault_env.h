#pragma once
// An Env wrapper that makes a chosen operation fail, for tests of every failure
// point of the writer (a write, a flush or sync, a rename, a create, a removal of a file or directory),
// or that behaves like a full disk or a process killed in the middle of a change.
//
// Contract:
//  - Every call is passed to the wrapped Env unless a rule says it fails; a failed
//    call does nothing (a "torn" write first writes half of its bytes).
//  - Operations are counted from the last Reset(), per kind and all together, so a
//    test can run a change once to count them, then re-run it failing at 1..N.
//  - Reads are never failed: the point is to see what a failed write leaves.
//  - Not thread-safe: one test drives it at a time.
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "paradox/env_wrapper.h"

namespace pdx {

class FaultEnv final : public EnvWrapper {
 public:
  enum class Op { kWrite, kSync, kRename, kCreate, kRemove, kAny };

  explicit FaultEnv(Env* base) : EnvWrapper(base), base_(base) {}

  // Clears every rule and counter.
  void Reset();
  // The nth operation of kind op (from 1, counted from now) fails with an
  // IOError; with sticky, every later one of that kind fails too.
  void FailNth(Op op, int n, bool sticky = false);
  // Writes fail ("no space left on device") once the bytes written from now on
  // would pass budget.
  void SetDiskFull(uint64_t budget);
  // Simulates a kill: the nth mutating operation (from 1, counted from now) and
  // everything after it fail; a write that is hit is torn (half written).
  void CrashAt(int n);
  bool crashed() const { return crashed_; }
  // As if another program kept path open without sharing delete, as Windows
  // shows it: a rename over it or its removal fails with Busy, and
  // CheckReplaceable says Busy. Until Release(path) (or Reset).
  void HoldOpen(const std::string& path) { held_.insert(path); }
  void Release(const std::string& path) { held_.erase(path); }
  // Operations of the kind seen since the last Reset (failed ones included).
  int count(Op op) const { return counts_[static_cast<int>(op)]; }

  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override;
  Status NewUpdatableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override;
  Status RemoveFile(const std::string& path) override;
  Status RenameFile(const std::string& from, const std::string& to) override;
  Status CreateDir(const std::string& path) override;
  Status RemoveDir(const std::string& path) override;
  Status SyncDir(const std::string& dir) override;
  Status CheckReplaceable(const std::string& path) override;

  // Used by the wrapped files: Status to return for an operation on path, or OK
  // to let it through. *torn is set when a write should be half done first.
  Status Check(Op op, const std::string& path, uint64_t bytes = 0, bool* torn = nullptr);

 private:
  Env* base_;
  int counts_[6] = {0, 0, 0, 0, 0, 0};
  Op failOp_ = Op::kAny;
  int failAt_ = 0;  // 0: no rule
  bool sticky_ = false;
  bool diskFull_ = false;
  uint64_t budget_ = 0;
  uint64_t written_ = 0;
  int crashAt_ = 0;
  bool crashed_ = false;
  std::set<std::string> held_;
};

}  // namespace pdx

#pragma once
// Who may write a table.
//
// Two writers of ours never change one table at the same time: each takes an
// exclusive lock on TABLE.cvlock beside the table (the Env's LockFile, an
// advisory lock the system drops when the process dies, so a killed writer
// leaves no stale lock behind). The second writer gets Busy "table in use",
// after waiting up to waitMs.
//
// The original engine announces its users through PARADOX.LCK and PDOXUSRS.LCK
// in the table's directory, PDOXUSRS.NET in its network directory, and a
// TABLE.LCK per open table; it keeps them open and locked while it works and may
// leave them behind after a crash. For each of these files present, the Env is
// asked whether another process holds a lock on it: held -> Busy; free -> a stale
// leftover, ignored; cannot tell -> Busy as well, since writing is refused rather
// than risked, unless the caller says the files are known to be stale.
//
// Contract: every Busy names the table and the file that shows it in use.
#include <memory>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"

namespace pdx {

struct TableLockOptions {
  int waitMs = 0;                    // how long to retry our own lock before Busy
  bool engineLocksKnownStale = false;  // skip the engine's lock files when the Env cannot tell
  std::string netDir;                  // the engine's network directory (PDOXUSRS.NET), when known
};

class TableWriteLock {
 public:
  explicit TableWriteLock(std::unique_ptr<FileLock> lock) : lock_(std::move(lock)) {}

  // The table's directory as listed once the lock was held (to look for the
  // engine's lock files); null when it could not be listed. Only a holder of
  // this lock stages or journals changes of the table, so the listing still
  // tells what a change left unfinished (one listing instead of two on a
  // network share).
  const std::vector<std::string>* listing() const { return listed_ ? &listing_ : nullptr; }
  void SetListing(std::vector<std::string> names) {
    listing_ = std::move(names);
    listed_ = true;
  }

 private:
  std::unique_ptr<FileLock> lock_;
  std::vector<std::string> listing_;
  bool listed_ = false;
};

// Takes the table's write lock, then checks the original engine's lock files.
Status AcquireTableWriteLock(Env* env, const std::string& dir, const std::string& tableBase,
                             const TableLockOptions& options, std::unique_ptr<TableWriteLock>* out);

// Checks only the original engine's lock files (see above). netDir, when not
// empty, is the engine's network directory holding PDOXUSRS.NET.
Status CheckEngineLocks(Env* env, const std::string& dir, const std::string& tableBase, bool knownStale,
                        const std::string& netDir = "");

std::string WriteLockFileName(const std::string& tableBase);

}  // namespace pdx

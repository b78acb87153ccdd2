#pragma once
// All-or-nothing replacement of a table's files (.DB, .PX, secondary indexes,
// .MB, .VAL), so that a kill, a power cut or a full disk at any instant leaves
// the table either as it was or as it is after the change, never a mix.
//
// How: the new version of every file that changes is written beside it under a
// staged name (NAME.EXT.<change>.cvtmp, the change's number being random) and
// synced; then a journal record listing the files to replace and to remove is
// written at the start of the table's lock file (TABLE.cvlock, layout in
// commit.cpp) and synced: that is the commit point. Then the staged files are
// renamed over the old ones, the removals done, and the record cleared. RecoverTable, run before any write (the
// writer's open does it), finishes a journal found whole and throws away one
// found torn together with any staged file.
//
// Contract:
//  - Names are plain file names in the table's directory: the table's base
//    name, a dot and one extension ("ORDERS.DB", "ORDERS.X02"), so recovery
//    finds every staged file of the table and none of another's.
//  - Commit() returns OK only when the new version is durable and in place.
//    Before the commit point a failure removes the staged files and leaves the
//    old version untouched; after it, a failure is reported and the change is
//    completed by the next RecoverTable.
//  - The caller holds the table's write lock (see table_lock.h).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"

namespace pdx {

// Staged name of a file during change number `change`, and the journal file
// of a table as older versions wrote it (still completed by RecoverTable).
std::string StagedFileName(const std::string& name, uint64_t change);
std::string JournalFileName(const std::string& tableBase);

class TableCommit {
 public:
  TableCommit(Env* env, std::string dir, std::string tableBase);
  // Aborts an unfinished change. Closes the files a finished one replaced:
  // their space is given back then, which may wait for the disk, so a caller
  // in a hurry may let this object go later, on another thread.
  ~TableCommit();
  TableCommit(const TableCommit&) = delete;
  TableCommit& operator=(const TableCommit&) = delete;

  // Opens a staged file that replaces (or creates) dir/name at Commit. The
  // returned file stays owned by this object; write it, do not close it.
  Status Stage(const std::string& name, WritableFile** out);
  // dir/name is removed at Commit (a dropped index); absent files are fine.
  Status StageRemoval(const std::string& name);
  bool empty() const { return staged_.empty() && removals_.empty(); }

  Status Commit();
  // Removes the staged files; the old version stays as it was.
  void Abort();

 private:
  Status CheckName(const std::string& name) const;
  std::string LockPath() const;
  Status Apply(bool again);

  Env* env_;
  std::string dir_;
  std::string base_;
  struct Staged {
    std::string name;
    std::unique_ptr<WritableFile> file;
  };
  std::vector<Staged> staged_;
  std::vector<std::string> removals_;
  // The files the renames replaced, open until this object goes (see Apply).
  std::vector<std::unique_ptr<RandomAccessFile>> replaced_;
  uint64_t change_;  // its number, in its staged files' names and its record
  bool done_ = false;
};

// Brings the table's files to a consistent version after a crash: completes a
// whole journal or discards a torn one, and removes stray staged files.
// *changed (optional) tells whether anything was found. Names the table on error.
// listing (optional): the directory's names as listed since the caller took
// the table's write lock, used instead of listing it again.
Status RecoverTable(Env* env, const std::string& dir, const std::string& tableBase, bool* changed = nullptr,
                    const std::vector<std::string>* listing = nullptr);

// True when the table has a journal or staged files waiting for recovery.
bool NeedsRecovery(Env* env, const std::string& dir, const std::string& tableBase);

uint32_t Crc32(const char* data, size_t n, uint32_t crc = 0);

}  // namespace pdx

#pragma once
// Writing interface of the Paradox engine: create a table, change its records,
// keep its primary index, secondary indexes and blob file up to date, and write
// everything durably.
//
// Contract:
//  - A TableWriter holds the table's write lock (table_lock.h) from Open or
//    Create until it dies: a second writer, of this process or another, gets
//    Busy "table in use"; so does a table the original engine shows in use.
//  - Changes are kept in memory and written at Flush() and Close(): the .DB,
//    .PX, every secondary index and the .MB are rewritten together through
//    TableCommit (commit.h), so after a crash or a failed Flush the table is as
//    of the last Flush that returned OK, or as of the one in progress, never a
//    mix. Open recovers a change a crash interrupted. A TableWriter that dies
//    without Close() drops its unflushed changes.
//  - Rows are addressed by RowId, stable while the writer lives (a deleted
//    row's id is not reused). Rows() lists them in stored order: primary-key
//    order (by the table's sort order) for keyed tables, insertion order else.
//  - Values follow pdx::Value (types.h); a row given with fewer values than
//    fields leaves the rest blank. A value of the wrong kind, text the code page
//    cannot hold, or a duplicate primary key is InvalidArgument naming the
//    table (and the key), and changes nothing. A blank key field is a value
//    like any other (it sorts first), as the engine allows.
//  - An autoincrement field left blank takes the next value; the header keeps
//    the highest value given.
//  - Not thread-safe: one thread drives a writer.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/merge.h"
#include "paradox/status.h"
#include "paradox/table.h"
#include "paradox/table_lock.h"
#include "paradox/types.h"

namespace pdx {

struct IndexDefinition {
  std::string name;                 // secondary index name ("" = named after its field)
  std::vector<std::string> fields;  // field names, in index order
  bool unique = false;
  bool caseInsensitive = false;
  bool descending = false;
};

struct TableDefinition {
  std::vector<FieldDesc> fields;  // for BCD, size = number of decimals
  int keyFieldCount = 0;          // primary key = the first keyFieldCount fields
  std::vector<IndexDefinition> indexes;
  int blockSizeKiB = 0;           // 0: 2 KiB, or more when a record needs it
  // Code page and sort order; 0 / "" take those of a table already in the
  // directory, else 1252 and "ANSIINTL". sortOrderId is the header's byte for
  // the order (-1: the one the engine uses for the known names).
  int codePage = 0;
  std::string sortOrder;
  int sortOrderId = -1;
  // Header file version (9 = 4.x, 11 = 5.x, 12 = 7.x); 0 or too low for the
  // field types: the lowest the types allow.
  int fileVersion = 0;
};

// The definition of an open table, to create another one like it.
TableDefinition DefinitionOf(const TableInfo& info);

using RowId = uint32_t;

// The second half of a TableWriter::CloseStaged: the change written beside the
// table, waiting to be made durable and put in place. May be driven by another
// thread than the writer's (one at a time).
class PendingClose {
 public:
  // Dropped without Commit: the staged files are removed, the table stays as
  // it was, and is released.
  virtual ~PendingClose() = default;
  // What the end of Close does: the change made durable and put in place
  // (TableCommit::Commit), then the table released. The space of the files
  // replaced is given back when this object goes.
  virtual Status Commit() = 0;
};

class TableWriter {
 public:
  struct Options {
    TableLockOptions lock;
    // A preview: the rows are loaded without taking the write lock or
    // recovering an interrupted change, changes stay in memory, Flush and
    // Rewrite are NotSupported and Close writes nothing (to count what a
    // batch would do without touching the table).
    bool preview = false;
    // A preview only: the rows are those of this table, open already on the
    // same file (its version as that open holds it), instead of opening the
    // file again (on a network share, a round trip per file and header).
    const Table* rowsOf = nullptr;
  };

  // Creates dir/name (".DB" added when missing); AlreadyExists-like
  // InvalidArgument when the table is there. The code page and sort order are
  // those of a table already in dir, else 1252 and "ANSIINTL".
  static Status Create(Env* env, const std::string& dir, const std::string& name, const TableDefinition& def,
                       const Options& options, std::unique_ptr<TableWriter>* out);
  static Status Open(Env* env, const std::string& dir, const std::string& name, const Options& options,
                     std::unique_ptr<TableWriter>* out);

  virtual ~TableWriter() = default;

  virtual const TableInfo& info() const = 0;
  virtual size_t RecordCount() const = 0;
  virtual std::vector<RowId> Rows() const = 0;
  virtual Status Get(RowId row, std::vector<Value>* values) const = 0;
  // Row of a keyed table whose primary key equals key; NotFound when none.
  virtual Status Find(const std::vector<Value>& key, RowId* row) const = 0;

  virtual Status Insert(const std::vector<Value>& values, RowId* row = nullptr) = 0;
  virtual Status Update(RowId row, const std::vector<Value>& values) = 0;
  virtual Status Delete(RowId row) = 0;
  // Removes every record; structure and indexes stay.
  virtual Status Empty() = 0;

  virtual Status AddIndex(const IndexDefinition& index) = 0;
  virtual Status DeleteIndex(const std::string& name) = 0;

  // Writes every change durably (see above). Nothing to write: OK at once.
  virtual Status Flush() = 0;
  // Rewrites every file even without changes (pdx reindex, pdx copy).
  virtual Status Rewrite() = 0;
  // A batch of changes in one pass (merge.h).
  virtual Status Merge(MergeBatch& batch, MergeDecider& decider, MergeOutcome* outcome) = 0;
  // Flush, then release the table.
  virtual Status Close() = 0;
  // Close in two halves, so that a caller may write the next table while
  // this one's files are synced: here every changed file is written beside the
  // table (nothing of the table changes yet); (*out)->Commit() does the rest.
  // The writer is closed either way: only its destruction may follow, which
  // may come before the Commit. A preview, or a writer without changes, gives a
  // Commit that only releases the table.
  virtual Status CloseStaged(std::unique_ptr<PendingClose>* out) = 0;
};

// Rebuilds the primary and secondary index files of dir/name from its .DB,
// which stays as it is (`pdx reindex`). Same locking and all-or-nothing
// guarantee as a TableWriter.
Status RebuildIndexes(Env* env, const std::string& dir, const std::string& name,
                      const TableWriter::Options& options = {});

}  // namespace pdx

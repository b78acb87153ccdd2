#pragma once
// Internals of TableWriter, shared by its source files (writer.cpp: opening and
// record changes; writer_flush.cpp: writing the files; table_create.cpp: the
// headers of a new table).
//
// Rows live in memory as their stored record bytes (the table's record
// layout); blob values are kept whole beside them, since the .MB is rewritten
// at every flush (row_store.h). A keyed table orders row ids by the primary
// key's sort key (sort_key.h, key_order.h), so an insert, delete or update
// costs log n memcmp.
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "paradox/format/blob.h"
#include "paradox/codepage.h"
#include "paradox/commit.h"
#include "paradox/text/collation.h"
#include "paradox/format/file_build.h"
#include "paradox/format/header.h"
#include "paradox/index/index_key.h"
#include "paradox/write/key_order.h"
#include "paradox/write/row_store.h"
#include "paradox/index/sort_key.h"
#include "paradox/table_lock.h"
#include "paradox/writer.h"

namespace pdx {

class TableImpl;

// A secondary index as the writer keeps it up to date.
struct WriterIndex {
  IndexDesc desc;              // name, fields, flags; desc.file = the .Xnn/.XGn name
  std::string treeFile;        // .Ynn/.YGn name
  std::string xHeader;         // header template of the data part
  std::string yHeader;         // header template of the tree part
  uint32_t xBlockSize = 0;
  uint32_t yBlockSize = 0;
};

class TableWriterImpl final : public TableWriter {
 public:
  TableWriterImpl() = default;

  const TableInfo& info() const override { return info_; }
  size_t RecordCount() const override { return live_; }
  std::vector<RowId> Rows() const override;
  Status Get(RowId row, std::vector<Value>* values) const override;
  Status Find(const std::vector<Value>& key, RowId* row) const override;
  Status Insert(const std::vector<Value>& values, RowId* row) override;
  Status Update(RowId row, const std::vector<Value>& values) override;
  Status Delete(RowId row) override;
  Status Empty() override;
  Status AddIndex(const IndexDefinition& index) override;
  Status DeleteIndex(const std::string& name) override;
  Status Flush() override;
  Status Rewrite() override;
  Status Merge(MergeBatch& batch, MergeDecider& decider, MergeOutcome* outcome) override;
  Status Close() override;
  Status CloseStaged(std::unique_ptr<PendingClose>* out) override;

  // Set up by Open / Create.
  Status Init();
  // listing (optional): the directory's names, listed under the write lock.
  // open (optional): the table already open whose rows are taken.
  Status LoadRows(Env* env, const std::vector<std::string>* listing = nullptr, const TableImpl* open = nullptr);
  // Drops every row and what is kept about them (blobs, key orders, loaded
  // blocks): the one reset of the row state, for a load and for Empty. With
  // keepIds the ids given so far are never given again.
  void ClearRows(bool keepIds);

  Env* env_ = nullptr;
  std::string dir_;
  std::string base_;    // table name as on disk, without extension ("Orders")
  std::string dbName_;  // file name of the .DB as on disk
  std::string label_;   // "table DIR/NAME" for messages
  std::unique_ptr<TableWriteLock> lock_;
  bool preview_ = false;  // loaded to count changes: nothing is written
  TableInfo info_;
  std::string dbHeader_;
  std::string pxHeader_;  // empty for a non-keyed table
  uint32_t pxBlockSize_ = 0;
  std::string pxName_, mbName_;
  uint32_t blockSize_ = 0;
  uint32_t recordSize_ = 0;
  std::vector<uint32_t> offsets_;  // of each field in a record
  const CodePage* cp_ = nullptr;
  bool asciiSame_ = false;     // the code page holds ASCII as ASCII
  // By field: kNotPlain, or the kind of a field whose blank needs no check
  // and whose common values are all there is to encode (no autoincrement,
  // blob or required field; alpha only where the code page holds ASCII as
  // ASCII).
  enum : uint8_t { kNotPlain, kPlainAlpha, kPlainShort, kPlainLong, kPlainNumber };
  std::vector<uint8_t> plain_;
  TextEncoder encoder_;  // UTF-8 to the table's code page
  Collation collation_;
  KeyLayout primary_;           // over .DB records
  std::vector<WriterIndex> secondaries_;
  std::vector<std::string> droppedFiles_;  // index files to remove at the next flush
  uint32_t autoInc_ = 0;
  int autoIncField_ = 0;        // from 1; 0 = none
  std::vector<int> blobFields_;  // from 1

  // Row storage.
  RowStore rows_;  // by RowId
  // A blob value: in memory (new, changed, or small enough for its record), or
  // where it lies in the table's current .MB, read when needed, so a table of
  // large memos is not held in memory.
  struct BlobSlot {
    std::string data;
    uint32_t offset = 0;
    uint32_t length = 0;
    bool lazy = false;
  };
  std::unordered_map<uint64_t, BlobSlot> blobs_;  // (row << 16 | field) -> value
  std::unique_ptr<BlobFile> mb_;                  // the current .MB, when there is one
  Status BlobBytes(const BlobSlot& slot, std::string* out) const;
  size_t live_ = 0;
  SortKeyMaker primaryKey_;  // sort keys of primary_
  // The key order. After a merge the rows' order is kept flat (merged_) and
  // the key order is made again only when a lookup or change needs it: a
  // merge followed by a flush, the common use, never pays for it.
  // A table loaded in key order (the usual case) is kept the same way, its
  // rows' sort keys side by side in mergedKeys_: a merge walks them as they
  // are, and a table that is only merged and written never builds the order.
  mutable KeyOrder keyed_;
  mutable std::vector<RowId> merged_;
  mutable bool keyedStale_ = false;
  mutable std::string mergedKeys_;   // keyBytes per row of merged_, when mergedKeysMade_
  mutable bool mergedKeysMade_ = false;
  void EnsureKeyed() const;
  // The rows in key order as merged_, with their keys in mergedKeys_.
  void EnsureFlat() const;
  std::vector<RowId> order_;  // non-keyed: insertion order (deleted ids skipped)
  mutable std::string probe_;  // record bytes for a key lookup
  mutable std::string key_, oldKey_;  // sort keys being compared
  std::string scratch_;        // a record being encoded
  static constexpr RowId kMaxRows = 0xFFFFFFF0u;
  bool dirty_ = false;
  bool closed_ = false;  // after CloseStaged
  // The data blocks as loaded (chain order; their records are rows 0, 1, ...
  // in turn), for rebuilding indexes over an unchanged .DB.
  std::vector<BlockSummary> loadedBlocks_;
  // Further files written in the same commit as the next WriteFiles (name, bytes).
  std::vector<std::pair<std::string, std::string>> extraFiles_;

  bool Keyed() const { return info_.keyFieldCount > 0; }
  bool Live(RowId id) const { return rows_.Live(id); }
  // The primary key's sort key of a record, in *out (primaryKey_.size() bytes).
  const char* SortKeyOf(const char* rec, std::string* out) const {
    primaryKey_.Make(rec, out->data());
    return out->data();
  }
  static uint64_t BlobKey(RowId row, int field) { return (static_cast<uint64_t>(row) << 16) | static_cast<uint32_t>(field); }

  // Encodes values into a record; blob values go to *blobs by field number.
  Status EncodeRow(const std::vector<Value>& values, std::string* rec, std::map<int, std::string>* blobs,
                   bool assignAutoInc, uint32_t* autoIncUsed) const;
  std::string KeyText(const char* rec) const;
  // The first key.size() key fields into rec (a record of this table).
  Status EncodeKeyFields(const std::vector<Value>& key, char* rec) const;
  // keepData: the .DB and .MB stay as they are and only the index files are
  // rebuilt from them (RebuildIndexes).
  // Writes the changed files and commits them; with staged, stops short of
  // the commit and hands it over (the writer's own state is not updated).
  Status WriteFiles(bool keepData = false, std::unique_ptr<TableCommit>* staged = nullptr);
  Status BuildSecondary(const WriterIndex& ix, const std::vector<const char*>& records,
                        const std::vector<uint32_t>& blockOf, TableCommit* commit) const;
  // The batch's rows as this table's records and sort keys (kept in the
  // batch for the next table of the same layout).
  Status EncodeBatch(MergeBatch& batch) const;
  Status EncodeRanges(MergeBatch& batch) const;
  std::string LayoutSignature() const;
  Status ResolveIndexFields(const IndexDefinition& def, std::vector<int>* fields) const;
};

// Opens a table for writing with its write lock already taken (or takes it
// when lock is null).
Status OpenLockedWriter(Env* env, const std::string& dir, const std::string& name, std::unique_ptr<TableWriteLock> lock,
                        const TableLockOptions& lockOptions, std::unique_ptr<TableWriter>* out,
                        bool preview = false, const Table* rowsOf = nullptr);

// Headers of a new table (table_create.cpp).
struct NewTableHeaders {
  std::string db, px;
  int fileVersion = 0;
};
Status BuildNewTableHeaders(const std::string& tableName, const TableDefinition& def, int codePage,
                            const std::string& sortOrder, uint8_t sortOrderId, const CodePage& cp,
                            uint32_t updateTime, NewTableHeaders* out);
// A data-like header (.DB, .Xnn, .XGn) for these fields; numbers are the
// fields' identifiers (1..n for a new table). Its time of structure is left
// for the caller to stamp.
Status BuildDataHeader(uint8_t type, const std::vector<FieldDesc>& fields, const std::vector<uint16_t>& numbers,
                       int keyFields, int blockKiB, int version, int codePage, const std::string& sortOrder,
                       uint8_t sortOrderId, const std::string& tableName, const CodePage& cp, std::string* out);
// File version a set of field types needs (9 = 4.x, 12 = 7.x).
int VersionFor(const std::vector<FieldDesc>& fields);
// Header of a primary index for a keyed table that has none.
Status BuildPrimaryHeader(const FileHeader& db, const std::string& pxName, const CodePage& cp, std::string* out);
// Headers of a new secondary index over a table with db header dbHeader.
Status BuildSecondaryHeaders(const FileHeader& db, const std::string& dbRaw, const CodePage& cp,
                             WriterIndex* ix);
// Names of the files of a new secondary index, as the engine names them:
// ".Xnn"/".Ynn" (nn = the field number in two hexadecimal digits) for a plain
// single-field index, else ".XGn"/".YGn" with the first free digit or letter.
void SecondaryFileNames(const std::string& base, const IndexDefinition& def, const std::vector<int>& fields,
                        const std::vector<WriterIndex>& existing, std::string* x, std::string* y);

}  // namespace pdx

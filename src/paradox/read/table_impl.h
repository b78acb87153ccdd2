#pragma once
// Internals of an open table, shared by the cursor and the index layer.
//
// Contract: a TableImpl is immutable after Open, so several cursors (and the
// index layer) can read through it at once, each with its own block buffer.
#include <memory>
#include <string>
#include <vector>

#include "paradox/format/blob.h"
#include "paradox/format/paradox_file.h"
#include "paradox/table.h"
#include "paradox/file/table_files.h"

namespace pdx {

class TableImpl final : public Table {
 public:
  // listing (optional): dir's names, listed by the caller a moment ago.
  static Status OpenImpl(Env* env, const std::string& dir, const std::string& name, std::unique_ptr<TableImpl>* out,
                         const std::vector<std::string>* listing = nullptr);

  const TableInfo& info() const override { return info_; }
  int FieldNumber(const std::string& name) const override;
  std::unique_ptr<Cursor> NewCursor() override;
  Status DecodeStored(int field, const char* stored, Value* v) const override;
  std::unique_ptr<BlobReader> NewBlobReader() const override;

  // The table's files as held since Open (table_files.h): read indexes through it.
  Env* env() const { return files_.get(); }
  const std::string& dir() const { return dir_; }
  const ParadoxFile& db() const { return *db_; }
  // Null when the table has no blob file; blobStatus() then says why.
  const BlobFile* blobFile() const { return blob_.get(); }

  // Decodes field (from 1) of the record at rec, reading the blob file when the
  // value is not wholly in the record. recordLabel names the record in errors.
  Status DecodeValue(const char* rec, int field, const std::string& recordLabel, Value* v) const;
  // Reads the blob part of field (from 1) whose in-record bytes are at p.
  Status ReadBlobValue(int field, const char* p, const std::string& recordLabel, Value* v) const;
  // A failure reading field's blob part, as the caller reports it: the table,
  // the field and the record named, the kind kept.
  Status BlobFailure(int field, const std::string& recordLabel, const Status& s) const;
  // Why blobFile() is null.
  const Status& blobStatus() const { return blobStatus_; }
  // Fields grouped by how they decode, so that full-record scans run one tight
  // loop per kind instead of a type switch per field.
  struct DecodePlan {
    struct Item {
      uint32_t field;   // from 0
      uint32_t offset;  // in the record
      uint32_t size;
    };
    std::vector<Item> shorts, longs, doubles, alphas, others;
  };
  const DecodePlan& plan() const { return plan_; }
  const std::vector<FieldSlot>& slots() const { return info_.slots; }
  // The name used in error messages ("orders.db").
  std::string tableLabel() const;

 private:
  TableImpl() = default;
  std::unique_ptr<TableFiles> files_;
  std::string dir_;
  std::unique_ptr<ParadoxFile> db_;
  std::unique_ptr<BlobFile> blob_;
  Status blobStatus_;  // why blob_ is null, when the table has blob fields
  TableInfo info_;
  DecodePlan plan_;
};

}  // namespace pdx

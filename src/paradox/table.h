#pragma once
// Reading interface of the Paradox engine.
//
// A Table is opened by directory and file name (matched without regard to case).
// Opening reads the header and index descriptors only; records are read block by
// block as a cursor walks them, so large tables are scanned as a stream.
//
// Contract:
//  - Every Status names the file and what is wrong. A damaged file yields
//    Corruption, never a crash or an allocation larger than the file justifies.
//  - A Cursor is valid while its Table lives. Field numbers start at 1.
//  - A blob field whose .MB part cannot be read fails alone (the status names the
//    table, field and record); the record's other fields stay readable.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/env.h"
#include "paradox/record_view.h"
#include "paradox/status.h"
#include "paradox/types.h"

namespace pdx {

struct TableInfo {
  std::string path;          // host path of the .DB file
  int fileVersion = 0;       // header byte: 3 = 3.0, 4 = 3.5, 5..9 = 4.x, 10..11 = 5.x, 12 = 7.x
  std::string levelText;     // "3.0", "3.5", "4.x", "5.x", "7.x"
  int codePage = 437;        // 0 in old headers reads as 437
  std::string sortOrder;     // "ascii", "intl", "intl850", "ANSIINTL", ...
  int blockSize = 0;         // bytes
  uint32_t recordCount = 0;
  int recordSize = 0;
  int keyFieldCount = 0;     // primary key = fields 1..keyFieldCount
  uint32_t autoIncrement = 0;
  std::vector<FieldDesc> fields;
  std::vector<FieldSlot> slots;    // where each field lies in the record (filled by Table::Open)
  std::vector<IndexDesc> indexes;  // primary first (when keyed), then secondaries
};

class Cursor;
class BlobReader;

class Table {
 public:
  virtual ~Table() = default;

  // Opens dir/name read-only. name may omit ".DB"; the file is found whatever
  // its case. listing (optional): dir's names as the caller listed them a
  // moment ago, used instead of listing it again.
  static Status Open(Env* env, const std::string& dir, const std::string& name, std::unique_ptr<Table>* out,
                     const std::vector<std::string>* listing = nullptr);

  virtual const TableInfo& info() const = 0;
  // Field number (from 1) of a name compared without regard to case; 0 when absent.
  virtual int FieldNumber(const std::string& name) const = 0;
  virtual std::unique_ptr<Cursor> NewCursor() = 0;

  // The value of field (from 1) whose stored bytes are `stored` (the field's
  // TableInfo::slots size of them, copied from a record of this table): a scan
  // that kept a blob field's bytes reads its .MB part later, after its cursor
  // moved on, and only when it needs the value.
  virtual Status DecodeStored(int field, const char* stored, Value* v) const {
    (void)field;
    (void)stored;
    (void)v;
    return Status::NotSupported("DecodeStored");
  }
  // A reader of blob values for one scan (see BlobReader); null when this
  // table cannot give one.
  virtual std::unique_ptr<BlobReader> NewBlobReader() const { return nullptr; }
};

// Reads the blob values a scan kept the stored bytes of (as DecodeStored), its
// .MB reads going through one window over the file kept between calls: a scan
// in key order mostly finds its values further on in the file, so one read
// serves many values where DecodeStored reads three times per value.
// Contract:
//  - One reader per scan and thread; valid while its Table lives.
//  - Fails as DecodeStored does, naming the table, the field and what went
//    wrong: NotFound when the .MB is missing, IOError when reading it fails,
//    Corruption when it does not hold what the record says.
class BlobReader {
 public:
  virtual ~BlobReader() = default;
  // The bytes of blob field `field` (from 1) whose stored bytes are `stored`,
  // as the table holds them: a memo's text in the table's code page, not
  // converted (a scan that searches for ASCII text can search them first).
  // Empty for a blank value. *bytes stays valid until the next call.
  virtual Status Bytes(int field, const char* stored, std::string_view* bytes) = 0;
  // The value as DecodeStored gives it (memos converted to UTF-8).
  virtual Status Decode(int field, const char* stored, Value* v) = 0;
};

class Cursor {
 public:
  virtual ~Cursor() = default;

  // Order of presentation: the stored order (the primary key for keyed tables),
  // an index by name, or an index whose fields are exactly the given list.
  virtual Status SetOrderPrimary() = 0;
  virtual Status SetOrderIndex(const std::string& indexName) = 0;
  virtual Status SetOrderFields(const std::vector<std::string>& fieldNames) = 0;

  virtual Status First() = 0;
  virtual Status Next() = 0;
  virtual bool AtEnd() const = 0;

  // Positions on the first record whose leading fields of the current order equal
  // the values; *found false (and AtEnd) when there is none.
  virtual Status Seek(const std::vector<Value>& leading, bool* found) = 0;
  // Restricts the cursor to records whose leading fields of the current order lie
  // between lo and hi inclusive (lo and hi may be shorter than the key). Clear with
  // ClearRange(). Positions on the first record in range.
  virtual Status SetRange(const std::vector<Value>& lo, const std::vector<Value>& hi) = 0;
  virtual void ClearRange() = 0;

  // Accessors for the current record.
  virtual bool IsBlank(int field) const = 0;
  virtual Status GetValue(int field, Value* v) const = 0;
  virtual Status GetText(int field, std::string* s) const = 0;   // any type, as text
  virtual Status GetInt(int field, int64_t* v) const = 0;
  virtual Status GetDouble(int field, double* v) const = 0;
  virtual Status GetDateTime(int field, double* dayNumber) const = 0;
  virtual Status GetBytes(int field, std::string* bytes) const = 0;
  // Every field of the current record, (*values)[i] for field i + 1; resizes
  // *values. On a failing blob value the others are still decoded and the first
  // failure is returned. The fast path of full scans (reuses the values' buffers).
  virtual Status GetValues(std::vector<Value>* values) const {
    (void)values;
    return Status::NotSupported("GetValues");
  }
  // A view decoding the current record's fields on demand (see record_view.h);
  // valid until the cursor moves.
  virtual Status GetRecordView(RecordView* view) const {
    (void)view;
    return Status::NotSupported("GetRecordView");
  }
  // Views of the current record and of those after it in the same block, for
  // scans that take a block at a time; the cursor moves to the last of them
  // (Next goes on after it). In an index order, the current record alone.
  virtual Status GetRecordViews(std::vector<RecordView>* views) {
    (void)views;
    return Status::NotSupported("GetRecordViews");
  }
};

}  // namespace pdx

#pragma once
// Many changes to a keyed table in one pass over its rows: rows removed by
// ranges of the primary key, then a batch of incoming rows matched against
// what stays, each either inserted or merged into the row of equal key. For a
// batch that touches much of a table this costs one walk of the rows and one
// sort of the batch, where a Find and an Insert per row cost log n each and
// make the row's sort key twice.
//
// Contract:
//  - The table is keyed, has no autoincrement field, and the incoming rows
//    hold no blob value (a blob field stays blank): else NotSupported.
//  - Drop is asked for every current row whose key starts with one of the
//    drop ranges (key prefixes, all of one length, compared as the table
//    sorts), once per row, in key order, before any incoming row is matched.
//    Rows dropped are gone for the matching.
//  - Take is asked for every incoming row, in batch order, before the
//    matching; a row not taken is left out (kSkipped).
//  - Rows are matched by primary key as the table sorts it. Incoming rows of
//    equal key meet in batch order, each seeing the one before it as it was
//    left; so the result is that of taking the rows one after another. A
//    row without a match is inserted (kInserted); one with a match goes to
//    Replace, which decides whether the update fields of the incoming row
//    overwrite those of the row it met (kReplaced) or not (kUnchanged).
//  - A RecordView given to a callback is valid during the call only.
//  - The batch keeps its rows encoded for the last table layout it met
//    (fields, code page, sort order): merging one batch into many tables of
//    one layout encodes it once. A value the layout cannot hold is
//    InvalidArgument naming the table, and nothing changes.
//  - Changes stay in the writer's memory until Flush or Close, as any other.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/types.h"

namespace pdx {

class RecordView;

class MergeBatch {
 public:
  MergeBatch();
  ~MergeBatch();
  MergeBatch(MergeBatch&&) noexcept;
  MergeBatch& operator=(MergeBatch&&) noexcept;

  // Rows in the table's layout (fewer values than fields leave the rest blank).
  void SetRows(std::vector<std::vector<Value>> rows);
  // Fields (from 1, not in the key) that a replacing row brings.
  void SetUpdateFields(std::vector<int> fields);
  // Key prefixes whose rows are offered to Drop.
  void SetDropRanges(std::vector<std::vector<Value>> prefixes);

  size_t size() const { return rows_.size(); }
  const std::vector<Value>& row(size_t i) const { return rows_[i]; }

 private:
  friend class TableWriterImpl;
  struct Encoded;
  std::vector<std::vector<Value>> rows_;
  std::vector<int> updateFields_;
  std::vector<std::vector<Value>> dropRanges_;
  std::unique_ptr<Encoded> encoded_;
};

class MergeDecider {
 public:
  virtual ~MergeDecider() = default;
  // A current row within drop range `range` (an index into the ranges given):
  // true removes it.
  virtual bool Drop(size_t range, const RecordView& current) = 0;
  // Whether incoming row `row` takes part.
  virtual bool Take(size_t row) = 0;
  // Incoming row `row` meets the row of equal key `current`: true puts its
  // update fields into it.
  virtual bool Replace(size_t row, const RecordView& current) = 0;
};

struct MergeOutcome {
  enum Kind : uint8_t { kSkipped, kInserted, kReplaced, kUnchanged };
  std::vector<Kind> rows;  // by incoming row
  size_t dropped = 0;
};

}  // namespace pdx

#pragma once
// Cursor over a table: the stored order walks the block chain as a stream; any
// other order (an index, or a Seek/SetRange over the primary key) walks the
// sequence of records an IndexOrder supplies.
#include <memory>
#include <string>
#include <vector>

#include "paradox/read/index_hooks.h"
#include "paradox/format/paradox_file.h"
#include "paradox/table.h"

namespace pdx {

class TableImpl;

class CursorImpl final : public Cursor {
 public:
  explicit CursorImpl(const TableImpl* table);

  Status SetOrderPrimary() override;
  Status SetOrderIndex(const std::string& indexName) override;
  Status SetOrderFields(const std::vector<std::string>& fieldNames) override;

  Status First() override;
  Status Next() override;
  bool AtEnd() const override { return atEnd_; }

  Status Seek(const std::vector<Value>& leading, bool* found) override;
  Status SetRange(const std::vector<Value>& lo, const std::vector<Value>& hi) override;
  void ClearRange() override;

  bool IsBlank(int field) const override;
  Status GetValue(int field, Value* v) const override;
  Status GetText(int field, std::string* s) const override;
  Status GetInt(int field, int64_t* v) const override;
  Status GetDouble(int field, double* v) const override;
  Status GetDateTime(int field, double* dayNumber) const override;
  Status GetBytes(int field, std::string* bytes) const override;
  Status GetValues(std::vector<Value>* values) const override;
  Status GetRecordView(RecordView* view) const override;
  Status GetRecordViews(std::vector<RecordView>* views) override;

  // Raw bytes of the current record (record size), null at the end.
  const char* record() const { return atEnd_ ? nullptr : rec_; }
  // Where the current record lies.
  RecordRef position() const { return ref_; }

 private:
  Status UseIndex(const IndexDesc* index);
  Status EnsureOrder();
  Status LoadAt(size_t pos);
  // Block `block` into buf_ for a walk in key order that moved on to it: the
  // blocks up to the range's last one are read in one request when they lie
  // after it in the file (rows stored in key order, as our writer stores
  // them), a window's worth at most; then served from there.
  Status LoadFollowing(uint32_t block);
  Status CheckField(int field) const;
  std::string RecordLabel() const;
  // A view of rec, a record of this table.
  RecordView ViewOf(const char* rec) const;

  const TableImpl* t_;
  const IndexDesc* index_ = nullptr;  // null: stored order
  std::unique_ptr<IndexOrder> order_;
  bool useOrder_ = false;  // walk order_ (else the block chain)
  BlockChain chain_;
  uint32_t slot_ = 0;
  size_t pos_ = 0, begin_ = 0, end_ = 0;  // in order_->records()
  std::string span_;  // blocks [spanFirst_, spanFirst_ + spanCount_) read ahead
  uint32_t spanFirst_ = 0, spanCount_ = 0;
  std::string buf_;
  uint32_t bufBlock_ = 0;
  const char* rec_ = nullptr;
  RecordRef ref_;
  bool atEnd_ = true;
  uint64_t ordinal_ = 0;  // 1 for the first record of the order
};

}  // namespace pdx

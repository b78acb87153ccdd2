#pragma once
// Orders of a table by one of its indexes, for the cursor (index_hooks.h).
//
// Contract:
//  - The primary order lists the records from the .PX (its lowest level names
//    every data block and its record count), so opening it reads no data
//    block; its searches read the .PX's keys and one or two data blocks. A
//    keyed table without a usable .PX falls back to walking the block chain.
//  - A secondary order reads its entry file whole and finds the record of
//    each entry by its primary key (first in the block the entry notes, else
//    through the primary order). An entry whose record is not in the table
//    means the index is out of date: Corruption naming the index file.
//  - Searches take Values of the key fields in index order; a value of the
//    wrong kind for a field is InvalidArgument. With a sort order we do not
//    know, searches on alpha key fields are NotSupported (orders still read).
#include <memory>
#include <string>
#include <vector>

#include "paradox/text/collation.h"
#include "paradox/read/index_hooks.h"
#include "paradox/index/index_key.h"
#include "paradox/index/index_secondary.h"
#include "paradox/index/index_tree.h"
#include "paradox/read/table_impl.h"

namespace pdx {

class PrimaryOrder : public IndexOrder {
 public:
  static Status Open(const TableImpl& table, std::unique_ptr<PrimaryOrder>* out);

  const std::vector<RecordRef>& records() const override { return records_; }
  Status LowerBound(const std::vector<Value>& leading, size_t* pos) const override;
  Status UpperBound(const std::vector<Value>& leading, size_t* pos) const override;

  // Position of the first record whose key is >= (upper: >) a probe made of
  // the stored bytes of the first `parts` key fields.
  Status Bound(const std::string& probe, size_t parts, bool upper, size_t* pos) const;
  // The record whose whole primary key has these stored bytes, if any.
  Status Find(const std::string& key, bool* found, RecordRef* ref) const;

  const KeyLayout& recordKey() const { return recordKey_; }
  const Collation& collation() const { return *collation_; }
  const IndexTree* tree() const { return tree_.get(); }
  // OK, or why the table's sort order is not known (searches on alpha keys
  // are then refused).
  const Status& unknownOrder() const { return unknownOrder_; }

 private:
  PrimaryOrder() = default;
  Status Probe(const std::vector<Value>& leading, std::string* probe) const;

  const TableImpl* table_ = nullptr;
  std::unique_ptr<Collation> collation_;
  Status unknownOrder_;
  std::unique_ptr<IndexTree> tree_;  // null when the walk of the chain is used
  KeyLayout recordKey_;              // primary key on a .DB record
  KeyLayout treeKey_;                // primary key on a .PX entry
  std::vector<RecordRef> records_;
  std::vector<size_t> blockStart_;   // position of each leaf block's first record
};

class SecondaryOrder : public IndexOrder {
 public:
  static Status Open(const TableImpl& table, const IndexDesc& index, std::unique_ptr<SecondaryOrder>* out);

  const std::vector<RecordRef>& records() const override { return records_; }
  Status LowerBound(const std::vector<Value>& leading, size_t* pos) const override;
  Status UpperBound(const std::vector<Value>& leading, size_t* pos) const override;

  const SecondaryIndex& index() const { return *index_; }

 private:
  SecondaryOrder() = default;
  Status Bound(const std::vector<Value>& leading, bool upper, size_t* pos) const;

  const TableImpl* table_ = nullptr;
  std::unique_ptr<PrimaryOrder> primary_;
  std::unique_ptr<SecondaryIndex> index_;
  std::vector<RecordRef> records_;
};

// Encodes leading key values for the fields (table field numbers, from 1) of an
// index into the concatenated stored bytes a KeyLayout compares with.
Status EncodeProbe(const TableImpl& table, const std::vector<int>& fields, const std::vector<Value>& leading,
                   const Collation* upcaseWith, std::string* probe);

// Full path of an index file of the table from its name in IndexDesc.file.
std::string IndexFilePath(const TableImpl& table, const std::string& file);

}  // namespace pdx

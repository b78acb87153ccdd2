#pragma once
// Index discovery for a table and the entry files of secondary indexes
// (.Xnn, .XGn). See index_secondary.cpp for the byte layout.
//
// Contract:
//  - DiscoverIndexes reads only the headers of the index files beside a table
//    (names matched without regard to case). An index file that is damaged or
//    does not fit the table is left out of the list and reported in `problems`
//    (Corruption naming the file), so the table itself still opens.
//  - SecondaryIndex::Open reads a whole entry file (it is small next to the
//    table) and gives its entries in index order, with the layouts to compare
//    them and to find the record each one stands for.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/text/collation.h"
#include "paradox/env.h"
#include "paradox/format/header.h"
#include "paradox/index/index_key.h"
#include "paradox/status.h"
#include "paradox/types.h"

namespace pdx {

// One index of a table and the files that hold it.
struct IndexFiles {
  IndexDesc desc;
  std::string entryPath;  // .PX of the primary index; .Xnn / .XGn of a secondary one
  std::string treePath;   // .Ynn / .YGn of a secondary index ("" when absent)
};

struct IndexDiscovery {
  std::vector<IndexFiles> indexes;  // primary first (when keyed), then by file name
  std::vector<Status> problems;     // index files that could not be used
};

// dbPath is the table's .DB path; db its parsed header.
Status DiscoverIndexes(Env* env, const std::string& dbPath, const FileHeader& db, IndexDiscovery* out);

// The collation of a table's alpha keys (its sort order over its code page).
Status TableCollation(const FileHeader& db, Collation* out);

class SecondaryIndex {
 public:
  // Reads the entry file of `files` (a secondary index of the table `db`).
  // `collation` must outlive the object.
  static Status Open(Env* env, const IndexFiles& files, const FileHeader& db, const Collation* collation,
                     std::unique_ptr<SecondaryIndex>* out);

  // The index as read; desc.descending is set when the entries run downwards.
  const IndexFiles& files() const { return files_; }
  const FileHeader& header() const { return header_; }
  // Entries (record bytes of the entry file) in index order.
  const std::vector<std::string>& entries() const { return entries_; }
  // Block of the entry file each entry was read from, and the records per block
  // (as the chain gave them).
  const std::vector<uint32_t>& entryBlocks() const { return entryBlocks_; }
  // The secondary fields of an entry, in index order (for seeking and ranges).
  const KeyLayout& key() const { return key_; }
  // Secondary fields then primary key fields: the full order of the entries.
  const KeyLayout& fullKey() const { return fullKey_; }
  // Where the primary key starts in an entry and how long it is.
  size_t primaryKeyOffset() const { return pkOffset_; }
  size_t primaryKeySize() const { return pkSize_; }
  // Data block the engine noted for the entry's record (a hint, may be stale).
  uint32_t HintBlock(const std::string& entry) const;
  // Secondary key of a table record in entry form (uppercased for a
  // case-insensitive index): what the entry of that record must hold.
  std::string EntryKeyOf(const char* record, const FileHeader& db) const;
  // A primary key (stored bytes) with its alpha fields uppercased: how a
  // case-insensitive index's entry is matched to its record should the engine
  // have uppercased the key there too (no sample shows it either way).
  std::string FoldedPrimaryKey(std::string_view pk, const FileHeader& db) const;

 private:
  SecondaryIndex() = default;
  IndexFiles files_;
  FileHeader header_;
  std::vector<std::string> entries_;
  std::vector<uint32_t> entryBlocks_;
  KeyLayout key_, fullKey_;
  size_t pkOffset_ = 0, pkSize_ = 0, hintOffset_ = 0;
  const Collation* collation_ = nullptr;
};

}  // namespace pdx

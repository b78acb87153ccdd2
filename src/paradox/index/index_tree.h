#pragma once
// The tree files of Paradox indexes: the primary index (.PX) of a keyed table
// and the tree (.Ynn, .YGn) over a secondary index's entry file. See
// index_tree.cpp for the byte layout.
//
// Contract:
//  - IndexTree::Read reads the whole tree (one entry per block of the file it
//    indexes, so it is small) and returns its leaf entries in key order.
//  - Every block number, level count and entry count is checked: a damaged
//    file gives Corruption naming the file and the block, never a crash, a
//    read past a buffer or an endless walk.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/format/paradox_file.h"
#include "paradox/status.h"

namespace pdx {

struct TreeEntry {
  std::string key;     // the key fields' stored bytes (keySize bytes)
  uint32_t block = 0;  // block of the indexed file (leaf) or of this file (inner)
  uint32_t count = 0;  // records in that block (leaf)
  int16_t spare = 0;   // third number, 0 in every file seen
};

class IndexTree {
 public:
  static Status Read(Env* env, const std::string& path, std::unique_ptr<IndexTree>* out);

  const std::string& path() const { return file_->path(); }
  const FileHeader& header() const { return file_->header(); }
  // Bytes of key per entry (record size less the three trailing numbers).
  size_t keySize() const { return keySize_; }
  uint32_t root() const { return root_; }
  int levels() const { return levels_; }
  // Entries of the lowest level, in order: one per block of the indexed file.
  const std::vector<TreeEntry>& leaves() const { return leaves_; }
  // Entries on all levels (what the header's record count counts).
  uint64_t totalEntries() const { return total_; }

 private:
  Status Walk(uint32_t block, int level, std::vector<bool>* seen);

  std::unique_ptr<ParadoxFile> file_;
  size_t keySize_ = 0;
  uint32_t root_ = 0;
  int levels_ = 0;
  std::vector<TreeEntry> leaves_;
  uint64_t total_ = 0;
};

// Value of a stored short (big-endian, sign bit flipped), as index entries
// keep their numbers.
int32_t StoredShort(const char* p);

}  // namespace pdx

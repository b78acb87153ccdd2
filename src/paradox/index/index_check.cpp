#include "paradox/index/index_check.h"

#include <map>
#include <memory>
#include <unordered_map>

#include "paradox/index/index_order.h"
#include "paradox/index/index_secondary.h"
#include "paradox/index/index_tree.h"

namespace pdx {

namespace {

// Past this many findings of one kind in one file, the rest are counted.
constexpr int kMaxPerKind = 5;

class Findings {
 public:
  explicit Findings(std::vector<std::string>* out) : out_(out) {}
  void Add(const std::string& file, const std::string& kind, const std::string& what) {
    int& n = counts_[file + "\n" + kind];
    if (++n <= kMaxPerKind) out_->push_back(file + ": " + what);
  }
  void Flush() {
    for (const auto& [key, n] : counts_) {
      if (n > kMaxPerKind) {
        std::string file = key.substr(0, key.find('\n'));
        std::string kind = key.substr(key.find('\n') + 1);
        out_->push_back(file + ": " + std::to_string(n - kMaxPerKind) + " more of: " + kind);
      }
    }
  }

 private:
  std::vector<std::string>* out_;
  std::map<std::string, int> counts_;
};

std::string BaseOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct ChainBlock {
  uint32_t block;
  uint32_t records;
  std::string firstKey;  // key bytes of its first record
};

// Compares a tree with the block chain of the file it indexes.
void CheckTree(const IndexTree& tree, const std::vector<ChainBlock>& blocks, const std::string& indexedLabel,
               Findings* f) {
  const std::string label = BaseOf(tree.path());
  const auto& leaves = tree.leaves();
  if (tree.levels() == 1 && tree.totalEntries() != tree.header().recordCount) {
    f->Add(label, "entry count", "header counts " + std::to_string(tree.header().recordCount) + " entries, the tree holds " +
                                     std::to_string(tree.totalEntries()));
  }
  if (leaves.size() != blocks.size()) {
    f->Add(label, "block count", "lists " + std::to_string(leaves.size()) + " blocks of " + indexedLabel + ", which has " +
                                     std::to_string(blocks.size()));
  }
  size_t n = std::min(leaves.size(), blocks.size());
  for (size_t i = 0; i < n; ++i) {
    const TreeEntry& e = leaves[i];
    const ChainBlock& b = blocks[i];
    std::string at = "entry " + std::to_string(i + 1) + ": ";
    if (e.block != b.block) {
      f->Add(label, "block number", at + "block " + std::to_string(e.block) + " where " + indexedLabel + " has block " +
                                        std::to_string(b.block));
      continue;
    }
    if (e.count != b.records) {
      f->Add(label, "record count", at + "block " + std::to_string(e.block) + " counted " + std::to_string(e.count) +
                                        " records, it holds " + std::to_string(b.records));
    }
    if (e.key.size() <= b.firstKey.size() && b.firstKey.compare(0, e.key.size(), e.key) != 0) {
      f->Add(label, "key", at + "key differs from the first record of block " + std::to_string(e.block));
    }
  }
}

Status CheckIndexesOf(const TableImpl& table, std::vector<std::string>* findings);

}  // namespace

Status CheckIndexes(const TableImpl& table, std::vector<std::string>* findings) {
  const size_t first = findings->size();
  Status st = CheckIndexesOf(table, findings);
  // Findings name files without their directory, as the table's own do.
  const std::string prefix = table.dir() + "/";
  for (size_t i = first; i < findings->size(); ++i) {
    std::string& line = (*findings)[i];
    if (line.compare(0, prefix.size(), prefix) == 0) line.erase(0, prefix.size());
  }
  return st;
}

namespace {

Status CheckIndexesOf(const TableImpl& table, std::vector<std::string>* findings) {
  Findings f(findings);
  const ParadoxFile& db = table.db();
  const FileHeader& h = db.header();
  const std::string dbLabel = table.tableLabel();

  IndexDiscovery found;
  PDX_RETURN_IF_ERROR(DiscoverIndexes(table.env(), db.path(), h, &found));
  for (const Status& s : found.problems) findings->push_back(s.message());
  if (!h.IsKeyed()) {
    f.Flush();
    return Status::OK();
  }

  Collation collation;
  Status cs = TableCollation(h, &collation);
  const bool orderKnown = cs.ok();
  // A sort order we do not know is no fault of the files: key order is then
  // not checked.
  KeyLayout pk;
  pk.collation = &collation;
  size_t pkSize = 0;
  for (int i = 0; i < h.keyFieldCount; ++i) {
    pk.parts.push_back({h.fields[i].type, h.fieldOffsets[i], StoredFieldSize(h.fields[i])});
    pkSize += StoredFieldSize(h.fields[i]);
  }

  // One walk of the data: blocks, key order, where each key lives.
  std::vector<ChainBlock> blocks;
  std::unordered_map<std::string, RecordRef> byKey;
  {
    std::string prev;
    PDX_RETURN_IF_ERROR(WalkBlocks(&db, [&](const BlockChain& chain) {
      ChainBlock b{chain.block(), chain.records(), std::string()};
      for (uint32_t i = 0; i < chain.records(); ++i) {
        const char* rec = chain.record(i);
        std::string key(rec, pkSize);
        if (i == 0) b.firstKey = key;
        std::string at = "block " + std::to_string(chain.block()) + " record " + std::to_string(i + 1);
        if (!prev.empty() && orderKnown) {
          int c = pk.Compare(prev.data(), key.data());
          if (c > 0) f.Add(dbLabel, "key order", at + " is out of primary key order");
        }
        if (!byKey.emplace(key, RecordRef{chain.block(), i}).second) {
          f.Add(dbLabel, "repeated key", at + " repeats the primary key of another record");
        }
        prev = key;
      }
      blocks.push_back(std::move(b));
    }));
  }

  for (const IndexFiles& idx : found.indexes) {
    if (idx.desc.primary) {
      if (idx.entryPath.empty()) {
        findings->push_back(dbLabel + ": keyed table without its primary index (.PX)");
        continue;
      }
      std::unique_ptr<IndexTree> tree;
      Status s = IndexTree::Read(table.env(), idx.entryPath, &tree);
      if (!s.ok()) {
        findings->push_back(s.message());
        continue;
      }
      if (tree->header().fieldCount != h.keyFieldCount) {
        findings->push_back(BaseOf(idx.entryPath) + ": key of " + std::to_string(tree->header().fieldCount) +
                            " fields for a table keyed on " + std::to_string(h.keyFieldCount));
        continue;
      }
      CheckTree(*tree, blocks, dbLabel, &f);
      continue;
    }

    std::unique_ptr<SecondaryIndex> si;
    Status s = SecondaryIndex::Open(table.env(), idx, h, &collation, &si);
    const std::string label = BaseOf(idx.entryPath);
    if (!s.ok()) {
      findings->push_back(s.message());
      continue;
    }
    // Expected secondary key of each record, by primary key.
    std::unordered_map<std::string, std::string> expected;
    PDX_RETURN_IF_ERROR(WalkRecords(&db, [&](const char* rec, uint32_t, uint32_t) {
      expected.emplace(std::string(rec, pkSize), si->EntryKeyOf(rec, h));
    }));
    const auto& entries = si->entries();
    if (entries.size() != h.recordCount) {
      f.Add(label, "entry count", std::to_string(entries.size()) + " entries for " + std::to_string(h.recordCount) +
                                      " records");
    }
    std::unordered_map<std::string, int> seen;
    std::unordered_multimap<std::string, std::string> foldedKeys;  // folded -> exact
    const size_t keyBytes = si->primaryKeyOffset();
    for (size_t n = 0; n < entries.size(); ++n) {
      const std::string& e = entries[n];
      std::string at = "entry " + std::to_string(n + 1);
      std::string pkBytes = e.substr(si->primaryKeyOffset(), si->primaryKeySize());
      auto it = expected.find(pkBytes);
      if (it == expected.end() && idx.desc.caseInsensitive) {
        // The entry may hold its primary key uppercased.
        if (foldedKeys.empty()) {
          for (const auto& [key, value] : expected) foldedKeys.emplace(si->FoldedPrimaryKey(key, h), key);
        }
        auto fk = foldedKeys.find(si->FoldedPrimaryKey(pkBytes, h));
        if (fk != foldedKeys.end()) {
          it = expected.find(fk->second);
          pkBytes = fk->second;
          foldedKeys.erase(fk);
        }
      }
      if (it == expected.end()) {
        f.Add(label, "entry without record", at + " stands for no record of " + dbLabel);
      } else if (e.compare(0, keyBytes, it->second) != 0) {
        f.Add(label, "entry values", at + " does not hold the values of its record");
      }
      if (++seen[pkBytes] == 2) f.Add(label, "repeated entry", at + " repeats the entry of a record");
      // Ascending entries are strictly ordered on the whole entry key; how a
      // descending index orders equal keys is not known, so only its keys count.
      bool outOfOrder = false;
      if (n > 0 && orderKnown) {
        outOfOrder = si->files().desc.descending ? si->key().Compare(entries[n - 1].data(), e.data()) > 0
                                                 : si->fullKey().Compare(entries[n - 1].data(), e.data()) >= 0;
      }
      if (outOfOrder) {
        f.Add(label, "entry order", at + " is out of index order");
      }
    }
    for (const auto& [key, value] : expected) {
      (void)value;
      if (!seen.count(key)) f.Add(label, "record without entry", "a record of " + dbLabel + " has no entry");
    }
    if (idx.treePath.empty()) {
      findings->push_back(label + ": no tree file (.Y) beside it");
      continue;
    }
    std::unique_ptr<IndexTree> tree;
    s = IndexTree::Read(table.env(), idx.treePath, &tree);
    if (!s.ok()) {
      findings->push_back(s.message());
      continue;
    }
    std::vector<ChainBlock> xblocks;
    const auto& eb = si->entryBlocks();
    for (size_t n = 0; n < entries.size(); ++n) {
      if (xblocks.empty() || xblocks.back().block != eb[n]) {
        xblocks.push_back({eb[n], 0, entries[n].substr(0, entries[n].size() - 2)});
      }
      ++xblocks.back().records;
    }
    CheckTree(*tree, xblocks, label, &f);
  }
  f.Flush();
  return Status::OK();
}

}  // namespace

}  // namespace pdx

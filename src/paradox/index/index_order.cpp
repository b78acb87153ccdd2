#include "paradox/index/index_order.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace pdx {

namespace {

std::string BaseOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// An order we do not know still reads (the index files give the order);
// only searches on alpha fields need the collation, and refuse.
Status MakeCollation(const FileHeader& db, std::unique_ptr<Collation>* out, Status* unknown) {
  auto c = std::make_unique<Collation>();
  *unknown = TableCollation(db, c.get());
  if (!unknown->ok()) *c = Collation();
  *out = std::move(c);
  return Status::OK();
}

// NotSupported when the first `parts` fields of a layout hold alpha text and
// the sort order is unknown: a search would find the wrong place.
Status CanSearch(const KeyLayout& key, size_t parts, const Status& unknown, const std::string& table) {
  if (unknown.ok()) return Status::OK();
  for (size_t i = 0; i < parts && i < key.parts.size(); ++i) {
    if (key.parts[i].type == FieldType::kAlpha) {
      return Status::NotSupported(table + ": cannot search alpha keys: " + unknown.message());
    }
  }
  return Status::OK();
}

}  // namespace

std::string IndexFilePath(const TableImpl& table, const std::string& file) { return JoinPath(table.dir(), file); }

Status EncodeProbe(const TableImpl& table, const std::vector<int>& fields, const std::vector<Value>& leading,
                   const Collation* upcaseWith, std::string* probe) {
  probe->clear();
  if (leading.size() > fields.size()) {
    return Status::InvalidArgument(table.tableLabel() + ": " + std::to_string(leading.size()) +
                                   " key values for an index of " + std::to_string(fields.size()) + " fields");
  }
  const FileHeader& h = table.db().header();
  const CodePage* cp = table.db().codePage();
  TextEncoder enc = [cp](std::string_view utf8, std::string* bytes) { return cp->Encode(utf8, bytes); };
  for (size_t i = 0; i < leading.size(); ++i) {
    const FieldDesc& f = h.fields[fields[i] - 1];
    std::string bytes;
    Status s = EncodeKeyValue(f, leading[i], enc, upcaseWith, &bytes);
    if (!s.ok()) return Status::InvalidArgument(table.tableLabel() + ": " + s.message());
    *probe += bytes;
  }
  return Status::OK();
}

// ---------------------------------------------------------------------------
// Primary order

Status PrimaryOrder::Open(const TableImpl& table, std::unique_ptr<PrimaryOrder>* out) {
  auto o = std::unique_ptr<PrimaryOrder>(new PrimaryOrder());
  o->table_ = &table;
  const ParadoxFile& db = table.db();
  const FileHeader& h = db.header();
  PDX_RETURN_IF_ERROR(MakeCollation(h, &o->collation_, &o->unknownOrder_));
  o->recordKey_.collation = o->collation_.get();
  for (int i = 0; i < h.keyFieldCount; ++i) {
    o->recordKey_.parts.push_back({h.fields[i].type, h.fieldOffsets[i], StoredFieldSize(h.fields[i])});
  }

  // The .PX names every block and its record count: no data block is read.
  const TableInfo& info = table.info();
  std::string px;
  for (const IndexDesc& d : info.indexes) {
    if (d.primary) px = d.file;
  }
  bool usable = false;
  if (!px.empty() && h.keyFieldCount > 0) {
    std::unique_ptr<IndexTree> tree;
    if (IndexTree::Read(table.env(), IndexFilePath(table, px), &tree).ok() &&
        tree->header().fieldCount == h.keyFieldCount) {
      uint64_t total = 0;
      bool fits = true;
      for (const TreeEntry& e : tree->leaves()) {
        total += e.count;
        if (e.block > db.BlocksInFile() || e.count > db.RecordsPerBlock()) fits = false;
      }
      for (int i = 0; i < h.keyFieldCount && fits; ++i) {
        const FieldDesc& f = tree->header().fields[i];
        fits = f.type == h.fields[i].type && f.size == h.fields[i].size;
      }
      // A tree that disagrees with the header is out of date: walk the chain.
      if (fits && total == h.recordCount) {
        o->treeKey_ = o->recordKey_;
        for (int i = 0; i < h.keyFieldCount; ++i) o->treeKey_.parts[i].offset = tree->header().fieldOffsets[i];
        for (const TreeEntry& e : tree->leaves()) {
          o->blockStart_.push_back(o->records_.size());
          for (uint32_t s = 0; s < e.count; ++s) o->records_.push_back({e.block, s});
        }
        o->tree_ = std::move(tree);
        usable = true;
      }
    }
  }
  if (!usable) {
    o->records_.clear();
    o->blockStart_.clear();
    PDX_RETURN_IF_ERROR(WalkBlocks(&db, [&](const BlockChain& chain) {
      o->blockStart_.push_back(o->records_.size());
      for (uint32_t s = 0; s < chain.records(); ++s) o->records_.push_back({chain.block(), s});
    }));
  }
  *out = std::move(o);
  return Status::OK();
}

Status PrimaryOrder::Probe(const std::vector<Value>& leading, std::string* probe) const {
  std::vector<int> fields;
  for (size_t i = 0; i < recordKey_.parts.size(); ++i) fields.push_back(static_cast<int>(i) + 1);
  return EncodeProbe(*table_, fields, leading, nullptr, probe);
}

Status PrimaryOrder::LowerBound(const std::vector<Value>& leading, size_t* pos) const {
  std::string probe;
  PDX_RETURN_IF_ERROR(Probe(leading, &probe));
  return Bound(probe, leading.size(), false, pos);
}

Status PrimaryOrder::UpperBound(const std::vector<Value>& leading, size_t* pos) const {
  std::string probe;
  PDX_RETURN_IF_ERROR(Probe(leading, &probe));
  return Bound(probe, leading.size(), true, pos);
}

Status PrimaryOrder::Bound(const std::string& probe, size_t parts, bool upper, size_t* pos) const {
  PDX_RETURN_IF_ERROR(CanSearch(recordKey_, parts, unknownOrder_, table_->tableLabel()));
  const size_t nblocks = blockStart_.size();
  if (nblocks == 0 || parts == 0) {
    *pos = (parts == 0 && upper) ? records_.size() : 0;
    return Status::OK();
  }
  // Is the record at r past the bound? (>= probe, or > probe for upper)
  auto past = [&](const char* key, const KeyLayout& layout) {
    int c = layout.CompareWithProbe(key, probe, parts);
    return upper ? c > 0 : c >= 0;
  };
  // Last block whose first key is not past the bound: the bound lies in it or
  // at the start of the next block.
  size_t lo = 0, hi = nblocks;  // blocks [0, lo) are not past; [hi, n) are past
  std::string buf;
  BlockHeader bh;
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    bool p;
    if (tree_) {
      p = past(tree_->leaves()[mid].key.data(), treeKey_);
    } else {
      const RecordRef& r = records_[blockStart_[mid]];
      PDX_RETURN_IF_ERROR(table_->db().LoadBlock(r.block, &buf, &bh));
      if (bh.records == 0) return Status::Corruption(table_->tableLabel() + ": empty block " + std::to_string(r.block));
      p = past(table_->db().RecordPtr(buf, 0), recordKey_);
    }
    if (p) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  if (lo == 0) {
    *pos = 0;
    return Status::OK();
  }
  size_t b = lo - 1;
  size_t start = blockStart_[b];
  size_t end = b + 1 < nblocks ? blockStart_[b + 1] : records_.size();
  uint32_t block = records_[start].block;
  PDX_RETURN_IF_ERROR(table_->db().LoadBlock(block, &buf, &bh));
  if (bh.records < end - start) {
    return Status::Corruption(table_->tableLabel() + ": block " + std::to_string(block) + " holds " +
                              std::to_string(bh.records) + " records, its index says " + std::to_string(end - start));
  }
  size_t i = 0;
  while (start + i < end && !past(table_->db().RecordPtr(buf, static_cast<uint32_t>(i)), recordKey_)) ++i;
  *pos = start + i;
  return Status::OK();
}

Status PrimaryOrder::Find(const std::string& key, bool* found, RecordRef* ref) const {
  *found = false;
  size_t pos = 0;
  const size_t parts = recordKey_.parts.size();
  PDX_RETURN_IF_ERROR(Bound(key, parts, false, &pos));
  if (pos >= records_.size()) return Status::OK();
  std::string buf;
  const char* rec = nullptr;
  PDX_RETURN_IF_ERROR(table_->db().ReadRecord(records_[pos], &buf, &rec));
  if (recordKey_.CompareWithProbe(rec, key, parts) == 0) {
    *found = true;
    *ref = records_[pos];
  }
  return Status::OK();
}

// ---------------------------------------------------------------------------
// Secondary order

Status SecondaryOrder::Open(const TableImpl& table, const IndexDesc& index, std::unique_ptr<SecondaryOrder>* out) {
  auto o = std::unique_ptr<SecondaryOrder>(new SecondaryOrder());
  o->table_ = &table;
  PDX_RETURN_IF_ERROR(PrimaryOrder::Open(table, &o->primary_));
  const ParadoxFile& db = table.db();
  const FileHeader& h = db.header();

  IndexFiles files;
  files.desc = index;
  files.entryPath = IndexFilePath(table, index.file);
  PDX_RETURN_IF_ERROR(SecondaryIndex::Open(table.env(), files, h, &o->primary_->collation(), &o->index_));
  const SecondaryIndex& si = *o->index_;
  const std::string label = BaseOf(files.entryPath);
  if (si.entries().size() != h.recordCount) {
    return Status::Corruption(label + ": " + std::to_string(si.entries().size()) + " entries for " +
                              std::to_string(h.recordCount) + " records of " + table.tableLabel() +
                              " (index out of date)");
  }

  // Primary keys of the blocks read so far, to find each entry's record.
  std::unordered_map<std::string, RecordRef> where;
  std::vector<bool> loaded(db.BlocksInFile() + 1, false);
  const size_t pkSize = si.primaryKeySize();
  std::string buf;
  BlockHeader bh;
  auto loadBlock = [&](uint32_t block) -> Status {
    if (block < 1 || block >= loaded.size() || loaded[block]) return Status::OK();
    loaded[block] = true;
    Status s = db.LoadBlock(block, &buf, &bh);
    if (!s.ok()) return Status::OK();  // a hint to a bad block is only a bad hint
    for (uint32_t i = 0; i < bh.records; ++i) where.emplace(std::string(db.RecordPtr(buf, i), pkSize), RecordRef{block, i});
    return Status::OK();
  };
  std::unordered_multimap<std::string, RecordRef> folded;  // filled on first need
  bool folding = false;
  o->records_.reserve(si.entries().size());
  for (size_t n = 0; n < si.entries().size(); ++n) {
    const std::string& e = si.entries()[n];
    std::string pk = e.substr(si.primaryKeyOffset(), pkSize);
    auto it = where.find(pk);
    if (it == where.end()) {
      PDX_RETURN_IF_ERROR(loadBlock(si.HintBlock(e)));
      it = where.find(pk);
    }
    if (it == where.end()) {
      bool found = false;
      RecordRef ref;
      PDX_RETURN_IF_ERROR(o->primary_->Find(pk, &found, &ref));
      if (!found && index.caseInsensitive) {
        // The entry may hold its primary key uppercased: match it that way.
        if (folded.empty() && !folding) {
          folding = true;
          PDX_RETURN_IF_ERROR(WalkRecords(&db, [&](const char* rec, uint32_t block, uint32_t slot) {
            folded.emplace(si.FoldedPrimaryKey(std::string_view(rec, pkSize), h), RecordRef{block, slot});
          }));
        }
        auto f = folded.find(si.FoldedPrimaryKey(pk, h));
        if (f != folded.end()) {
          ref = f->second;
          folded.erase(f);
          o->records_.push_back(ref);
          continue;
        }
      }
      if (!found) {
        return Status::Corruption(label + ": entry " + std::to_string(n + 1) + " stands for no record of " +
                                  table.tableLabel() + " (index out of date)");
      }
      PDX_RETURN_IF_ERROR(loadBlock(ref.block));
      it = where.find(pk);
      if (it == where.end()) it = where.emplace(pk, ref).first;
    }
    o->records_.push_back(it->second);
  }
  *out = std::move(o);
  return Status::OK();
}

Status SecondaryOrder::Bound(const std::vector<Value>& leading, bool upper, size_t* pos) const {
  const SecondaryIndex& si = *index_;
  std::string probe;
  const Collation* up = si.files().desc.caseInsensitive ? &primary_->collation() : nullptr;
  PDX_RETURN_IF_ERROR(EncodeProbe(*table_, si.files().desc.fields, leading, up, &probe));
  const size_t parts = leading.size();
  PDX_RETURN_IF_ERROR(CanSearch(si.key(), parts, primary_->unknownOrder(), table_->tableLabel()));
  const auto& entries = si.entries();
  size_t lo = 0, hi = entries.size();
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    int c = si.key().CompareWithProbe(entries[mid].data(), probe, parts);
    bool past = upper ? c > 0 : c >= 0;
    if (past) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  *pos = lo;
  return Status::OK();
}

Status SecondaryOrder::LowerBound(const std::vector<Value>& leading, size_t* pos) const {
  return Bound(leading, false, pos);
}

Status SecondaryOrder::UpperBound(const std::vector<Value>& leading, size_t* pos) const {
  return Bound(leading, true, pos);
}

// ---------------------------------------------------------------------------
// Hooks called by the table reader

Status DiscoverSecondaryIndexes(Env* env, const std::string& dir, const ParadoxFile& db,
                                std::vector<IndexDesc>* indexes) {
  (void)dir;
  IndexDiscovery found;
  PDX_RETURN_IF_ERROR(DiscoverIndexes(env, db.path(), db.header(), &found));
  // Damaged index files are left out here; opening their order or `pdx check`
  // reports them.
  for (const IndexFiles& f : found.indexes) {
    if (!f.desc.primary) indexes->push_back(f.desc);
  }
  return Status::OK();
}

Status OpenIndexOrder(const TableImpl& table, const IndexDesc& index, std::unique_ptr<IndexOrder>* out) {
  if (index.primary) {
    std::unique_ptr<PrimaryOrder> p;
    PDX_RETURN_IF_ERROR(PrimaryOrder::Open(table, &p));
    *out = std::move(p);
    return Status::OK();
  }
  std::unique_ptr<SecondaryOrder> s;
  PDX_RETURN_IF_ERROR(SecondaryOrder::Open(table, index, &s));
  *out = std::move(s);
  return Status::OK();
}

}  // namespace pdx

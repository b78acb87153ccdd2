// TableWriter::Merge: a batch of changes in one pass (merge.h).
#include <algorithm>
#include <cstring>

#include "paradox/merge.h"
#include "paradox/record_view.h"
#include "paradox/write/writer_impl.h"

namespace pdx {

// The batch as the records of one table layout: records and sort keys side
// by side, the incoming rows in key order (batch order among equal keys), the
// drop ranges' key prefixes sorted with their first index.
struct MergeBatch::Encoded {
  std::string signature;  // the layout they were made for
  size_t recordSize = 0, keyBytes = 0, prefixBytes = 0;
  std::string records, keys;
  std::vector<uint32_t> order;
  // Equal keys share a number, by position in order: runs of one key are
  // told without comparing keys again for every table.
  std::vector<uint32_t> keyRun;
  bool prefixesMade = false;
  std::string prefixes;                // prefixBytes each, sorted, no duplicates
  std::vector<uint32_t> prefixRange;   // the first range of each prefix
  std::vector<std::pair<uint32_t, uint32_t>> updates;  // offset, size of each update field
};

MergeBatch::MergeBatch() = default;
MergeBatch::~MergeBatch() = default;
MergeBatch::MergeBatch(MergeBatch&&) noexcept = default;
MergeBatch& MergeBatch::operator=(MergeBatch&&) noexcept = default;

void MergeBatch::SetRows(std::vector<std::vector<Value>> rows) {
  rows_ = std::move(rows);
  encoded_.reset();
}

void MergeBatch::SetUpdateFields(std::vector<int> fields) {
  updateFields_ = std::move(fields);
  encoded_.reset();
}

void MergeBatch::SetDropRanges(std::vector<std::vector<Value>> prefixes) {
  dropRanges_ = std::move(prefixes);
  // The rows stay encoded: ranges change from table to table, rows seldom.
  if (encoded_) encoded_->prefixesMade = false;
}

std::string TableWriterImpl::LayoutSignature() const {
  std::string s = std::to_string(info_.codePage) + "|" + info_.sortOrder + "|" + std::to_string(info_.keyFieldCount);
  for (const FieldDesc& f : info_.fields) {
    s += '|';
    s += static_cast<char>(f.type);
    s += std::to_string(f.size);
    s += f.required ? "r" : "";
  }
  return s;
}

Status TableWriterImpl::EncodeBatch(MergeBatch& batch) const {
  std::string signature = LayoutSignature();
  if (batch.encoded_ && batch.encoded_->signature == signature)
    return batch.encoded_->prefixesMade ? Status::OK() : EncodeRanges(batch);
  batch.encoded_.reset();
  auto e = std::make_unique<MergeBatch::Encoded>();
  e->signature = std::move(signature);
  e->recordSize = recordSize_;
  e->keyBytes = primaryKey_.size();

  for (int f : batch.updateFields_) {
    if (f <= info_.keyFieldCount || f > static_cast<int>(info_.fields.size()))
      return Status::InvalidArgument(label_ + ": field " + std::to_string(f) + " cannot be an update field of a merge");
    const FieldDesc& d = info_.fields[static_cast<size_t>(f - 1)];
    if (IsBlobType(d.type))
      return Status::NotSupported(label_ + ": field \"" + d.name + "\" is a blob: a merge does not update it");
    e->updates.emplace_back(offsets_[static_cast<size_t>(f - 1)], static_cast<uint32_t>(StoredFieldSize(d)));
  }

  const size_t n = batch.rows_.size();
  e->records.resize(n * recordSize_);
  e->keys.resize(n * e->keyBytes);
  std::string rec;
  std::map<int, std::string> blobs;
  for (size_t r = 0; r < n; ++r) {
    uint32_t used = 0;
    blobs.clear();
    PDX_RETURN_IF_ERROR(EncodeRow(batch.rows_[r], &rec, &blobs, false, &used));
    if (!blobs.empty())
      return Status::NotSupported(label_ + ": row " + std::to_string(r + 1) + " of a merge holds a blob value");
    std::memcpy(e->records.data() + r * recordSize_, rec.data(), recordSize_);
    primaryKey_.Make(rec.data(), e->keys.data() + r * e->keyBytes);
  }
  e->order.resize(n);
  for (size_t r = 0; r < n; ++r) e->order[r] = static_cast<uint32_t>(r);
  const char* keys = e->keys.data();
  const size_t kb = e->keyBytes;
  std::stable_sort(e->order.begin(), e->order.end(),
                   [&](uint32_t a, uint32_t b) { return std::memcmp(keys + a * kb, keys + b * kb, kb) < 0; });
  e->keyRun.resize(n);
  for (size_t i = 1; i < n; ++i)
    e->keyRun[i] = e->keyRun[i - 1] +
                   (std::memcmp(keys + e->order[i] * kb, keys + e->order[i - 1] * kb, kb) == 0 ? 0u : 1u);

  batch.encoded_ = std::move(e);
  return EncodeRanges(batch);
}

Status TableWriterImpl::EncodeRanges(MergeBatch& batch) const {
  MergeBatch::Encoded* e = batch.encoded_.get();
  const size_t kb = e->keyBytes;
  e->prefixes.clear();
  e->prefixRange.clear();
  e->prefixBytes = 0;
  if (!batch.dropRanges_.empty()) {
    const size_t fields = batch.dropRanges_.front().size();
    if (fields == 0 || fields > static_cast<size_t>(info_.keyFieldCount))
      return Status::InvalidArgument(label_ + ": a drop range of a merge is a prefix of the primary key");
    e->prefixBytes = primaryKey_.PrefixSize(fields);
    std::string probe(recordSize_, '\0'), key(kb, '\0');
    std::vector<std::pair<std::string, uint32_t>> all;
    for (size_t i = 0; i < batch.dropRanges_.size(); ++i) {
      if (batch.dropRanges_[i].size() != fields)
        return Status::InvalidArgument(label_ + ": the drop ranges of a merge have different lengths");
      std::fill(probe.begin(), probe.end(), '\0');
      Status s = EncodeKeyFields(batch.dropRanges_[i], probe.data());
      if (!s.ok()) return Status::InvalidArgument(label_ + ": " + s.message());
      primaryKey_.Make(probe.data(), key.data());
      all.emplace_back(key.substr(0, e->prefixBytes), static_cast<uint32_t>(i));
    }
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < all.size(); ++i) {
      if (i > 0 && all[i].first == all[i - 1].first) continue;
      e->prefixes += all[i].first;
      e->prefixRange.push_back(all[i].second);
    }
  }
  e->prefixesMade = true;
  return Status::OK();
}

Status TableWriterImpl::Merge(MergeBatch& batch, MergeDecider& decider, MergeOutcome* outcome) {
  if (!Keyed()) return Status::InvalidArgument(label_ + ": a merge needs a keyed table");
  if (autoIncField_ != 0) return Status::NotSupported(label_ + ": a merge into a table with an autoincrement field");
  PDX_RETURN_IF_ERROR(EncodeBatch(batch));
  EnsureFlat();
  const MergeBatch::Encoded& e = *batch.encoded_;
  const size_t n = batch.rows_.size();
  const size_t kb = e.keyBytes;
  if (rows_.size() + n >= kMaxRows) return Status::InvalidArgument(label_ + ": too many rows");
  outcome->rows.assign(n, MergeOutcome::kSkipped);
  outcome->dropped = 0;
  auto view = [&](const char* rec) {
    return RecordView(rec, recordSize_, info_.slots.data(), static_cast<uint32_t>(info_.slots.size()), cp_);
  };

  // The rows that stay, in key order, with the order's copy of their keys.
  struct Entry {
    RowId id;
    const char* key;
  };
  std::vector<Entry> kept;
  kept.reserve(merged_.size());
  const size_t prefixes = e.prefixRange.size();
  size_t p = 0;
  bool changed = false;
  for (size_t at = 0; at < merged_.size(); ++at) {
    const RowId id = merged_[at];
    const char* key = mergedKeys_.data() + at * kb;
    // The ranges and the rows go the same way: the range a row may be in is
    // the first one not below its key's prefix.
    int c = 1;
    while (p < prefixes && (c = KeyCompare(e.prefixes.data() + p * e.prefixBytes, key, e.prefixBytes)) < 0) ++p;
    if (p < prefixes && c == 0) {
      if (decider.Drop(e.prefixRange[p], view(rows_.at(id)))) {
        for (int f : blobFields_) blobs_.erase(BlobKey(id, f));
        rows_.Kill(id);
        --live_;
        ++outcome->dropped;
        changed = true;
        continue;
      }
    }
    kept.push_back({id, key});
  }

  std::vector<char> take(n);
  for (size_t r = 0; r < n; ++r) take[r] = decider.Take(r) ? 1 : 0;

  std::vector<RowId> merged;
  merged.reserve(kept.size() + n);
  size_t k = 0, i = 0;
  auto nextTaken = [&](size_t at) {
    while (at < n && !take[e.order[at]]) ++at;
    return at;
  };
  i = nextTaken(0);
  while (k < kept.size() || i < n) {
    int c = k == kept.size() ? 1 : i >= n ? -1 : KeyCompare(kept[k].key, e.keys.data() + e.order[i] * kb, kb);
    if (c < 0) {
      merged.push_back(kept[k].id);
      ++k;
      continue;
    }
    // A run of incoming rows of one key, against the current row of that key
    // when there is one.
    const uint32_t run = e.keyRun[i];
    RowId target = 0;
    bool has = false;
    if (c == 0) {
      target = kept[k].id;
      has = true;
      ++k;
    }
    for (; i < n && e.keyRun[i] == run; i = nextTaken(i + 1)) {
      const uint32_t r = e.order[i];
      const char* in = e.records.data() + static_cast<size_t>(r) * e.recordSize;
      if (!has) {
        target = rows_.Add(in);
        ++live_;
        has = true;
        changed = true;
        outcome->rows[r] = MergeOutcome::kInserted;
        continue;
      }
      char* rec = rows_.at(target);
      if (decider.Replace(r, view(rec))) {
        for (const auto& [offset, size] : e.updates) std::memcpy(rec + offset, in + offset, size);
        outcome->rows[r] = MergeOutcome::kReplaced;
        changed = true;
      } else {
        outcome->rows[r] = MergeOutcome::kUnchanged;
      }
    }
    merged.push_back(target);
  }
  // The keys of kept rows lived in the old list: it goes only now, and the
  // keys are made again from the records if a lookup needs them.
  merged_ = std::move(merged);
  mergedKeys_ = {};
  mergedKeysMade_ = false;
  keyedStale_ = true;
  if (changed) dirty_ = true;
  return Status::OK();
}

}  // namespace pdx

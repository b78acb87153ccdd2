#pragma once
// The key order of a keyed table's rows in memory: row ids in chunks of a few
// hundred, each chunk sorted and holding its rows' sort keys (sort_key.h) side
// by side, plus one flat array of each chunk's first key. A search binary-
// searches that array, then one chunk's keys, with memcmp on small contiguous
// arrays: it never reads a record scattered in memory, nor walks a collation.
// Inserting or removing a row costs log n comparisons plus a move inside one
// chunk, and stays quick on tables of millions of rows, where a node-per-row
// tree spends its time waiting for memory. Chunks are sized in bytes (a few
// KiB of keys), so that long keys do not make the moves inside a chunk long.
//
// Contract: every key is keyBytes bytes, ordered by memcmp; keys are unique.
// The order keeps its own copy of each key: a row's key is given when it is
// inserted and again when it is erased (unless it is the row the last Find
// gave).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace pdx {

class KeyOrder {
 public:
  using Id = uint32_t;
  explicit KeyOrder(size_t keyBytes = 0)
      : keyBytes_(keyBytes),
        max_(std::clamp<size_t>(kChunkBytes / std::max<size_t>(keyBytes, 1), kMinRows, kMaxRows)) {}

  size_t size() const { return size_; }
  size_t keyBytes() const { return keyBytes_; }
  void clear() {
    found_ = kNone;
    chunks_.clear();
    firsts_.clear();
    size_ = 0;
  }
  // False (and nothing changes) when a row with an equal key is there.
  bool Insert(Id id, const char* key) {
    found_ = kNone;
    size_t c = 0, i = 0;
    if (Locate(key, &c, &i)) return false;
    if (chunks_.empty()) {
      chunks_.emplace_back();
      firsts_.assign(keyBytes_, '\0');
    }
    Chunk& ch = chunks_[c];
    ch.ids.insert(ch.ids.begin() + static_cast<long>(i), id);
    ch.keys.insert(i * keyBytes_, key, keyBytes_);
    if (i == 0) std::memcpy(firsts_.data() + c * keyBytes_, key, keyBytes_);
    ++size_;
    if (ch.ids.size() > max_) Split(c);
    return true;
  }
  // Appends a row known to sort after every other (loading a table in key
  // order); false when it does not.
  bool Append(Id id, const char* key) {
    found_ = kNone;
    if (!chunks_.empty()) {
      const Chunk& last = chunks_.back();
      if (std::memcmp(last.keys.data() + (last.ids.size() - 1) * keyBytes_, key, keyBytes_) >= 0) return false;
    }
    if (chunks_.empty() || chunks_.back().ids.size() >= max_ * 3 / 4) {
      chunks_.emplace_back();
      chunks_.back().ids.reserve(max_ + 1);
      chunks_.back().keys.reserve((max_ + 1) * keyBytes_);
      firsts_.append(key, keyBytes_);
    }
    chunks_.back().ids.push_back(id);
    chunks_.back().keys.append(key, keyBytes_);
    ++size_;
    return true;
  }
  // Erases row id; key is its key, or null when id is the row the last Find
  // gave. False when the row is not there (or key is null and it was not
  // just found).
  bool Erase(Id id, const char* key) {
    size_t c = 0, i = 0;
    if (found_ == id && foundChunk_ < chunks_.size() && foundAt_ < chunks_[foundChunk_].ids.size() &&
        chunks_[foundChunk_].ids[foundAt_] == id) {
      c = foundChunk_;  // just found: no second search
      i = foundAt_;
    } else if (key == nullptr || !Locate(key, &c, &i) || chunks_[c].ids[i] != id) {
      return false;
    }
    found_ = kNone;
    Chunk& ch = chunks_[c];
    ch.ids.erase(ch.ids.begin() + static_cast<long>(i));
    ch.keys.erase(i * keyBytes_, keyBytes_);
    --size_;
    if (ch.ids.empty()) {
      chunks_.erase(chunks_.begin() + static_cast<long>(c));
      firsts_.erase(c * keyBytes_, keyBytes_);
    } else if (i == 0) {
      std::memcpy(firsts_.data() + c * keyBytes_, ch.keys.data(), keyBytes_);
    }
    return true;
  }
  // The row whose key equals key.
  bool Find(const char* key, Id* id) const {
    size_t c = 0, i = 0;
    if (!Locate(key, &c, &i)) return false;
    *id = chunks_[c].ids[i];
    found_ = *id;
    foundChunk_ = c;
    foundAt_ = i;
    return true;
  }
  template <class F>
  void ForEach(F f) const {
    for (const auto& ch : chunks_)
      for (Id id : ch.ids) f(id);
  }

 private:
  static constexpr size_t kChunkBytes = 8192;
  static constexpr size_t kMinRows = 16, kMaxRows = 512;
  static constexpr Id kNone = 0xFFFFFFFFu;

  struct Chunk {
    std::vector<Id> ids;
    std::string keys;  // keyBytes_ per row, in the order of ids
  };

  // Chunk and position of the first row not below key; true when its key equals key.
  bool Locate(const char* key, size_t* c, size_t* i) const {
    *c = 0;
    *i = 0;
    if (chunks_.empty()) return false;
    // Last chunk whose first key is not above key.
    size_t lo = 0, hi = chunks_.size();
    while (lo < hi) {
      size_t mid = (lo + hi) / 2;
      if (std::memcmp(firsts_.data() + mid * keyBytes_, key, keyBytes_) <= 0) lo = mid + 1;
      else hi = mid;
    }
    *c = lo == 0 ? 0 : lo - 1;
    const Chunk& ch = chunks_[*c];
    const char* keys = ch.keys.data();
    size_t a = 0, b = ch.ids.size();
    while (a < b) {
      size_t mid = (a + b) / 2;
      if (std::memcmp(keys + mid * keyBytes_, key, keyBytes_) < 0) a = mid + 1;
      else b = mid;
    }
    *i = a;
    return a < ch.ids.size() && std::memcmp(keys + a * keyBytes_, key, keyBytes_) == 0;
  }
  void Split(size_t c) {
    Chunk right;
    {
      Chunk& left = chunks_[c];
      const size_t half = left.ids.size() / 2;
      right.ids.reserve(max_ + 1);
      right.ids.assign(left.ids.begin() + static_cast<long>(half), left.ids.end());
      right.keys.reserve((max_ + 1) * keyBytes_);
      right.keys.assign(left.keys, half * keyBytes_, std::string::npos);
      left.ids.resize(half);
      left.keys.resize(half * keyBytes_);
    }
    firsts_.insert((c + 1) * keyBytes_, right.keys.data(), keyBytes_);
    chunks_.insert(chunks_.begin() + static_cast<long>(c + 1), std::move(right));
  }

  size_t keyBytes_;
  size_t max_;  // rows in a chunk before it splits
  std::vector<Chunk> chunks_;
  std::string firsts_;  // keyBytes_ per chunk: the key of its first row
  size_t size_ = 0;
  // Where the last Find ended, so that erasing the row found costs no search.
  mutable Id found_ = kNone;
  mutable size_t foundChunk_ = 0, foundAt_ = 0;
};

}  // namespace pdx

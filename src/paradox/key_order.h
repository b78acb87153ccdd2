#pragma once
// The key order of a keyed table's rows in memory: row ids in chunks of a few
// hundred, each chunk sorted, with a copy of each chunk's first key, so that a
// search touches one small array of keys and then one chunk. Inserting or
// removing a row costs log n comparisons plus a move inside one chunk, and
// stays quick on tables of millions of rows, where a node-per-row tree spends
// its time waiting for memory. Short keys are also copied beside the ids of
// their chunk, so that a search within a chunk reads one small array instead
// of a record scattered in memory per comparison.
//
// Contract: rows are given by id; bytesOf(id) gives the row's record bytes,
// whose first keyBytes hold the key; compare orders two such byte strings (or
// key copies) by key. A row's bytes must not change while it is in the order
// (Erase first, change, then Insert). Keys are unique.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pdx {

class KeyOrder {
 public:
  using Id = uint32_t;
  KeyOrder(std::function<const char*(Id)> bytesOf, std::function<int(const char*, const char*)> compare,
           size_t keyBytes)
      : bytesOf_(std::move(bytesOf)),
        compare_(std::move(compare)),
        keyBytes_(keyBytes),
        inline_(keyBytes > 0 && keyBytes <= kInlineKeyMax) {}

  size_t size() const { return size_; }
  void clear() {
    found_ = kNone;
    chunks_.clear();
    first_.clear();
    keys_.clear();
    size_ = 0;
  }
  // False (and nothing changes) when a row with an equal key is there.
  bool Insert(Id id) {
    found_ = kNone;
    const char* rec = bytesOf_(id);
    size_t c = 0, i = 0;
    if (Locate(rec, &c, &i)) return false;
    if (chunks_.empty()) {
      chunks_.emplace_back();
      first_.emplace_back();
      keys_.emplace_back();
    }
    auto& v = chunks_[c];
    v.insert(v.begin() + static_cast<long>(i), id);
    if (inline_) keys_[c].insert(i * keyBytes_, rec, keyBytes_);
    if (i == 0) first_[c].assign(rec, keyBytes_);
    ++size_;
    if (v.size() > kMax) Split(c);
    return true;
  }
  // Appends a row known to sort after every other (loading a table in key
  // order); false when it does not.
  bool Append(Id id) {
    found_ = kNone;
    const char* rec = bytesOf_(id);
    if (!chunks_.empty() && compare_(KeyAt(chunks_.size() - 1, chunks_.back().size() - 1), rec) >= 0) return false;
    if (chunks_.empty() || chunks_.back().size() >= kMax / 2) {
      chunks_.emplace_back();
      first_.emplace_back(rec, keyBytes_);
      keys_.emplace_back();
    }
    chunks_.back().push_back(id);
    if (inline_) keys_.back().append(rec, keyBytes_);
    ++size_;
    return true;
  }
  bool Erase(Id id) {
    size_t c = 0, i = 0;
    if (found_ == id && foundChunk_ < chunks_.size() && foundAt_ < chunks_[foundChunk_].size() &&
        chunks_[foundChunk_][foundAt_] == id) {
      c = foundChunk_;  // just found: no second search
      i = foundAt_;
    } else if (!Locate(bytesOf_(id), &c, &i) || chunks_[c][i] != id) {
      return false;
    }
    found_ = kNone;
    auto& v = chunks_[c];
    v.erase(v.begin() + static_cast<long>(i));
    if (inline_) keys_[c].erase(i * keyBytes_, keyBytes_);
    --size_;
    if (v.empty()) {
      chunks_.erase(chunks_.begin() + static_cast<long>(c));
      first_.erase(first_.begin() + static_cast<long>(c));
      keys_.erase(keys_.begin() + static_cast<long>(c));
    } else if (i == 0) {
      first_[c].assign(bytesOf_(v.front()), keyBytes_);
    }
    return true;
  }
  // The row whose key equals the key in rec's first keyBytes.
  bool Find(const char* rec, Id* id) const {
    size_t c = 0, i = 0;
    if (!Locate(rec, &c, &i)) return false;
    *id = chunks_[c][i];
    found_ = *id;
    foundChunk_ = c;
    foundAt_ = i;
    return true;
  }
  template <class F>
  void ForEach(F f) const {
    for (const auto& v : chunks_)
      for (Id id : v) f(id);
  }

 private:
  static constexpr size_t kMax = 512;
  static constexpr size_t kInlineKeyMax = 64;
  static constexpr Id kNone = 0xFFFFFFFFu;

  // Chunk and position of the first row not below rec; true when its key equals rec's.
  bool Locate(const char* rec, size_t* c, size_t* i) const {
    *c = 0;
    *i = 0;
    if (chunks_.empty()) return false;
    // Last chunk whose first key is not above rec.
    size_t lo = 0, hi = first_.size();
    while (lo < hi) {
      size_t mid = (lo + hi) / 2;
      if (compare_(first_[mid].data(), rec) <= 0) lo = mid + 1;
      else hi = mid;
    }
    *c = lo == 0 ? 0 : lo - 1;
    const auto& v = chunks_[*c];
    size_t a = 0, b = v.size();
    while (a < b) {
      size_t mid = (a + b) / 2;
      if (compare_(KeyAt(*c, mid), rec) < 0) a = mid + 1;
      else b = mid;
    }
    *i = a;
    return a < v.size() && compare_(KeyAt(*c, a), rec) == 0;
  }
  // The key of the i-th row of chunk c (its copy, or its record).
  const char* KeyAt(size_t c, size_t i) const {
    return inline_ ? keys_[c].data() + i * keyBytes_ : bytesOf_(chunks_[c][i]);
  }
  void Split(size_t c) {
    auto& v = chunks_[c];
    std::vector<Id> right(v.begin() + static_cast<long>(v.size() / 2), v.end());
    v.resize(v.size() / 2);
    std::string key(bytesOf_(right.front()), keyBytes_);
    std::string rightKeys;
    if (inline_) {
      rightKeys.assign(keys_[c], v.size() * keyBytes_, std::string::npos);
      keys_[c].resize(v.size() * keyBytes_);
    }
    chunks_.insert(chunks_.begin() + static_cast<long>(c + 1), std::move(right));
    first_.insert(first_.begin() + static_cast<long>(c + 1), std::move(key));
    keys_.insert(keys_.begin() + static_cast<long>(c + 1), std::move(rightKeys));
  }

  std::function<const char*(Id)> bytesOf_;
  std::function<int(const char*, const char*)> compare_;
  size_t keyBytes_;
  std::vector<std::vector<Id>> chunks_;
  std::vector<std::string> first_;
  bool inline_;
  std::vector<std::string> keys_;  // per chunk, when inline_: keyBytes_ per row, in chunk order
  size_t size_ = 0;
  // Where the last Find ended, so that erasing the row found costs no search.
  mutable Id found_ = kNone;
  mutable size_t foundChunk_ = 0, foundAt_ = 0;
};

}  // namespace pdx

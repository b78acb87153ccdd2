#pragma once
// The key order of a keyed table's rows in memory: row ids in chunks of up to
// a few hundred, each chunk sorted and holding its rows' sort keys
// (sort_key.h) beside their ids in one allocation, plus one flat array of each
// chunk's first key and one of their row counts. A search binary-
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
#include <memory>
#include <string>
#include <vector>

namespace pdx {

class KeyOrder {
 public:
  using Id = uint32_t;
  explicit KeyOrder(size_t keyBytes = 0)
      : keyBytes_(keyBytes),
        entry_(keyBytes + sizeof(Id)),
        max_(std::clamp<size_t>(kChunkBytes / std::max<size_t>(keyBytes, 1), kMinRows, kMaxRows)) {}

  size_t size() const { return size_; }
  size_t keyBytes() const { return keyBytes_; }
  void clear() {
    found_ = kNone;
    chunks_.clear();
    counts_.clear();
    firsts_.clear();
    size_ = 0;
  }
  // False (and nothing changes) when a row with an equal key is there.
  bool Insert(Id id, const char* key) {
    found_ = kNone;
    size_t c = 0, i = 0;
    if (Locate(key, &c, &i)) return false;
    if (chunks_.empty()) {
      chunks_.push_back(NewChunk());
      counts_.push_back(0);
      firsts_.assign(keyBytes_, '\0');
    }
    const size_t n = counts_[c];
    char* e = Entry(c, i);
    std::memmove(e + entry_, e, (n - i) * entry_);
    Put(e, id, key);
    counts_[c] = static_cast<uint32_t>(n + 1);
    if (i == 0) std::memcpy(firsts_.data() + c * keyBytes_, key, keyBytes_);
    ++size_;
    if (n + 1 > max_) Split(c);
    return true;
  }
  // Appends a row known to sort after every other (loading a table in key
  // order); false when it does not.
  bool Append(Id id, const char* key) {
    found_ = kNone;
    if (!chunks_.empty()) {
      const size_t c = chunks_.size() - 1;
      if (std::memcmp(Entry(c, counts_[c] - 1), key, keyBytes_) >= 0) return false;
    }
    if (chunks_.empty() || counts_.back() >= max_ * 3 / 4) {
      chunks_.push_back(NewChunk());
      counts_.push_back(0);
      firsts_.append(key, keyBytes_);
    }
    const size_t c = chunks_.size() - 1;
    const size_t n = counts_[c];
    Put(Entry(c, n), id, key);
    counts_[c] = static_cast<uint32_t>(n + 1);
    ++size_;
    return true;
  }
  // Erases row id; key is its key, or null when id is the row the last Find
  // gave. False when the row is not there (or key is null and it was not
  // just found).
  bool Erase(Id id, const char* key) {
    size_t c = 0, i = 0;
    if (JustFound(id)) {
      c = foundChunk_;  // no second search
      i = foundAt_;
    } else if (key == nullptr || !Locate(key, &c, &i) || IdAt(c, i) != id) {
      return false;
    }
    found_ = kNone;
    const size_t n = counts_[c];
    char* e = Entry(c, i);
    std::memmove(e, e + entry_, (n - i - 1) * entry_);
    counts_[c] = static_cast<uint32_t>(n - 1);
    --size_;
    if (n == 1) {
      chunks_.erase(chunks_.begin() + static_cast<long>(c));
      counts_.erase(counts_.begin() + static_cast<long>(c));
      firsts_.erase(c * keyBytes_, keyBytes_);
    } else if (i == 0) {
      std::memcpy(firsts_.data() + c * keyBytes_, Entry(c, 0), keyBytes_);
    }
    return true;
  }
  // The row whose key equals key.
  bool Find(const char* key, Id* id) const {
    size_t c = 0, i = 0;
    if (!Locate(key, &c, &i)) return false;
    *id = IdAt(c, i);
    found_ = *id;
    foundChunk_ = c;
    foundAt_ = i;
    return true;
  }
  // The key held for row id when it is the row the last Find gave (valid
  // until the order changes), else null.
  const char* FoundKey(Id id) const { return JustFound(id) ? Entry(foundChunk_, foundAt_) : nullptr; }
  template <class F>
  void ForEach(F f) const {
    for (size_t c = 0; c < chunks_.size(); ++c)
      for (size_t i = 0; i < counts_[c]; ++i) f(IdAt(c, i));
  }

 private:
  static constexpr size_t kChunkBytes = 8192;
  static constexpr size_t kMinRows = 16, kMaxRows = 512;
  static constexpr Id kNone = 0xFFFFFFFFu;

  // A chunk is one allocation of room for max_ + 1 entries: a row's key,
  // then its id (beside the key, so that finding a key brings its id along).
  std::unique_ptr<char[]> NewChunk() const { return std::unique_ptr<char[]>(new char[(max_ + 1) * entry_]); }
  char* Entry(size_t c, size_t i) const { return chunks_[c].get() + i * entry_; }
  Id IdAt(size_t c, size_t i) const {
    Id id;
    std::memcpy(&id, Entry(c, i) + keyBytes_, sizeof id);
    return id;
  }
  void Put(char* e, Id id, const char* key) const {
    std::memcpy(e, key, keyBytes_);
    std::memcpy(e + keyBytes_, &id, sizeof id);
  }
  bool JustFound(Id id) const {
    return found_ == id && foundChunk_ < chunks_.size() && foundAt_ < counts_[foundChunk_] &&
           IdAt(foundChunk_, foundAt_) == id;
  }
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
    const char* entries = Entry(*c, 0);
    const size_t n = counts_[*c];
    // The chunk is most likely not in cache: ask for the keys of the search's
    // first three steps at once rather than one after the other.
    for (size_t q = 1; q < 8; ++q) __builtin_prefetch(entries + (n * q / 8) * entry_);
    size_t a = 0, b = n;
    while (a < b) {
      size_t mid = (a + b) / 2;
      if (std::memcmp(entries + mid * entry_, key, keyBytes_) < 0) a = mid + 1;
      else b = mid;
    }
    *i = a;
    return a < n && std::memcmp(entries + a * entry_, key, keyBytes_) == 0;
  }
  void Split(size_t c) {
    std::unique_ptr<char[]> right = NewChunk();
    const size_t n = counts_[c], half = n / 2;
    std::memcpy(right.get(), Entry(c, half), (n - half) * entry_);
    counts_[c] = static_cast<uint32_t>(half);
    firsts_.insert((c + 1) * keyBytes_, right.get(), keyBytes_);
    chunks_.insert(chunks_.begin() + static_cast<long>(c + 1), std::move(right));
    counts_.insert(counts_.begin() + static_cast<long>(c + 1), static_cast<uint32_t>(n - half));
  }

  size_t keyBytes_;
  size_t entry_;  // bytes of an entry: key, then id
  size_t max_;  // rows in a chunk before it splits
  std::vector<std::unique_ptr<char[]>> chunks_;  // by pointer: a split moves pointers, not chunks
  std::vector<uint32_t> counts_;                 // rows in each chunk
  std::string firsts_;  // keyBytes_ per chunk: the key of its first row
  size_t size_ = 0;
  // Where the last Find ended, so that erasing the row found costs no search.
  mutable Id found_ = kNone;
  mutable size_t foundChunk_ = 0, foundAt_ = 0;
};

}  // namespace pdx

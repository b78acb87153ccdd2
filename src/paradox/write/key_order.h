#pragma once
// The key order of a keyed table's rows in memory, as a shallow tree of flat
// arrays: row ids in chunks of a few dozen to a few hundred, each chunk
// sorted and holding its rows' sort keys (sort_key.h) beside their ids in one
// allocation; chunks in groups of up to kGroupMax, each group holding its
// chunks' first keys side by side; and one array of the groups' first keys.
// A search binary-searches three small contiguous arrays by byte order: it
// never reads a record scattered in memory, nor walks a collation. Inserting
// or removing a row costs log n comparisons plus moves inside one chunk and
// one group, whatever the table's size, so the cost per row grows as log n
// on tables of millions of rows, where a node-per-row tree spends its time
// waiting for memory. Chunks are sized in bytes (a few KiB of keys), so that
// long keys do not make the moves inside a chunk long.
//
// Contract: every key is keyBytes bytes, ordered by memcmp; keys are unique.
// The order keeps its own copy of each key: a row's key is given when it is
// inserted and again when it is erased (unless it is the row the last Find
// gave).
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace pdx {

class KeyOrder {
 public:
  using Id = uint32_t;
  explicit KeyOrder(size_t keyBytes = 0);

  size_t size() const { return size_; }
  size_t keyBytes() const { return keyBytes_; }
  void clear();
  // False (and nothing changes) when a row with an equal key is there.
  bool Insert(Id id, const char* key);
  // Appends a row known to sort after every other (loading a table in key
  // order); false when it does not.
  bool Append(Id id, const char* key);
  // Erases row id; key is its key, or null when id is the row the last Find
  // gave. False when the row is not there (or key is null and it was not
  // just found).
  bool Erase(Id id, const char* key);
  // The row whose key equals key.
  bool Find(const char* key, Id* id) const;
  // The key held for row id when it is the row the last Find gave (valid
  // until the order changes), else null.
  const char* FoundKey(Id id) const { return JustFound(id) ? Entry(foundAt_) : nullptr; }
  template <class F>
  void ForEach(F f) const {
    for (const auto& g : groups_)
      for (size_t c = 0; c < g->chunks.size(); ++c)
        for (size_t i = 0; i < g->counts[c]; ++i) f(IdOf(g->chunks[c] + i * entry_));
  }
  // f(id, key) for every row in key order; key stays valid until the order
  // changes or goes away.
  template <class F>
  void ForEachEntry(F f) const {
    for (const auto& g : groups_)
      for (size_t c = 0; c < g->chunks.size(); ++c)
        for (size_t i = 0; i < g->counts[c]; ++i) {
          const char* e = g->chunks[c] + i * entry_;
          f(IdOf(e), e);
        }
  }

 private:
  static constexpr size_t kChunkBytes = 4096;
  static constexpr size_t kMinRows = 16, kMaxRows = 512;
  static constexpr size_t kGroupMax = 64;  // chunks in a group before it splits
  static constexpr size_t kSlabChunks = 32;  // chunks an allocation makes room for
  static constexpr Id kNone = 0xFFFFFFFFu;

  // A chunk is room for max_ + 1 entries: a row's key, then its id (beside
  // the key, so that finding a key brings its id along). Chunks come from
  // slabs of kSlabChunks and go back to a spare list, not to the heap: a
  // table loaded or rebuilt takes hundreds of them at once, and as many
  // separate allocations of a few KiB spent their time in the allocator.
  struct Group {
    std::vector<char*> chunks;  // by pointer: a split moves pointers
    std::vector<uint32_t> counts;                 // rows in each chunk
    std::string firsts;                           // keyBytes_ per chunk: its first key
  };
  struct Pos {
    size_t g = 0, c = 0, i = 0;
  };

  char* NewChunk();
  char* Entry(const Pos& p) const { return groups_[p.g]->chunks[p.c] + p.i * entry_; }
  Id IdOf(const char* entry) const {
    Id id;
    std::memcpy(&id, entry + keyBytes_, sizeof id);
    return id;
  }
  bool JustFound(Id id) const;
  // Position of the first row not below key; true when its key equals key.
  bool Locate(const char* key, Pos* p) const;
  // The first key of chunk p.c of group p.g became key.
  void SetFirst(const Pos& p, const char* key);
  void SplitChunk(size_t g, size_t c);
  void SplitGroup(size_t g);

  size_t keyBytes_;
  size_t entry_;  // bytes of an entry: key, then id
  size_t max_;    // rows in a chunk before it splits
  std::vector<std::unique_ptr<Group>> groups_;
  std::vector<std::unique_ptr<char[]>> slabs_;
  std::vector<char*> spare_;
  std::string groupFirsts_;  // keyBytes_ per group: its first key
  size_t size_ = 0;
  // Where the last Find ended, so that erasing the row found costs no search.
  mutable Id found_ = kNone;
  mutable Pos foundAt_;
};

}  // namespace pdx

#pragma once
// The records a TableWriter holds, in blocks of up to 2 MiB rather than one
// allocation per record: loading a table copies records side by side, and
// letting it go frees a few dozen blocks instead of a heap object per row.
//
// Contract: records are recordSize bytes; a row's id is its place in the
// order of Add, and is never given again (not after Kill, nor after a Clear
// that keeps ids; Clear(false) starts a new numbering, for a reload), so
// an id a caller holds never names another row. A record stays at the same
// address until Clear. at() is for live rows only (a cleared row's block may
// be gone).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace pdx {

class RowStore {
 public:
  using Id = uint32_t;
  explicit RowStore(size_t recordSize = 0) : recordSize_(recordSize) {
    while (shift_ < 16 && (recordSize_ << (shift_ + 1)) <= kBlockBytes) ++shift_;
    mask_ = (size_t{1} << shift_) - 1;
  }

  size_t size() const { return live_.size(); }
  size_t recordSize() const { return recordSize_; }
  void Reserve(size_t rows) { live_.reserve(rows); }
  // Forgets every row and its memory (ids keep counting from where they were
  // when keepIds is set).
  void Clear(bool keepIds) {
    for (auto& b : blocks_) b.reset();
    if (keepIds) {
      std::fill(live_.begin(), live_.end(), 0);
    } else {
      blocks_.clear();
      live_.clear();
    }
  }
  // Copies a record in; its id.
  Id Add(const char* rec) {
    const size_t id = live_.size();
    const size_t b = id >> shift_;
    if (b >= blocks_.size()) blocks_.resize(b + 1);
    if (!blocks_[b]) blocks_[b] = NewBlock(recordSize_ << shift_);
    std::memcpy(blocks_[b].get() + (id & mask_) * recordSize_, rec, recordSize_);
    live_.push_back(1);
    return static_cast<Id>(id);
  }
  bool Live(Id id) const { return id < live_.size() && live_[id] != 0; }
  void Kill(Id id) { live_[id] = 0; }
  char* at(Id id) { return blocks_[id >> shift_].get() + (id & mask_) * recordSize_; }
  const char* at(Id id) const { return blocks_[id >> shift_].get() + (id & mask_) * recordSize_; }

 private:
  static constexpr size_t kBlockBytes = size_t{2} << 20;
  struct Free {
    void operator()(char* p) const;
  };
  using Block = std::unique_ptr<char, Free>;
  static Block NewBlock(size_t bytes);

  size_t recordSize_;
  unsigned shift_ = 4;  // records a block: 1 << shift_, within kBlockBytes when records allow
  size_t mask_ = 15;
  std::vector<Block> blocks_;
  std::vector<uint8_t> live_;
};

}  // namespace pdx

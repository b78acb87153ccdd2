#pragma once
// The records a TableWriter holds, in blocks of a few thousand records each
// rather than one allocation per record: loading a table copies records
// side by side, and letting it go frees a few hundred blocks instead of a
// heap object per row.
//
// Contract: records are recordSize bytes; a row's id is its place in the
// order of Add, and is never given again (not even after Kill or Clear), so
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
  explicit RowStore(size_t recordSize = 0) : recordSize_(recordSize) {}

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
    const size_t b = id >> kShift;
    if (b >= blocks_.size()) blocks_.resize(b + 1);
    if (!blocks_[b]) blocks_[b].reset(new char[recordSize_ << kShift]);
    std::memcpy(blocks_[b].get() + (id & kMask) * recordSize_, rec, recordSize_);
    live_.push_back(1);
    return static_cast<Id>(id);
  }
  bool Live(Id id) const { return id < live_.size() && live_[id] != 0; }
  void Kill(Id id) { live_[id] = 0; }
  char* at(Id id) { return blocks_[id >> kShift].get() + (id & kMask) * recordSize_; }
  const char* at(Id id) const { return blocks_[id >> kShift].get() + (id & kMask) * recordSize_; }

 private:
  static constexpr unsigned kShift = 12;  // 4096 records a block
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  size_t recordSize_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<uint8_t> live_;
};

}  // namespace pdx

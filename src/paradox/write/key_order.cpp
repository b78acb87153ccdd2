#include "paradox/write/key_order.h"

#include <algorithm>

#include "paradox/index/sort_key.h"
#include "paradox/read/prefetch.h"

namespace pdx {
namespace {

// Last of n keys (stride bytes apart, keyBytes compared) not above key, or 0
// when every one is above it.
size_t LastNotAbove(const char* keys, size_t n, size_t stride, size_t keyBytes, const char* key) {
  size_t lo = 0, hi = n;
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    if (KeyCompare(keys + mid * stride, key, keyBytes) <= 0) lo = mid + 1;
    else hi = mid;
  }
  return lo == 0 ? 0 : lo - 1;
}

// The array is most likely not in cache: ask for the keys of a binary
// search's first three steps at once rather than one after the other.
void PrefetchSearch(const char* keys, size_t n, size_t stride) {
  for (size_t q = 1; q < 8; ++q) Prefetch(keys + (n * q / 8) * stride);
}

}  // namespace

KeyOrder::KeyOrder(size_t keyBytes)
    : keyBytes_(keyBytes),
      entry_(keyBytes + sizeof(Id)),
      max_(std::clamp<size_t>(kChunkBytes / std::max<size_t>(keyBytes, 1), kMinRows, kMaxRows)) {}

char* KeyOrder::NewChunk() {
  if (spare_.empty()) {
    const size_t bytes = (max_ + 1) * entry_;
    slabs_.emplace_back(new char[bytes * kSlabChunks]);
    for (size_t k = kSlabChunks; k-- > 0;) spare_.push_back(slabs_.back().get() + k * bytes);
  }
  char* c = spare_.back();
  spare_.pop_back();
  return c;
}

void KeyOrder::clear() {
  found_ = kNone;
  for (const auto& g : groups_) spare_.insert(spare_.end(), g->chunks.begin(), g->chunks.end());
  groups_.clear();
  groupFirsts_.clear();
  size_ = 0;
}

bool KeyOrder::JustFound(Id id) const {
  if (found_ != id || foundAt_.g >= groups_.size()) return false;
  const Group& g = *groups_[foundAt_.g];
  return foundAt_.c < g.chunks.size() && foundAt_.i < g.counts[foundAt_.c] && IdOf(Entry(foundAt_)) == id;
}

bool KeyOrder::Locate(const char* key, Pos* p) const {
  *p = Pos{};
  if (groups_.empty()) return false;
  p->g = LastNotAbove(groupFirsts_.data(), groups_.size(), keyBytes_, keyBytes_, key);
  const Group& g = *groups_[p->g];
  PrefetchSearch(g.firsts.data(), g.chunks.size(), keyBytes_);
  p->c = LastNotAbove(g.firsts.data(), g.chunks.size(), keyBytes_, keyBytes_, key);
  const char* entries = g.chunks[p->c];
  const size_t n = g.counts[p->c];
  PrefetchSearch(entries, n, entry_);
  size_t a = 0, b = n;
  while (a < b) {
    size_t mid = (a + b) / 2;
    if (KeyCompare(entries + mid * entry_, key, keyBytes_) < 0) a = mid + 1;
    else b = mid;
  }
  p->i = a;
  return a < n && KeyCompare(entries + a * entry_, key, keyBytes_) == 0;
}

void KeyOrder::SetFirst(const Pos& p, const char* key) {
  std::memcpy(groups_[p.g]->firsts.data() + p.c * keyBytes_, key, keyBytes_);
  if (p.c == 0) std::memcpy(groupFirsts_.data() + p.g * keyBytes_, key, keyBytes_);
}

bool KeyOrder::Insert(Id id, const char* key) {
  found_ = kNone;
  Pos p;
  if (Locate(key, &p)) return false;
  if (groups_.empty()) {
    auto g = std::make_unique<Group>();
    g->chunks.push_back(NewChunk());
    g->counts.push_back(0);
    g->firsts.assign(keyBytes_, '\0');
    groups_.push_back(std::move(g));
    groupFirsts_.assign(keyBytes_, '\0');
  }
  Group& g = *groups_[p.g];
  const size_t n = g.counts[p.c];
  char* e = Entry(p);
  std::memmove(e + entry_, e, (n - p.i) * entry_);
  std::memcpy(e, key, keyBytes_);
  std::memcpy(e + keyBytes_, &id, sizeof id);
  g.counts[p.c] = static_cast<uint32_t>(n + 1);
  if (p.i == 0) SetFirst(p, key);
  ++size_;
  if (n + 1 > max_) SplitChunk(p.g, p.c);
  return true;
}

bool KeyOrder::Append(Id id, const char* key) {
  found_ = kNone;
  if (!groups_.empty()) {
    const Group& last = *groups_.back();
    const char* lastKey = last.chunks.back() + (last.counts.back() - 1) * entry_;
    if (KeyCompare(lastKey, key, keyBytes_) >= 0) return false;
  }
  // Loaded chunks and groups are left a quarter empty, for the inserts to come.
  if (groups_.empty() || groups_.back()->counts.back() >= max_ * 3 / 4) {
    if (groups_.empty() || groups_.back()->chunks.size() >= kGroupMax * 3 / 4) {
      groups_.push_back(std::make_unique<Group>());
      groupFirsts_.append(key, keyBytes_);
    }
    Group& g = *groups_.back();
    g.chunks.push_back(NewChunk());
    g.counts.push_back(0);
    g.firsts.append(key, keyBytes_);
  }
  Group& g = *groups_.back();
  char* e = g.chunks.back() + g.counts.back() * entry_;
  std::memcpy(e, key, keyBytes_);
  std::memcpy(e + keyBytes_, &id, sizeof id);
  ++g.counts.back();
  ++size_;
  return true;
}

bool KeyOrder::Erase(Id id, const char* key) {
  Pos p;
  if (JustFound(id)) {
    p = foundAt_;  // no second search
  } else if (key == nullptr || !Locate(key, &p) || IdOf(Entry(p)) != id) {
    return false;
  }
  found_ = kNone;
  Group& g = *groups_[p.g];
  const size_t n = g.counts[p.c];
  char* e = Entry(p);
  std::memmove(e, e + entry_, (n - p.i - 1) * entry_);
  g.counts[p.c] = static_cast<uint32_t>(n - 1);
  --size_;
  if (n > 1) {
    if (p.i == 0) SetFirst(p, e);
    return true;
  }
  // The chunk is empty: it goes, and its group with it when it was the last.
  spare_.push_back(g.chunks[p.c]);
  g.chunks.erase(g.chunks.begin() + static_cast<long>(p.c));
  g.counts.erase(g.counts.begin() + static_cast<long>(p.c));
  g.firsts.erase(p.c * keyBytes_, keyBytes_);
  if (g.chunks.empty()) {
    groups_.erase(groups_.begin() + static_cast<long>(p.g));
    groupFirsts_.erase(p.g * keyBytes_, keyBytes_);
  } else if (p.c == 0) {
    std::memcpy(groupFirsts_.data() + p.g * keyBytes_, g.firsts.data(), keyBytes_);
  }
  return true;
}

bool KeyOrder::Find(const char* key, Id* id) const {
  Pos p;
  if (!Locate(key, &p)) return false;
  *id = IdOf(Entry(p));
  found_ = *id;
  foundAt_ = p;
  return true;
}

void KeyOrder::SplitChunk(size_t gi, size_t c) {
  Group& g = *groups_[gi];
  char* right = NewChunk();
  const size_t n = g.counts[c], half = n / 2;
  std::memcpy(right, g.chunks[c] + half * entry_, (n - half) * entry_);
  g.counts[c] = static_cast<uint32_t>(half);
  g.firsts.insert((c + 1) * keyBytes_, right, keyBytes_);
  g.chunks.insert(g.chunks.begin() + static_cast<long>(c + 1), right);
  g.counts.insert(g.counts.begin() + static_cast<long>(c + 1), static_cast<uint32_t>(n - half));
  if (g.chunks.size() > kGroupMax) SplitGroup(gi);
}

void KeyOrder::SplitGroup(size_t gi) {
  Group& g = *groups_[gi];
  auto right = std::make_unique<Group>();
  const size_t n = g.chunks.size(), half = n / 2;
  for (size_t c = half; c < n; ++c) right->chunks.push_back(g.chunks[c]);
  right->counts.assign(g.counts.begin() + static_cast<long>(half), g.counts.end());
  right->firsts.assign(g.firsts, half * keyBytes_, std::string::npos);
  g.chunks.resize(half);
  g.counts.resize(half);
  g.firsts.resize(half * keyBytes_);
  groupFirsts_.insert((gi + 1) * keyBytes_, right->firsts.data(), keyBytes_);
  groups_.insert(groups_.begin() + static_cast<long>(gi + 1), std::move(right));
}

}  // namespace pdx

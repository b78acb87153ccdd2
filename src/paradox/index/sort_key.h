#pragma once
// Sort keys of an index key: each key made once into a fixed-size byte string
// whose memcmp order is the key's order, so that searches in memory compare
// with memcmp instead of going through the collation at every step.
//
// Contract: for buffers a and b laid out as the KeyLayout says,
//   sign(memcmp(Make(a), Make(b), size())) == sign(layout.Compare(a, b))
// for every key the layout can compare (blank, accented, mixed case, alpha
// values past their first NUL, case-insensitive and descending indexes).
// Each field has its own region of the key (Collation::SortKeySize for an
// alpha field, its stored size for the others); a descending index inverts
// the bytes of each region. The layout's collation must outlive the maker.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "paradox/index/index_key.h"

namespace pdx {

// memcmp's sign, inline: sort keys are a few dozen bytes, often alike up to
// their last ones, and the library's memcmp costs a call and its set-up for
// each of the millions of comparisons a merge or a load makes.
inline int KeyCompare(const char* a, const char* b, size_t n) {
  // Eight bytes at a time, read big-endian so that integer order is byte order.
  auto load = [](const char* p) {
#if (defined(__GNUC__) || defined(__clang__)) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
#else
    uint64_t v = 0;
    for (int k = 0; k < 8; ++k) v = (v << 8) | static_cast<unsigned char>(p[k]);
    return v;
#endif
  };
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const uint64_t x = load(a + i), y = load(b + i);
    if (x != y) return x < y ? -1 : 1;
  }
  for (; i < n; ++i)
    if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
  return 0;
}

class SortKeyMaker {
 public:
  SortKeyMaker() = default;
  explicit SortKeyMaker(const KeyLayout& layout);

  size_t size() const { return size_; }
  // Bytes of the key that the first `fields` parts make (a key prefix).
  size_t PrefixSize(size_t fields) const {
    size_t n = 0;
    for (size_t i = 0; i < fields && i < parts_.size(); ++i) n += parts_[i].keySize;
    return n;
  }
  // Writes size() bytes to out.
  void Make(const char* buf, char* out) const;
  // The same, given the previous buffer made and its key (rows loaded in
  // order often share their first fields): an alpha field whose stored
  // bytes equal the previous one's takes its region of prevKey as it is.
  // Returns how the key compares with prevKey (the sign memcmp gives), found
  // on the way: the fields taken as they are need no comparing.
  int MakeAfter(const char* buf, const char* prevBuf, const char* prevKey, char* out) const;

 private:
  struct Part {
    FieldType type;
    size_t offset;   // in the buffer
    size_t size;     // stored bytes
    size_t keySize;  // bytes in the sort key
  };
  std::vector<Part> parts_;
  const Collation* collation_ = nullptr;
  bool caseInsensitive_ = false;
  bool descending_ = false;
  size_t size_ = 0;
};

}  // namespace pdx

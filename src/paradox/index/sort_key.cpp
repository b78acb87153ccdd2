// Sort keys of an index key: the fields' regions back to back, in key order.
//   alpha field:  the collation's sort key of the stored value
//                 (Collation::SortKey, SortKeySize bytes);
//   other fields: the stored bytes as they are (the stored encodings of
//                 numbers, dates, times and logicals already order as
//                 unsigned bytes, blank lowest).
// A descending index inverts every byte of each region.
#include "paradox/index/sort_key.h"

#include <cstring>

namespace pdx {

SortKeyMaker::SortKeyMaker(const KeyLayout& layout)
    : collation_(layout.collation), caseInsensitive_(layout.caseInsensitive), descending_(layout.descending) {
  for (const KeyPart& p : layout.parts) {
    size_t keySize = p.type == FieldType::kAlpha ? collation_->SortKeySize(p.size, caseInsensitive_) : p.size;
    parts_.push_back({p.type, p.offset, p.size, keySize});
    size_ += keySize;
  }
}

void SortKeyMaker::Make(const char* buf, char* out) const {
  for (const Part& p : parts_) {
    if (p.type == FieldType::kAlpha) collation_->SortKey(buf + p.offset, p.size, caseInsensitive_, out);
    else std::memcpy(out, buf + p.offset, p.size);
    if (descending_)
      for (size_t i = 0; i < p.keySize; ++i) out[i] = static_cast<char>(~static_cast<unsigned char>(out[i]));
    out += p.keySize;
  }
}

namespace {

// Short fields (a few bytes each) compared in place: a call to memcmp for each
// field of every row loaded cost more than the comparison.
bool SameBytes(const char* a, const char* b, size_t n) {
  for (; n >= 8; a += 8, b += 8, n -= 8) {
    uint64_t x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) return false;
  }
  for (; n > 0; ++a, ++b, --n)
    if (*a != *b) return false;
  return true;
}

}  // namespace

int SortKeyMaker::MakeAfter(const char* buf, const char* prevBuf, const char* prevKey, char* out) const {
  int order = 0;
  for (const Part& p : parts_) {
    if (p.type == FieldType::kAlpha && SameBytes(buf + p.offset, prevBuf + p.offset, p.size)) {
      std::memcpy(out, prevKey, p.keySize);
    } else {
      if (p.type == FieldType::kAlpha) collation_->SortKey(buf + p.offset, p.size, caseInsensitive_, out);
      else std::memcpy(out, buf + p.offset, p.size);
      if (descending_)
        for (size_t i = 0; i < p.keySize; ++i) out[i] = static_cast<char>(~static_cast<unsigned char>(out[i]));
      if (order == 0) order = KeyCompare(out, prevKey, p.keySize);
    }
    out += p.keySize;
    prevKey += p.keySize;
  }
  return order;
}

}  // namespace pdx

// Sort keys of alpha values: byte strings that memcmp orders as CompareAlpha.
//
// The stored value is taken up to its first NUL (s, n bytes). Layout:
//   byte orders ("ascii"):  s (each byte uppercased when case-insensitive),
//                           then 0x00;
//   dictionary orders:      level 1: the rank of each primary weight of s in
//                                    turn (1 or 2 bytes each, big-endian,
//                                    ranks from 1), then a zero rank;
//                           level 2: accent + 1 for each byte, then 0x00;
//                           case-insensitive: nothing more; otherwise
//                           level 3: upper + 1 for each byte,
//                           level 4: s itself.
// then zeros up to SortKeySize. Every element of a level is above the zero
// that ends it, so a value whose level is a prefix of another's sorts first,
// as CompareDictionary has it. Levels 3 and 4 need no end: they are reached
// only when level 2 is equal, hence both values have the same length.
#include <algorithm>
#include <cstring>
#include <vector>

#include "paradox/collation.h"

namespace pdx {

void Collation::BuildRanks() {
  std::vector<uint16_t> weights;
  for (int b = 1; b < 256; ++b)
    for (uint16_t w : weight_[static_cast<size_t>(b)].primary)
      if (w != 0) weights.push_back(w);
  std::sort(weights.begin(), weights.end());
  weights.erase(std::unique(weights.begin(), weights.end()), weights.end());
  rankBytes_ = weights.size() <= 255 ? 1 : 2;
  auto rankOf = [&](uint16_t w) -> uint16_t {
    if (w == 0) return 0;
    return static_cast<uint16_t>(std::lower_bound(weights.begin(), weights.end(), w) - weights.begin() + 1);
  };
  for (int b = 0; b < 256; ++b) {
    const Weight& w = weight_[static_cast<size_t>(b)];
    // CompareDictionary reads a second weight only after a first one.
    rank_[static_cast<size_t>(b)] = {rankOf(w.primary[0]), w.primary[0] != 0 ? rankOf(w.primary[1]) : uint16_t{0}};
  }
}

size_t Collation::SortKeySize(size_t fieldSize, bool caseInsensitive) const {
  if (binary_) return fieldSize + 1;
  const size_t level1 = (2 * fieldSize + 1) * rankBytes_;
  return level1 + fieldSize + 1 + (caseInsensitive ? 0 : 2 * fieldSize);
}

void Collation::SortKey(const char* stored, size_t fieldSize, bool caseInsensitive, char* out) const {
  const size_t total = SortKeySize(fieldSize, caseInsensitive);
  size_t n = 0;
  while (n < fieldSize && stored[n] != '\0') ++n;
  const auto* s = reinterpret_cast<const unsigned char*>(stored);
  auto* o = reinterpret_cast<unsigned char*>(out);
  size_t at = 0;
  if (binary_) {
    if (caseInsensitive) {
      for (size_t i = 0; i < n; ++i) o[at++] = upcase_[s[i]];
    } else {
      std::memcpy(o, s, n);
      at = n;
    }
  } else {
    for (size_t i = 0; i < n; ++i) {
      for (uint16_t r : rank_[s[i]]) {
        if (r == 0) break;
        if (rankBytes_ == 2) o[at++] = static_cast<unsigned char>(r >> 8);
        o[at++] = static_cast<unsigned char>(r);
      }
    }
    for (int k = 0; k < rankBytes_; ++k) o[at++] = 0;
    for (size_t i = 0; i < n; ++i) o[at++] = static_cast<unsigned char>(weight_[s[i]].accent + 1);
    o[at++] = 0;
    if (!caseInsensitive) {
      for (size_t i = 0; i < n; ++i) o[at++] = static_cast<unsigned char>(weight_[s[i]].upper + 1);
      std::memcpy(o + at, s, n);
      at += n;
    }
  }
  std::memset(o + at, 0, total - at);
}

}  // namespace pdx

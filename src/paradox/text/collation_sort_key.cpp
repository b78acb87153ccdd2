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

#include "paradox/text/collation.h"

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
    const auto& r = rank_[static_cast<size_t>(b)] = {rankOf(w.primary[0]),
                                                     w.primary[0] != 0 ? rankOf(w.primary[1]) : uint16_t{0}};
    rank8_[static_cast<size_t>(b)] = {static_cast<uint8_t>(r[0]), static_cast<uint8_t>(r[1]),
                                      static_cast<uint8_t>((r[0] != 0) + (r[1] != 0))};
  }
}

size_t Collation::SortKeySize(size_t fieldSize, bool caseInsensitive) const {
  if (binary_) return fieldSize + 1;
  const size_t level1 = (2 * fieldSize + 1) * rankBytes_;
  return level1 + fieldSize + 1 + (caseInsensitive ? 0 : 2 * fieldSize);
}

void Collation::SortKey(const char* stored, size_t fieldSize, bool caseInsensitive, char* out) const {
  const size_t total = SortKeySize(fieldSize, caseInsensitive);
  const void* nul = std::memchr(stored, 0, fieldSize);
  const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - stored) : fieldSize;
  const auto* s = reinterpret_cast<const unsigned char*>(stored);
  auto* o = reinterpret_cast<unsigned char*>(out);
  size_t at = 0;
  if (binary_) {
    if (caseInsensitive) {
      for (size_t i = 0; i < n; ++i) o[i] = upcase_[s[i]];
    } else {
      std::memcpy(o, s, n);
    }
    at = n;
  } else {
    if (rankBytes_ == 1) {
      // Both ranks written, the position moved by how many there are: the
      // byte after a single rank is the next one's (or the level's end).
      for (size_t i = 0; i < n; ++i) {
        const auto& r = rank8_[s[i]];
        o[at] = r[0];
        o[at + 1] = r[1];
        at += r[2];
      }
      o[at++] = 0;
    } else {
      for (size_t i = 0; i < n; ++i) {
        for (uint16_t r : rank_[s[i]]) {
          if (r == 0) break;
          o[at++] = static_cast<unsigned char>(r >> 8);
          o[at++] = static_cast<unsigned char>(r);
        }
      }
      o[at++] = 0;
      o[at++] = 0;
    }
    unsigned char* accents = o + at;
    unsigned char* cases = accents + n + 1;
    if (caseInsensitive) {
      for (size_t i = 0; i < n; ++i) accents[i] = static_cast<unsigned char>(weight_[s[i]].accent + 1);
    } else {
      for (size_t i = 0; i < n; ++i) {
        const Weight& w = weight_[s[i]];
        accents[i] = static_cast<unsigned char>(w.accent + 1);
        cases[i] = static_cast<unsigned char>(w.upper + 1);
      }
      std::memcpy(cases + n, s, n);
    }
    accents[n] = 0;
    at += caseInsensitive ? n + 1 : 3 * n + 1;
  }
  std::memset(o + at, 0, total - at);
}

}  // namespace pdx

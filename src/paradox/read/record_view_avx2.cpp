// Vector decoding of a record's shorts, numbers and text lengths with AVX2,
// for processors without AVX-512 (most office PCs).
//
// Shorts and numbers: outputs are built 32 bytes at a time (sixteen shorts, or
// four numbers). Each output vector draws from a few 16-byte windows of the
// record: a window is loaded into both halves of a register (vbroadcasti128),
// so that one byte shuffle can put any of its bytes, reversed, in any output
// byte; the windows' shuffles are ORed. The sign flips and blanks are then
// undone on whole vectors (layouts in record_view_simd.cpp). A window never
// reaches past the record: its start is pulled back when needed, and records
// shorter than 16 bytes keep the scalar loops.
// Texts: windows of 64 record bytes (two loads each) give NUL and high-bit
// masks; a text's length is the lowest set bit of its window's NUL mask,
// shifted to the text and capped by the field's size.
#include <algorithm>
#include <cstring>

#include "paradox/read/record_view_avx2.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PDX_HAVE_AVX2_SCAN 1
#endif

namespace pdx {

struct ScanPlan::VectorPlan::Avx2 {
  struct Window {
    uint32_t start = 0;        // first of the 16 record bytes loaded
    uint8_t shuffle[32] = {};  // output byte <- window byte (0x80: none)
  };
  // The windows of one output vector: windows[first, first + count).
  struct Vector {
    uint32_t first = 0, count = 0;
    uint8_t lanes[2] = {};  // outputs stored from each half (shorts: 8 + 8; numbers: 4 in lanes[0])
  };
  struct Text {
    uint32_t offset = 0;
    uint32_t out = 0;
    uint32_t window = 0;  // in textWindows
    uint32_t shift = 0;   // offset - that window's start
    uint64_t stop = 0;    // bits from the field's size up
  };
  static constexpr size_t kMaxTextWindows = 16;

  std::vector<Window> windows;
  std::vector<Vector> shortVectors, numberVectors;
  std::vector<uint32_t> textWindows;  // starts of 64-byte windows
  std::vector<Text> texts;            // in plan order; empty: the scalar loop reads them all
};

#ifdef PDX_HAVE_AVX2_SCAN

namespace {

using Avx2Plan = ScanPlan::VectorPlan::Avx2;

// Packs fields (all of width bytes) into the windows of their output vectors;
// vector(out) and byte(out) give a field's output vector and first byte there.
template <class Vec, class Byte>
void PackWindows(const std::vector<FieldSlot>& fields, const std::vector<uint32_t>& out, uint32_t width,
                 uint32_t recordSize, size_t vectors, Vec vector, Byte byte, Avx2Plan* plan,
                 std::vector<Avx2Plan::Vector>* into) {
  into->assign(vectors, Avx2Plan::Vector{});
  for (size_t v = 0; v < vectors; ++v) {
    std::vector<size_t> mine;
    for (size_t k = 0; k < fields.size(); ++k)
      if (vector(out[k]) == v) mine.push_back(k);
    std::sort(mine.begin(), mine.end(), [&](size_t a, size_t b) { return fields[a].offset < fields[b].offset; });
    Avx2Plan::Vector& vec = (*into)[v];
    vec.first = static_cast<uint32_t>(plan->windows.size());
    Avx2Plan::Window* w = nullptr;
    for (size_t k : mine) {
      const FieldSlot& f = fields[k];
      if (!w || f.offset + width > w->start + 16) {
        plan->windows.emplace_back();
        w = &plan->windows.back();
        w->start = std::min(f.offset, recordSize - 16);
        std::memset(w->shuffle, 0x80, sizeof w->shuffle);
        ++vec.count;
      }
      for (uint32_t j = 0; j < width; ++j)  // little-endian output: the field's last byte first
        w->shuffle[byte(out[k]) + (width - 1 - j)] = static_cast<uint8_t>(f.offset - w->start + j);
    }
  }
}

#define PDX_AVX2_TARGET __attribute__((target("avx2,bmi")))

// Store masks: the first n of eight 32-bit lanes.
alignas(32) const int32_t kLaneMask[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0};

PDX_AVX2_TARGET inline __attribute__((always_inline)) __m256i FirstLanes32(unsigned n) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLaneMask + 8 - n));
}

PDX_AVX2_TARGET inline __attribute__((always_inline)) __m256i Build(const Avx2Plan::Window* w, size_t n,
                                                                   const char* rec) {
  __m256i acc = _mm256_setzero_si256();
  for (size_t i = 0; i < n; ++i) {
    const __m256i data =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rec + w[i].start)));
    acc = _mm256_or_si256(acc,
                          _mm256_shuffle_epi8(data, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w[i].shuffle))));
  }
  return acc;
}

PDX_AVX2_TARGET inline __attribute__((always_inline)) void StoreInts(int32_t* out, __m256i v, unsigned lanes) {
  if (lanes == 8)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), v);
  else if (lanes)
    _mm256_maskstore_epi32(out, FirstLanes32(lanes), v);
}

// The plan's arrays as plain pointers and counts, taken once (the outputs
// could alias the vectors' sizes as far as the compiler knows).
struct Spans {
  const Avx2Plan::Window* windows;
  const Avx2Plan::Vector* shorts;
  size_t shortCount;
  const Avx2Plan::Vector* numbers;
  size_t numberCount;
  const uint32_t* textWindows;
  size_t textWindowCount;
  const Avx2Plan::Text* texts;
  size_t textCount;
};

Spans SpansOf(const Avx2Plan& p) {
  return Spans{p.windows.data(),     p.shortVectors.data(), p.shortVectors.size(),
               p.numberVectors.data(), p.numberVectors.size(), p.textWindows.data(),
               p.textWindows.size(), p.texts.data(),       p.texts.size()};
}

PDX_AVX2_TARGET inline __attribute__((always_inline)) uint64_t One(const Spans& sp, const char* rec, int32_t* ints,
                                                                  double* doubles, std::string_view* texts) {
  const __m256i zero = _mm256_setzero_si256();
  for (size_t q = 0; q < sp.shortCount; ++q) {
    const Avx2Plan::Vector& v = sp.shorts[q];
    const __m256i raw = Build(sp.windows + v.first, v.count, rec);
    // 0 is blank; otherwise the sign bit is flipped back.
    const __m256i val = _mm256_andnot_si256(_mm256_cmpeq_epi16(raw, zero),
                                            _mm256_xor_si256(raw, _mm256_set1_epi16(-32768)));
    StoreInts(ints + 16 * q, _mm256_cvtepi16_epi32(_mm256_castsi256_si128(val)), v.lanes[0]);
    StoreInts(ints + 16 * q + 8, _mm256_cvtepi16_epi32(_mm256_extracti128_si256(val, 1)), v.lanes[1]);
  }
  for (size_t q = 0; q < sp.numberCount; ++q) {
    const Avx2Plan::Vector& v = sp.numbers[q];
    const __m256i raw = Build(sp.windows + v.first, v.count, rec);
    // Sign bit set: clear it; clear: invert everything. Blank (0) stays 0.
    const __m256i neg = _mm256_cmpgt_epi64(zero, raw);
    const __m256i flip = _mm256_or_si256(_mm256_andnot_si256(neg, _mm256_set1_epi64x(-1)),
                                         _mm256_set1_epi64x(static_cast<long long>(0x8000000000000000ull)));
    const __m256i val = _mm256_andnot_si256(_mm256_cmpeq_epi64(raw, zero), _mm256_xor_si256(raw, flip));
    double* out = doubles + 4 * q;
    if (v.lanes[0] == 4)
      _mm256_storeu_pd(out, _mm256_castsi256_pd(val));
    else
      _mm256_maskstore_pd(out, _mm256_cvtepi32_epi64(_mm256_castsi256_si128(FirstLanes32(v.lanes[0]))),
                          _mm256_castsi256_pd(val));
  }
  if (!sp.textCount) return ~0ull;
  // Text: up to the first NUL; ASCII text is its own UTF-8, the rest is
  // converted by the caller.
  uint64_t zeros[Avx2Plan::kMaxTextWindows], highs[Avx2Plan::kMaxTextWindows];
  for (size_t w = 0; w < sp.textWindowCount; ++w) {
    const char* p = rec + sp.textWindows[w];
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    zeros[w] = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(lo, zero))) |
               static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(hi, zero)))) << 32;
    highs[w] = static_cast<uint32_t>(_mm256_movemask_epi8(lo)) |
               static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(hi))) << 32;
  }
  uint64_t slow = 0;
  for (size_t k = 0; k < sp.textCount; ++k) {
    const Avx2Plan::Text& t = sp.texts[k];
    // The stop bit (at the field's size, at most 63) caps the length.
    const uint64_t len = _tzcnt_u64((zeros[t.window] >> t.shift) | t.stop);
    const uint64_t high = (highs[t.window] >> t.shift) & ((1ull << len) - 1);
    slow |= static_cast<uint64_t>(high != 0) << k;
    texts[t.out] = std::string_view(rec + t.offset, len);
  }
  return slow;
}

}  // namespace

PDX_AVX2_TARGET uint64_t DecodeAvx2(const Avx2Plan& plan, const char* rec, int32_t* ints, double* doubles,
                                    std::string_view* texts) {
  return One(SpansOf(plan), rec, ints, doubles, texts);
}

PDX_AVX2_TARGET void DecodeAvx2Block(const Avx2Plan& plan, const RecordView* views, size_t n, int32_t* ints,
                                     size_t intCount, double* doubles, size_t doubleCount, std::string_view* texts,
                                     size_t textCount, uint64_t* slow) {
  const Spans sp = SpansOf(plan);
  // As on the AVX-512 path: the record about a page ahead is asked for, the
  // hardware's prefetching stopping at each page.
  const size_t size = n ? views[0].recordSize() : 0;
  const size_t ahead = size ? std::max<size_t>(1, 4096 / size) * size : 0;
  for (size_t r = 0; r < n; ++r) {
    const char* rec = views[r].raw();
    const uintptr_t next = reinterpret_cast<uintptr_t>(rec) + ahead;  // may lie past the file: only a hint
    for (size_t at = 0; at < size; at += 64) _mm_prefetch(reinterpret_cast<const char*>(next + at), _MM_HINT_T0);
    slow[r] = One(sp, rec, ints + r * intCount, doubles + r * doubleCount, texts + r * textCount);
  }
}

std::shared_ptr<const ScanPlan::VectorPlan> MakeAvx2VectorPlan(const std::vector<FieldSlot>& shorts,
                                                               const std::vector<uint32_t>& shortOut,
                                                               const std::vector<FieldSlot>& numbers,
                                                               const std::vector<uint32_t>& numberOut,
                                                               const std::vector<FieldSlot>& texts,
                                                               const std::vector<uint32_t>& textOut,
                                                               uint32_t recordSize, size_t intCount,
                                                               size_t doubleCount) {
  static const bool have = ScanPathSupported(ScanPath::kAvx2);
  if (!have || recordSize < 16 || (shorts.empty() && numbers.empty() && texts.empty())) return nullptr;
  for (const FieldSlot& f : shorts)
    if (f.size != 2 || f.offset + 2 > recordSize) return nullptr;
  for (const FieldSlot& f : numbers)
    if (f.size != 8 || f.offset + 8 > recordSize) return nullptr;
  auto a = std::make_shared<Avx2Plan>();
  // Every output lane is written (0 where a long or a date goes, which the
  // scalar loop fills afterwards), as on the AVX-512 path.
  const size_t intLanes = shorts.empty() ? 0 : intCount, doubleLanes = numbers.empty() ? 0 : doubleCount;
  PackWindows(shorts, shortOut, 2, recordSize, (intLanes + 15) / 16, [](uint32_t o) { return size_t{o / 16}; },
              [](uint32_t o) { return 2 * (o % 16); }, a.get(), &a->shortVectors);
  PackWindows(numbers, numberOut, 8, recordSize, (doubleLanes + 3) / 4, [](uint32_t o) { return size_t{o / 4}; },
              [](uint32_t o) { return 8 * (o % 4); }, a.get(), &a->numberVectors);
  for (size_t q = 0; q < a->shortVectors.size(); ++q)
    for (size_t h = 0; h < 2; ++h)
      a->shortVectors[q].lanes[h] = static_cast<uint8_t>(std::min<size_t>(8, intLanes - std::min(intLanes, 16 * q + 8 * h)));
  for (size_t q = 0; q < a->numberVectors.size(); ++q)
    a->numberVectors[q].lanes[0] = static_cast<uint8_t>(std::min<size_t>(4, doubleLanes - 4 * q));

  // Texts of 1 to 63 bytes, at most 64 of them in at most kMaxTextWindows
  // windows, in a record of 64 bytes or more; otherwise all go the scalar way.
  bool textsFit = !texts.empty() && texts.size() <= 64 && recordSize >= 64;
  for (const FieldSlot& t : texts) textsFit = textsFit && t.size >= 1 && t.size <= 63 && t.offset + t.size <= recordSize;
  if (textsFit) {
    std::vector<size_t> order(texts.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::sort(order.begin(), order.end(), [&](size_t x, size_t y) { return texts[x].offset < texts[y].offset; });
    a->texts.resize(texts.size());
    for (size_t k : order) {
      const FieldSlot& f = texts[k];
      if (a->textWindows.empty() || f.offset + f.size > a->textWindows.back() + 64)
        a->textWindows.push_back(std::min(f.offset, recordSize - 64));
      Avx2Plan::Text& t = a->texts[k];
      t.offset = f.offset;
      t.out = textOut[k];
      t.window = static_cast<uint32_t>(a->textWindows.size() - 1);
      t.shift = f.offset - a->textWindows.back();
      t.stop = ~((1ull << f.size) - 1);
    }
    if (a->textWindows.size() > Avx2Plan::kMaxTextWindows) {
      a->texts.clear();
      a->textWindows.clear();
    }
  }
  auto vp = std::make_shared<ScanPlan::VectorPlan>();
  vp->avx2 = std::move(a);
  return vp;
}

#else

uint64_t DecodeAvx2(const ScanPlan::VectorPlan::Avx2&, const char*, int32_t*, double*, std::string_view*) {
  return ~0ull;
}

void DecodeAvx2Block(const ScanPlan::VectorPlan::Avx2&, const RecordView*, size_t, int32_t*, size_t, double*, size_t,
                     std::string_view*, size_t, uint64_t*) {}

std::shared_ptr<const ScanPlan::VectorPlan> MakeAvx2VectorPlan(const std::vector<FieldSlot>&,
                                                               const std::vector<uint32_t>&,
                                                               const std::vector<FieldSlot>&,
                                                               const std::vector<uint32_t>&,
                                                               const std::vector<FieldSlot>&,
                                                               const std::vector<uint32_t>&, uint32_t, size_t, size_t) {
  return nullptr;
}

#endif

}  // namespace pdx

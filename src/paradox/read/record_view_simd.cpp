// Vector decoding of a record's shorts and numbers (AVX-512 with byte
// permutes), used by ScanPlan where the processor has it; the AVX2 path lives
// in record_view_avx2.cpp, and the entry points below send its plans there.
//
// Layout: a short is 2 bytes big-endian with the sign bit flipped (0 = blank);
// a number 8 bytes big-endian, positive values with the sign bit set, negative
// ones with every bit inverted (all zero = blank). The record is loaded 64 bytes
// at a time (masked, so never past the record); one byte permute per chunk puts
// each field's bytes, reversed, in its output lane: 16-bit lanes for shorts
// (lane = output index), 64-bit lanes for numbers. The flips are then undone on
// whole vectors.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "paradox/record_view.h"
#include "paradox/read/record_view_avx2.h"
#include "paradox/read/vector_plan.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// GCC's AVX-512 intrinsics start from deliberately undefined vectors, which
// its optimiser then reports as maybe uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#define PDX_HAVE_VECTOR_SCAN 1
#endif

namespace pdx {

#ifdef PDX_HAVE_VECTOR_SCAN
namespace {

// Whether a string_view's bytes are its size then its pointer, so that views
// can be written as such pairs (string_view is trivially copyable).
bool ViewIsSizeThenPointer() {
  static_assert(std::is_trivially_copyable_v<std::string_view> && sizeof(std::string_view) == 16);
  static const char probe[3] = {};
  const std::string_view v(probe + 1, 2);
  uint64_t w[2];
  std::memcpy(w, &v, sizeof w);
  return w[0] == 2 && w[1] == reinterpret_cast<uintptr_t>(probe + 1);
}

// Fields sorted by offset are packed into windows of 64 record bytes, each
// field wholly inside one; lanes(out) gives the output bytes of a field and
// fill() writes, for field byte j, which output byte receives it.
template <class Lane>
bool Pack(const std::vector<FieldSlot>& fields, const std::vector<uint32_t>& out, uint32_t recordSize,
          uint32_t width, Lane lane, std::vector<ScanPlan::VectorPlan::Chunk>* chunks) {
  std::vector<size_t> order(fields.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return fields[a].offset < fields[b].offset; });
  ScanPlan::VectorPlan::Chunk* cur = nullptr;
  for (size_t k : order) {
    const FieldSlot& f = fields[k];
    if (f.size != width || f.offset + width > recordSize) return false;
    uint32_t vec = 0, firstByte = 0;
    lane(out[k], &vec, &firstByte);
    if (!cur || f.offset + width > cur->start + 64 || cur->vector != vec) {
      chunks->emplace_back();
      cur = &chunks->back();
      cur->start = f.offset;
      cur->vector = vec;
      const uint32_t avail = std::min<uint32_t>(64, recordSize - f.offset);
      cur->load = avail == 64 ? ~0ull : ((1ull << avail) - 1);
    }
    for (uint32_t j = 0; j < width; ++j) {
      // Output bytes are little-endian: the field's last byte comes first.
      const uint32_t dst = firstByte + (width - 1 - j);
      cur->index[dst] = static_cast<uint8_t>(f.offset - cur->start + j);
      cur->bytes |= 1ull << dst;
    }
  }
  return true;
}

}  // namespace

#define PDX_VECTOR_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vl,avx512cd")))

namespace {

// The plan's arrays as plain pointers and counts, taken once: the outputs
// could alias the plan's vectors as far as the compiler knows, which would
// make it reload their sizes after every store.
struct Spans {
  const ScanPlan::VectorPlan::Chunk* shorts;
  size_t shortCount;
  const ScanPlan::VectorPlan::Chunk* numbers;
  size_t numberCount[2];  // chunks of output vector 0, then of 1
  const ScanPlan::VectorPlan::TextChunk* textChunks;
  size_t textChunkCount;
  const ScanPlan::VectorPlan::TextGroup* groups;
  size_t groupCount;
  const ScanPlan::VectorPlan::Text* texts;
  size_t textCount;
  bool pairs;
  uint16_t intStore[2];
  uint8_t doubleStore[2];
};

Spans SpansOf(const ScanPlan::VectorPlan& vp) {
  Spans s{};
  s.shorts = vp.shorts.data();
  s.shortCount = vp.shorts.size();
  s.numbers = vp.numbers.data();
  for (const auto& c : vp.numbers) ++s.numberCount[c.vector];
  s.textChunks = vp.textChunks.data();
  s.textChunkCount = vp.textChunks.size();
  s.groups = vp.textGroups.data();
  s.groupCount = vp.textGroups.size();
  s.texts = vp.texts.data();
  s.textCount = vp.texts.size();
  s.pairs = vp.storeTextPairs;
  s.intStore[0] = vp.intStore[0];
  s.intStore[1] = vp.intStore[1];
  s.doubleStore[0] = vp.doubleStore[0];
  s.doubleStore[1] = vp.doubleStore[1];
  return s;
}

PDX_VECTOR_TARGET inline __attribute__((always_inline)) __m512i Gather(const ScanPlan::VectorPlan::Chunk* c, size_t n,
                                                                      const char* rec) {
  __m512i acc = _mm512_setzero_si512();
  for (size_t i = 0; i < n; ++i) {
    const __m512i data = _mm512_maskz_loadu_epi8(c[i].load, rec + c[i].start);
    acc = _mm512_mask_permutexvar_epi8(acc, c[i].bytes, _mm512_loadu_si512(c[i].index), data);
  }
  return acc;
}

PDX_VECTOR_TARGET inline __attribute__((always_inline)) void Numbers(__m512i r, double* out, uint8_t store) {
  // Sign bit set: clear it; clear: invert everything. Blank (0) stays 0.
  const __m512i sign = _mm512_set1_epi64(static_cast<long long>(0x8000000000000000ull));
  const __m512i neg = _mm512_srai_epi64(r, 63);
  const __m512i flip = _mm512_or_si512(_mm512_andnot_si512(neg, _mm512_set1_epi64(-1)), sign);
  const __m512i val = _mm512_maskz_xor_epi64(_mm512_test_epi64_mask(r, r), r, flip);
  _mm512_mask_storeu_pd(out, store, _mm512_castsi512_pd(val));
}

PDX_VECTOR_TARGET inline __attribute__((always_inline)) uint64_t One(const Spans& sp, const char* rec, int32_t* ints,
                                                                    double* doubles, std::string_view* texts) {
  if (sp.shortCount) {
    const __m512i raw = Gather(sp.shorts, sp.shortCount, rec);
    const __mmask32 filled = _mm512_test_epi16_mask(raw, raw);
    const __m512i val = _mm512_maskz_mov_epi16(filled, _mm512_xor_si512(raw, _mm512_set1_epi16(-32768)));
    // Widened to 32 bits, sixteen lanes a store.
    if (sp.intStore[0])
      _mm512_mask_storeu_epi32(ints, sp.intStore[0], _mm512_cvtepi16_epi32(_mm512_castsi512_si256(val)));
    if (sp.intStore[1])
      _mm512_mask_storeu_epi32(ints + 16, sp.intStore[1],
                               _mm512_cvtepi16_epi32(_mm512_maskz_extracti64x4_epi64(0xF, val, 1)));
  }
  if (sp.doubleStore[0]) Numbers(Gather(sp.numbers, sp.numberCount[0], rec), doubles, sp.doubleStore[0]);
  if (sp.doubleStore[1])
    Numbers(Gather(sp.numbers + sp.numberCount[0], sp.numberCount[1], rec), doubles + 8, sp.doubleStore[1]);
  if (!sp.textCount) return ~0ull;
  // Text: up to the first NUL; ASCII text is its own UTF-8, the rest is
  // converted by the caller. One load per chunk gives the NUL and high-bit
  // masks of its 64 bytes; the lengths of eight texts then come from those
  // masks at once. (Built in registers: a vector load right after narrow
  // stores would wait.)
  alignas(64) uint64_t lens[64];
  __m512i zerosV = _mm512_setzero_si512(), highsV = _mm512_setzero_si512();
  for (size_t c = 0; c < sp.textChunkCount; ++c) {
    const __m512i data = _mm512_maskz_loadu_epi8(sp.textChunks[c].load, rec + sp.textChunks[c].start);
    const auto lane = static_cast<__mmask8>(1u << c);
    zerosV = _mm512_mask_set1_epi64(zerosV, lane, static_cast<long long>(_mm512_testn_epi8_mask(data, data)));
    highsV = _mm512_mask_set1_epi64(highsV, lane, static_cast<long long>(_mm512_movepi8_mask(data)));
  }
  const __m512i one = _mm512_set1_epi64(1);
  uint64_t slow = 0;
  for (size_t g = 0; g < sp.groupCount; ++g) {
    const auto& tg = sp.groups[g];
    const __m512i idx = _mm512_loadu_si512(tg.chunk), sh = _mm512_loadu_si512(tg.shift);
    const __m512i z = _mm512_or_si512(_mm512_srlv_epi64(_mm512_permutexvar_epi64(idx, zerosV), sh),
                                      _mm512_loadu_si512(tg.stop));
    // Length = index of the lowest set bit (the first NUL, or the size).
    const __m512i low = _mm512_and_si512(z, _mm512_sub_epi64(_mm512_setzero_si512(), z));
    const __m512i len = _mm512_sub_epi64(_mm512_set1_epi64(63), _mm512_lzcnt_epi64(low));
    const __m512i before = _mm512_sub_epi64(_mm512_sllv_epi64(one, len), one);
    const __m512i high = _mm512_and_si512(_mm512_srlv_epi64(_mm512_permutexvar_epi64(idx, highsV), sh), before);
    slow |= static_cast<uint64_t>(_mm512_test_epi64_mask(high, high)) << (8 * g);
    if (sp.pairs) {
      // (size, pointer) pairs, four views a store; lanes past the last text
      // are not stored.
      const __m512i ptr = _mm512_add_epi64(_mm512_set1_epi64(reinterpret_cast<long long>(rec)),
                                           _mm512_loadu_si512(tg.offset));
      const __m512i lo = _mm512_permutex2var_epi64(len, _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11), ptr);
      const __m512i hi = _mm512_permutex2var_epi64(len, _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15), ptr);
      const size_t left = sp.textCount - 8 * g;
      const auto m = [](size_t views) { return static_cast<__mmask8>(views >= 4 ? 0xFF : (1u << (2 * views)) - 1); };
      _mm512_mask_storeu_epi64(texts + 8 * g, m(left), lo);
      if (left > 4) _mm512_mask_storeu_epi64(texts + 8 * g + 4, m(left - 4), hi);
    } else {
      _mm512_store_si512(lens + 8 * g, len);
    }
  }
  if (!sp.pairs)
    for (size_t k = 0; k < sp.textCount; ++k)
      texts[sp.texts[k].out] = std::string_view(rec + sp.texts[k].offset, lens[k]);
  return slow;
}

}  // namespace

namespace {

PDX_VECTOR_TARGET uint64_t DecodeAvx512(const ScanPlan::VectorPlan& vp, const char* rec, int32_t* ints,
                                        double* doubles, std::string_view* texts) {
  return One(SpansOf(vp), rec, ints, doubles, texts);
}

PDX_VECTOR_TARGET void DecodeAvx512Block(const ScanPlan::VectorPlan& vp, const RecordView* views, size_t n,
                                         int32_t* ints, size_t intCount, double* doubles, size_t doubleCount,
                                         std::string_view* texts, size_t textCount, uint64_t* slow) {
  const Spans sp = SpansOf(vp);
  // Decoding outruns the hardware's prefetching, which stops at each page:
  // ask for the record about a page ahead (blocks mostly follow each other in
  // the file; a prefetch never faults, wherever it points).
  const size_t size = n ? views[0].recordSize() : 0;
  const size_t ahead = size ? std::max<size_t>(1, 4096 / size) * size : 0;
  for (size_t r = 0; r < n; ++r) {
    const char* rec = views[r].raw();
    const uintptr_t next = reinterpret_cast<uintptr_t>(rec) + ahead;  // may lie past the file: only a hint
    for (size_t at = 0; at < size; at += 64) _mm_prefetch(reinterpret_cast<const char*>(next + at), _MM_HINT_T0);
    slow[r] = One(sp, rec, ints + r * intCount, doubles + r * doubleCount, texts + r * textCount);
  }
}

}  // namespace

// Plain functions (no target attribute): they run on any processor and only
// then enter the code of the plan's path.
uint64_t DecodeVectorized(const ScanPlan::VectorPlan& vp, const char* rec, int32_t* ints, double* doubles,
                          std::string_view* texts) {
  if (vp.avx2) return DecodeAvx2(*vp.avx2, rec, ints, doubles, texts);
  return DecodeAvx512(vp, rec, ints, doubles, texts);
}

void DecodeVectorizedBlock(const ScanPlan::VectorPlan& vp, const RecordView* views, size_t n, int32_t* ints,
                           size_t intCount, double* doubles, size_t doubleCount, std::string_view* texts,
                           size_t textCount, uint64_t* slow) {
  if (vp.avx2) return DecodeAvx2Block(*vp.avx2, views, n, ints, intCount, doubles, doubleCount, texts, textCount, slow);
  DecodeAvx512Block(vp, views, n, ints, intCount, doubles, doubleCount, texts, textCount, slow);
}

std::shared_ptr<const ScanPlan::VectorPlan> MakeVectorPlan(const std::vector<FieldSlot>& shorts,
                                                           const std::vector<uint32_t>& shortOut,
                                                           const std::vector<FieldSlot>& numbers,
                                                           const std::vector<uint32_t>& numberOut,
                                                           const std::vector<FieldSlot>& texts,
                                                           const std::vector<uint32_t>& textOut, uint32_t recordSize,
                                                           size_t intCount, size_t doubleCount, ScanPath path) {
  if (path == ScanPath::kAvx2)
    return MakeAvx2VectorPlan(shorts, shortOut, numbers, numberOut, texts, textOut, recordSize, intCount,
                              doubleCount);
  static const bool have = ScanPathSupported(ScanPath::kAvx512);
  if (path != ScanPath::kAvx512 || !have || (shorts.empty() && numbers.empty() && texts.empty()) || intCount > 32 || doubleCount > 16)
    return nullptr;
  auto vp = std::make_shared<ScanPlan::VectorPlan>();
  vp->intLanes = shorts.empty() ? 0 : static_cast<uint32_t>(intCount);
  vp->doubleLanes = numbers.empty() ? 0 : static_cast<uint32_t>(doubleCount);
  auto shortLane = [](uint32_t out, uint32_t* vec, uint32_t* first) {
    *vec = 0;
    *first = 2 * out;
  };
  auto numberLane = [](uint32_t out, uint32_t* vec, uint32_t* first) {
    *vec = out / 8;
    *first = 8 * (out % 8);
  };
  if (!Pack(shorts, shortOut, recordSize, 2, shortLane, &vp->shorts)) return nullptr;
  if (!Pack(numbers, numberOut, recordSize, 8, numberLane, &vp->numbers)) return nullptr;
  std::stable_sort(vp->numbers.begin(), vp->numbers.end(),
                   [](const auto& x, const auto& y) { return x.vector < y.vector; });
  // Lanes w*q .. w*q + w - 1 of count outputs, as a store mask.
  auto lanes = [](uint32_t count, uint32_t q, uint32_t w) -> uint32_t {
    if (count <= q * w) return 0;
    const uint32_t left = count - q * w;
    return left >= w ? (1u << w) - 1 : (1u << left) - 1;
  };
  for (uint32_t q = 0; q < 2; ++q) vp->intStore[q] = static_cast<uint16_t>(lanes(vp->intLanes, q, 16));
  for (uint32_t q = 0; q < 2; ++q) vp->doubleStore[q] = static_cast<uint8_t>(lanes(vp->doubleLanes, q, 8));
  // Texts of at most 63 bytes, at most 64 of them in at most eight windows;
  // otherwise all go the scalar way.
  bool textsFit = texts.size() <= 64;
  for (const FieldSlot& t : texts) textsFit = textsFit && t.size >= 1 && t.size <= 63 && t.offset + t.size <= recordSize;
  if (textsFit && !texts.empty()) {
    std::vector<size_t> order(texts.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::sort(order.begin(), order.end(), [&](size_t x, size_t y) { return texts[x].offset < texts[y].offset; });
    vp->texts.resize(texts.size());
    vp->textGroups.resize((texts.size() + 7) / 8);
    for (auto& g : vp->textGroups)
      for (uint64_t& st : g.stop) st = ~0ull;  // unused lanes: length 0
    for (size_t k : order) {
      const FieldSlot& f = texts[k];
      if (vp->textChunks.empty() || f.offset + f.size > vp->textChunks.back().start + 64) {
        ScanPlan::VectorPlan::TextChunk c;
        c.start = f.offset;
        const uint32_t avail = std::min<uint32_t>(64, recordSize - f.offset);
        c.load = avail == 64 ? ~0ull : (1ull << avail) - 1;
        vp->textChunks.push_back(c);
      }
      ScanPlan::VectorPlan::Text& t = vp->texts[k];
      t.offset = f.offset;
      t.out = textOut[k];
      t.chunk = static_cast<uint32_t>(vp->textChunks.size() - 1);
      t.shift = f.offset - vp->textChunks.back().start;
      auto& g = vp->textGroups[k / 8];
      g.chunk[k % 8] = t.chunk;
      g.shift[k % 8] = t.shift;
      g.stop[k % 8] = ~((1ull << f.size) - 1);
      g.offset[k % 8] = f.offset;
    }
    bool inOrder = true;
    for (size_t k = 0; k < vp->texts.size(); ++k) inOrder = inOrder && vp->texts[k].out == k;
    vp->storeTextPairs = inOrder && ViewIsSizeThenPointer();
    if (vp->textChunks.size() > 8) {
      vp->texts.clear();
      vp->textChunks.clear();
      vp->textGroups.clear();
    }
  }
  return vp;
}

#else

uint64_t DecodeVectorized(const ScanPlan::VectorPlan&, const char*, int32_t*, double*, std::string_view*) {
  return ~0ull;
}

void DecodeVectorizedBlock(const ScanPlan::VectorPlan&, const RecordView*, size_t, int32_t*, size_t, double*, size_t,
                           std::string_view*, size_t, uint64_t*) {}

std::shared_ptr<const ScanPlan::VectorPlan> MakeVectorPlan(const std::vector<FieldSlot>&, const std::vector<uint32_t>&,
                                                           const std::vector<FieldSlot>&, const std::vector<uint32_t>&,
                                                           const std::vector<FieldSlot>&, const std::vector<uint32_t>&,
                                                           uint32_t, size_t, size_t, ScanPath) {
  return nullptr;
}

#endif

}  // namespace pdx

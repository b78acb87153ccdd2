#pragma once
// Internals of the scan fast path (record_view.h): the vector plan of a
// ScanPlan, built where the processor has the instructions, and the block
// decoder that uses it (read/record_view_simd.cpp).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "paradox/record_view.h"

namespace pdx {

// The vector path: moves the shorts and numbers of a record into place with
// byte permutations, 64 record bytes at a time (see record_view_simd.cpp).
struct ScanPlan::VectorPlan {
  struct Chunk {
    uint32_t start = 0;     // first record byte of the 64 loaded
    uint64_t load = 0;      // bytes loaded (never past the record)
    uint64_t bytes = 0;     // output bytes this chunk fills
    uint32_t vector = 0;    // numbers: output vector (lanes 0-7, 8-15)
    uint8_t index[64] = {};  // output byte <- loaded byte
  };
  struct Text {
    uint32_t offset = 0;  // in the record
    uint32_t out = 0;
    uint32_t chunk = 0;   // in textChunks
    uint32_t shift = 0;   // offset - that chunk's start
  };
  struct TextChunk {
    uint32_t start = 0;
    uint64_t load = 0;
  };
  // Eight texts at a time: lane k of group g is text 8g + k.
  struct TextGroup {
    uint64_t chunk[8] = {};  // in textChunks
    uint64_t shift[8] = {};  // offset - that chunk's start
    uint64_t stop[8] = {};   // bits from the field's size up (a NUL stands there)
    uint64_t offset[8] = {};  // in the record
  };
  std::vector<Chunk> shorts, numbers;
  std::vector<Text> texts;  // empty: the scalar loop reads them all
  std::vector<TextChunk> textChunks;  // at most eight
  std::vector<TextGroup> textGroups;
  // Texts come out in plan order and string_view holds (size, pointer) in
  // that order (checked at run time): views are then stored four at a time.
  bool storeTextPairs = false;
  uint32_t intLanes = 0, doubleLanes = 0;  // outputs written (ints, doubles)
  uint16_t intStore[2] = {};   // int lanes stored, sixteen outputs each
  uint8_t doubleStore[2] = {};  // double lanes stored, eight outputs each
  // Set for the AVX2 path (record_view_avx2.cpp), which keeps its own plan;
  // the fields above then stay empty.
  struct Avx2;
  std::shared_ptr<const Avx2> avx2;
};
// The same for n records, outputs laid record after record; slow[r] for record r.
void DecodeVectorizedBlock(const ScanPlan::VectorPlan& vp, const RecordView* views, size_t n, int32_t* ints,
                           size_t intCount, double* doubles, size_t doubleCount, std::string_view* texts,
                           size_t textCount, uint64_t* slow);
// Builds the vector plan for the path (kAvx512 or kAvx2), or returns null when
// the processor lacks the instructions or the fields do not fit it.
std::shared_ptr<const ScanPlan::VectorPlan> MakeVectorPlan(const std::vector<FieldSlot>& shorts,
                                                           const std::vector<uint32_t>& shortOut,
                                                           const std::vector<FieldSlot>& numbers,
                                                           const std::vector<uint32_t>& numberOut,
                                                           const std::vector<FieldSlot>& texts,
                                                           const std::vector<uint32_t>& textOut, uint32_t recordSize,
                                                           size_t intCount, size_t doubleCount, ScanPath path);

}  // namespace pdx

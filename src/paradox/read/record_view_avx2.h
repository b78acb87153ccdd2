#pragma once
// The AVX2 scan path (record_view_avx2.cpp), for processors without AVX-512.
// Internal to the engine: ScanPlan reaches it through MakeVectorPlan and the
// DecodeVectorized entry points of record_view_simd.cpp.
#include "paradox/read/vector_plan.h"
#include "paradox/record_view.h"

namespace pdx {

// Null when the processor lacks AVX2 or the record is too short for it.
std::shared_ptr<const ScanPlan::VectorPlan> MakeAvx2VectorPlan(const std::vector<FieldSlot>& shorts,
                                                               const std::vector<uint32_t>& shortOut,
                                                               const std::vector<FieldSlot>& numbers,
                                                               const std::vector<uint32_t>& numberOut,
                                                               const std::vector<FieldSlot>& texts,
                                                               const std::vector<uint32_t>& textOut,
                                                               uint32_t recordSize, size_t intCount,
                                                               size_t doubleCount);
uint64_t DecodeAvx2(const ScanPlan::VectorPlan::Avx2& plan, const char* rec, int32_t* ints, double* doubles,
                    std::string_view* texts);
void DecodeAvx2Block(const ScanPlan::VectorPlan::Avx2& plan, const RecordView* views, size_t n, int32_t* ints,
                     size_t intCount, double* doubles, size_t doubleCount, std::string_view* texts,
                     size_t textCount, uint64_t* slow);

}  // namespace pdx

#pragma once
// Raw byte -> Unicode tables of the supported single-byte code pages (generated).
#include <cstddef>
#include <cstdint>

namespace pdx::cptables {

struct PageEntry {
  int codePage;
  const uint16_t* table;  // 256 code points
};

extern const PageEntry kPages[];
extern const size_t kPageCount;

}  // namespace pdx::cptables

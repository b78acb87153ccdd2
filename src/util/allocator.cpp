#include "util/allocator.h"

#include <cstdlib>  // brings the C library's own macros (__GLIBC__)

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace corv {

void KeepFreedMemory() {
#if defined(__GLIBC__)
  // Blocks below 32 MiB (the largest this setting takes) come from the heap,
  // and the heap's top is given back only past 256 MiB free.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}

}  // namespace corv

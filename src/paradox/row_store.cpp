#include "paradox/row_store.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pdx {

void RowStore::Free::operator()(char* p) const { std::free(p); }

RowStore::Block RowStore::NewBlock(size_t bytes, bool large) {
  void* p = nullptr;
  if (large) {
    const size_t rounded = (bytes + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
    p = std::aligned_alloc(kBlockBytes, rounded);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // A hint only: without large pages the block works the same.
    if (p != nullptr) ::madvise(p, rounded, MADV_HUGEPAGE);
#endif
  } else {
    p = std::malloc(bytes);
  }
  if (p == nullptr) throw std::bad_alloc();
  return Block(static_cast<char*>(p));
}

}  // namespace pdx

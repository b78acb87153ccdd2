#include "paradox/write/row_store.h"

#include <cstdlib>
#include <new>

namespace pdx {

void RowStore::Free::operator()(char* p) const { std::free(p); }

RowStore::Block RowStore::NewBlock(size_t bytes) {
  // Uninitialised: every record is copied in whole before it is read.
  void* p = std::malloc(bytes);
  if (p == nullptr) throw std::bad_alloc();
  return Block(static_cast<char*>(p));
}

}  // namespace pdx

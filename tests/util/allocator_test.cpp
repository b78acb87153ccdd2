#include <gtest/gtest.h>

#include <cstdlib>

#include "util/allocator.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// A block of a few megabytes, as an agency's table takes, comes from the heap
// once the setting is made (mapped on its own, it would be unmapped when freed
// and faulted in again for the next agency), and stays there once freed.
TEST(Allocator, LargeBlocksComeFromTheHeapAndStayThereWhenFreed) {
#if !defined(__GLIBC__)
  GTEST_SKIP() << "the setting is the GNU C library's";
#else
  corv::KeepFreedMemory();
  const size_t mapped = mallinfo2().hblks;
  void* p = std::malloc(6u << 20);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(mallinfo2().hblks, mapped) << "a 6 MB block was mapped on its own";
  const size_t heap = mallinfo2().arena;
  std::free(p);
  EXPECT_EQ(mallinfo2().arena, heap) << "the heap gave its top back when the block was freed";
#endif
}

}  // namespace

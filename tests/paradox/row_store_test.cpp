#include "paradox/write/row_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Record(size_t size, uint32_t n) {
  std::string r(size, static_cast<char>('a' + n % 26));
  r.replace(0, std::to_string(n).size(), std::to_string(n));
  return r;
}

// Records across many blocks keep their bytes and ids; killed rows and a
// cleared store never give an id twice.
TEST(RowStore, KeepsRecordsAndIdsAcrossBlocksKillsAndClears) {
  for (size_t size : {size_t{7}, size_t{220}, size_t{40000}}) {
    SCOPED_TRACE(size);
    pdx::RowStore store(size);
    const uint32_t n = size > 1000 ? 300 : 20000;
    for (uint32_t i = 0; i < n; ++i) ASSERT_EQ(store.Add(Record(size, i).data()), i);
    for (uint32_t i = 0; i < n; i += 3) store.Kill(i);
    for (uint32_t i = 0; i < n; ++i) {
      ASSERT_EQ(store.Live(i), i % 3 != 0) << i;
      if (i % 3) {
        ASSERT_EQ(std::string(store.at(i), size), Record(size, i)) << i;
      }
    }
    std::string changed = Record(size, 999999);
    std::memcpy(store.at(1), changed.data(), size);
    EXPECT_EQ(std::string(store.at(1), size), changed);
    EXPECT_EQ(std::string(store.at(2), size), Record(size, 2));
    EXPECT_FALSE(store.Live(n));
    store.Clear(/*keepIds=*/true);
    EXPECT_FALSE(store.Live(1));
    EXPECT_EQ(store.Add(Record(size, 5).data()), n);
    EXPECT_EQ(std::string(store.at(n), size), Record(size, 5));
    store.Clear(/*keepIds=*/false);
    EXPECT_EQ(store.Add(Record(size, 6).data()), 0u);
  }
}

}  // namespace

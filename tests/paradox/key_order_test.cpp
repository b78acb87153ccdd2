#include "paradox/key_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>

namespace {

// The chunked order against std::set over many inserts and erases, through
// chunk splits and emptied chunks; with keys short enough to be copied beside
// the ids, and with keys read from the rows.
TEST(KeyOrder, MatchesASetThroughSplitsAndEmptiedChunks) {
  for (size_t width : {size_t{6}, size_t{70}}) {
    SCOPED_TRACE(width);
    std::vector<std::string> rows;
    // The key's last byte decides as much as its first.
    auto cmp = [width](const char* a, const char* b) {
      int r = std::memcmp(a + width - 3, b + width - 3, 3);
      return r != 0 ? r : std::memcmp(a, b, 3);
    };
    pdx::KeyOrder order([&](uint32_t id) { return rows[id].data(); }, cmp, width);
    std::set<std::string> model;
    std::map<std::string, uint32_t> idOf;
    std::mt19937 rng(5);
    for (int op = 0; op < 20000; ++op) {
      char key[8];
      std::snprintf(key, sizeof key, "%06u", static_cast<unsigned>(rng() % 3000));
      std::string k = std::string(key, 3) + std::string(width - 6, '-') + std::string(key + 3, 3);
      if (rng() % 3) {
        rows.push_back(k);
        bool inserted = order.Insert(static_cast<uint32_t>(rows.size() - 1));
        ASSERT_EQ(inserted, model.insert(k).second);
        if (inserted) idOf[k] = static_cast<uint32_t>(rows.size() - 1);
      } else if (model.count(k)) {
        ASSERT_TRUE(order.Erase(idOf[k]));
        model.erase(k);
      }
    }
    ASSERT_EQ(order.size(), model.size());
    std::vector<std::string> seen;
    order.ForEach([&](uint32_t id) { seen.push_back(rows[id]); });
    std::vector<std::string> want(model.begin(), model.end());
    std::sort(want.begin(), want.end(),
              [&](const std::string& a, const std::string& b) { return cmp(a.data(), b.data()) < 0; });
    EXPECT_EQ(seen, want);
    for (const auto& k : model) {
      uint32_t id = 0;
      ASSERT_TRUE(order.Find(k.data(), &id));
      EXPECT_EQ(rows[id], k);
    }
    uint32_t id = 0;
    EXPECT_FALSE(order.Find((std::string(width - 3, '9') + "999").data(), &id));
  }
  // Appending in order, then refusing what does not sort last.
  std::vector<std::string> rows;
  pdx::KeyOrder loaded([&](uint32_t i) { return rows[i].data(); },
                       [](const char* a, const char* b) { return std::memcmp(a, b, 6); }, 6);
  rows = {"000001", "000002", "000002", "000000"};
  EXPECT_TRUE(loaded.Append(0));
  EXPECT_TRUE(loaded.Append(1));
  EXPECT_FALSE(loaded.Append(2));
  EXPECT_FALSE(loaded.Append(3));
  EXPECT_TRUE(loaded.Insert(3));
  EXPECT_FALSE(loaded.Insert(2));
  EXPECT_EQ(loaded.size(), 3u);
}

}  // namespace

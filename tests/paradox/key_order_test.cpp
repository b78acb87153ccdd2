#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <set>

#include "paradox/key_order.h"

namespace {

// The chunked order against std::set over many inserts and erases, through
// chunk splits and emptied chunks.
TEST(KeyOrder, MatchesASetThroughSplitsAndEmptiedChunks) {
  std::vector<std::string> rows;
  pdx::KeyOrder order([&](uint32_t id) { return rows[id].data(); },
                      [](const char* a, const char* b) { return std::memcmp(a, b, 6); }, 6);
  std::set<std::string> model;
  std::map<std::string, uint32_t> idOf;
  std::mt19937 rng(5);
  for (int op = 0; op < 20000; ++op) {
    char key[8];
    std::snprintf(key, sizeof key, "%06u", static_cast<unsigned>(rng() % 3000));
    std::string k(key, 6);
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
  EXPECT_EQ(seen, std::vector<std::string>(model.begin(), model.end()));
  for (const auto& k : model) {
    uint32_t id = 0;
    ASSERT_TRUE(order.Find(k.data(), &id));
    EXPECT_EQ(rows[id], k);
  }
  uint32_t id = 0;
  EXPECT_FALSE(order.Find("999999", &id));
  // Appending in order, then refusing what does not sort last.
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

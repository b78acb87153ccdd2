#include "paradox/write/key_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>

namespace {

// The chunked order against std::set over many inserts and erases (by key,
// and right after a Find), through chunk splits and emptied chunks; with
// short keys (many rows a chunk) and long ones (few).
TEST(KeyOrder, MatchesASetThroughSplitsAndEmptiedChunks) {
  for (size_t width : {size_t{6}, size_t{70}, size_t{700}}) {
    SCOPED_TRACE(width);
    std::vector<std::string> rows;
    pdx::KeyOrder order(width);
    std::set<std::string> model;
    std::map<std::string, uint32_t> idOf;
    std::mt19937 rng(5);
    for (int op = 0; op < 20000; ++op) {
      char key[8];
      std::snprintf(key, sizeof key, "%06u", static_cast<unsigned>(rng() % 3000));
      // The key's last bytes decide when its first ones are equal.
      std::string k = std::string(key, 3) + std::string(width - 6, '-') + std::string(key + 3, 3);
      if (rng() % 3) {
        rows.push_back(k);
        bool inserted = order.Insert(static_cast<uint32_t>(rows.size() - 1), k.data());
        ASSERT_EQ(inserted, model.insert(k).second);
        if (inserted) idOf[k] = static_cast<uint32_t>(rows.size() - 1);
      } else if (model.count(k)) {
        if (rng() % 2) {
          uint32_t found = 0;
          ASSERT_TRUE(order.Find(k.data(), &found));
          ASSERT_EQ(found, idOf[k]);
          ASSERT_TRUE(order.Erase(found, nullptr));
        } else {
          ASSERT_TRUE(order.Erase(idOf[k], k.data()));
        }
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
    const std::string above = std::string(width - 3, '9') + "999";
    EXPECT_FALSE(order.Find(above.data(), &id));
    // Null key: only the row just found can be erased without its key.
    const std::string& first = *model.begin();
    EXPECT_FALSE(order.Erase(idOf[first], nullptr));
    ASSERT_TRUE(order.Find(first.data(), &id));
    order.Insert(static_cast<uint32_t>(rows.size()), above.data());  // forgets the find
    EXPECT_FALSE(order.Erase(id, nullptr));
    EXPECT_EQ(order.size(), model.size() + 1);
    // Emptied again, in random order: chunks and groups go as they empty.
    std::vector<std::string> left(model.begin(), model.end());
    left.push_back(above);
    idOf[above] = static_cast<uint32_t>(rows.size());
    std::shuffle(left.begin(), left.end(), rng);
    for (const auto& k : left) ASSERT_TRUE(order.Erase(idOf[k], k.data()));
    EXPECT_EQ(order.size(), 0u);
    EXPECT_FALSE(order.Find(above.data(), &id));
    size_t visited = 0;
    order.ForEach([&](uint32_t) { ++visited; });
    EXPECT_EQ(visited, 0u);
    EXPECT_TRUE(order.Insert(7, above.data()));
    ASSERT_TRUE(order.Find(above.data(), &id));
    EXPECT_EQ(id, 7u);
  }
  // Loading many long keys in order (many chunks and groups), then inserting
  // between and before them.
  {
    const size_t width = 300;
    pdx::KeyOrder order(width);
    auto keyOf = [&](uint32_t n) {
      char b[16];
      std::snprintf(b, sizeof b, "%08u", n);
      return std::string(width - 8, 'k') + b;
    };
    for (uint32_t n = 0; n < 6000; ++n) ASSERT_TRUE(order.Append(n, keyOf(2 * n + 1).data()));
    for (uint32_t n = 0; n < 6000; n += 2) ASSERT_TRUE(order.Insert(10000 + n, keyOf(2 * n).data()));
    EXPECT_FALSE(order.Insert(1, keyOf(5).data()));
    std::vector<uint32_t> ids;
    order.ForEach([&](uint32_t i) { ids.push_back(i); });
    ASSERT_EQ(ids.size(), 9000u);
    for (size_t k = 0; k < ids.size(); ++k) {
      // Pairs: the inserted even key, then the two loaded odd keys around the next even one.
      const uint32_t want = k % 3 == 0 ? static_cast<uint32_t>(10000 + 2 * (k / 3)) : static_cast<uint32_t>(2 * (k / 3) + (k % 3 - 1));
      ASSERT_EQ(ids[k], want) << k;
    }
    uint32_t id = 0;
    ASSERT_TRUE(order.Find(keyOf(2 * 5999 + 1).data(), &id));
    EXPECT_EQ(id, 5999u);
  }
  // Appending in order, then refusing what does not sort last.
  pdx::KeyOrder loaded(6);
  EXPECT_TRUE(loaded.Append(0, "000001"));
  EXPECT_TRUE(loaded.Append(1, "000002"));
  EXPECT_FALSE(loaded.Append(2, "000002"));
  EXPECT_FALSE(loaded.Append(3, "000000"));
  EXPECT_TRUE(loaded.Insert(3, "000000"));
  EXPECT_FALSE(loaded.Insert(2, "000002"));
  EXPECT_FALSE(loaded.Erase(1, "000001"));  // that key is row 0's
  EXPECT_EQ(loaded.size(), 3u);
  std::vector<uint32_t> ids;
  loaded.ForEach([&](uint32_t i) { ids.push_back(i); });
  EXPECT_EQ(ids, (std::vector<uint32_t>{3, 0, 1}));
}

}  // namespace

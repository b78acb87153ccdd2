#include "paradox/index/sort_key.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "paradox/codepage.h"
#include "paradox/text/collation.h"

namespace {

using pdx::Collation;

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

pdx::CodePageMap MapOf(int codePage) {
  const pdx::CodePage* cp = nullptr;
  EXPECT_TRUE(pdx::CodePage::Find(codePage, &cp).ok()) << codePage;
  pdx::CodePageMap m{};
  for (int b = 0; b < 256; ++b) m[static_cast<size_t>(b)] = static_cast<char32_t>(cp->CodePoint(static_cast<uint8_t>(b)));
  return m;
}

// Stored alpha values of `size` bytes that put the collation's levels to
// work: shared starts, letters that differ only by accent or case, ligatures
// and umlauts against their two-letter forms, signs, bytes above 0x80 of
// every kind, blanks, and bytes left after the terminating NUL.
std::vector<std::string> Values(std::mt19937* rng, size_t size, size_t count) {
  const std::string pool = "aAeEoOsSuUnNzZ19 -";
  std::vector<std::string> out;
  out.push_back(std::string(size, '\0'));
  for (size_t v = 0; v < count; ++v) {
    std::string s(size, '\0');
    const size_t len = (*rng)() % (size + 1);
    for (size_t i = 0; i < len; ++i) {
      const unsigned r = (*rng)() % 10;
      s[i] = r < 6 ? pool[(*rng)() % pool.size()] : static_cast<char>(0x80 + (*rng)() % 128);
    }
    if (len + 1 < size && (*rng)() % 4 == 0) s[len + 1] = 'x';  // ignored: past the NUL
    out.push_back(s);
    // A near neighbour: one byte changed.
    if (len > 0) {
      std::string t = s;
      t[(*rng)() % len] = pool[(*rng)() % pool.size()];
      out.push_back(t);
    }
  }
  return out;
}

// For every sort order, over the code pages the engine's tables use, in both
// case modes: memcmp of the sort keys has the sign of CompareAlpha.
TEST(SortKey, OrdersAsTheCollationForEveryOrderAndCase) {
  std::mt19937 rng(11);
  for (int codePage : {437, 850, 1252, 865, 866}) {
    const pdx::CodePageMap map = MapOf(codePage);
    for (const std::string& name : Collation::KnownNames()) {
      Collation c;
      ASSERT_TRUE(Collation::Make(name, map, &c).ok()) << name;
      const size_t size = 6;
      const std::vector<std::string> values = Values(&rng, size, 120);
      for (bool ci : {false, true}) {
        SCOPED_TRACE(name + " cp" + std::to_string(codePage) + (ci ? " case-insensitive" : ""));
        const size_t n = c.SortKeySize(size, ci);
        std::vector<std::string> keys;
        for (const auto& v : values) {
          std::string k(n, '\x55');
          c.SortKey(v.data(), size, ci, k.data());
          keys.push_back(k);
        }
        int bad = 0;
        for (size_t i = 0; i < values.size() && bad < 5; ++i)
          for (size_t j = 0; j < values.size() && bad < 5; ++j) {
            const int want = Sign(c.CompareAlpha(values[i], values[j], ci));
            const int got = Sign(std::memcmp(keys[i].data(), keys[j].data(), n));
            if (want != got) {
              ++bad;
              ADD_FAILURE() << "values " << i << " and " << j << ": collation " << want << ", sort key " << got;
            }
          }
      }
    }
  }
}

// Hand-picked pairs of one order: the levels in their turn.
TEST(SortKey, LevelsOfTheInternationalOrder) {
  Collation c;
  ASSERT_TRUE(Collation::Make("ANSIINTL", MapOf(1252), &c).ok());
  auto key = [&](const std::string& s, bool ci) {
    std::string v = s;
    v.resize(8, '\0');
    std::string k(c.SortKeySize(8, ci), '\0');
    c.SortKey(v.data(), 8, ci, k.data());
    return k;
  };
  // Letters first, then accents, then case (lowercase first); blank lowest.
  EXPECT_LT(key("", false), key("a", false));
  EXPECT_LT(key("a", false), key("A", false));
  EXPECT_LT(key("A", false), key("\xE9", false));   // e-acute after A
  EXPECT_LT(key("e", false), key("\xE9", false));   // accent after none
  EXPECT_LT(key("\xE9", false), key("f", false));
  EXPECT_LT(key("ad", false), key("\xE4", false));  // a-umlaut as "ae"
  EXPECT_LT(key("\xE4", false), key("af", false));
  EXPECT_EQ(key("Dupont", true), key("DUPONT", true));
  EXPECT_NE(key("Dupont", false), key("DUPONT", false));
}

// A composite key: alpha, short, alpha; ascending and descending; also a
// case-insensitive index. Keys past the first field decide only on ties.
TEST(SortKey, CompositeKeysOrderAsTheLayout) {
  Collation c;
  ASSERT_TRUE(Collation::Make("intl", MapOf(850), &c).ok());
  std::mt19937 rng(3);
  const std::vector<std::string> first = Values(&rng, 4, 12), last = Values(&rng, 5, 12);
  std::vector<std::string> recs;
  for (const auto& a : first)
    for (int s = 0; s < 3; ++s)
      for (size_t k = 0; k < last.size(); k += 3) {
        std::string r = a;
        r += static_cast<char>(0x80);  // short, big-endian with the sign flipped
        r += static_cast<char>(s == 2 ? 0 : 7 * s);
        if (s == 0) r[4] = r[5] = '\0';  // blank short
        r += last[k];
        recs.push_back(r);
      }
  for (int mode = 0; mode < 3; ++mode) {
    pdx::KeyLayout layout;
    layout.collation = &c;
    layout.descending = mode == 1;
    layout.caseInsensitive = mode == 2;
    layout.parts = {{pdx::FieldType::kAlpha, 0, 4}, {pdx::FieldType::kShort, 4, 2}, {pdx::FieldType::kAlpha, 6, 5}};
    pdx::SortKeyMaker maker(layout);
    std::vector<std::string> keys;
    for (const auto& r : recs) {
      std::string k(maker.size(), '\0');
      maker.Make(r.data(), k.data());
      keys.push_back(k);
    }
    for (size_t i = 0; i < recs.size(); ++i)
      for (size_t j = 0; j < recs.size(); ++j)
        ASSERT_EQ(Sign(std::memcmp(keys[i].data(), keys[j].data(), maker.size())),
                  Sign(layout.Compare(recs[i].data(), recs[j].data())))
            << "mode " << mode << ", records " << i << " and " << j;
  }
}

}  // namespace

namespace {

// Made after a previous buffer, a key is the key made afresh, whether the
// fields are shared or not (ascending and descending), and the order given
// on the way is the keys' memcmp order.
TEST(SortKey, MadeAfterThePreviousRowEqualsMadeAfresh) {
  pdx::Collation c;
  ASSERT_TRUE(pdx::Collation::Make("ANSIINTL", MapOf(1252), &c).ok());
  std::mt19937 rng(9);
  const std::vector<std::string> names = Values(&rng, 5, 6), tails = Values(&rng, 3, 6);
  for (bool desc : {false, true}) {
    pdx::KeyLayout layout;
    layout.collation = &c;
    layout.descending = desc;
    layout.parts = {{pdx::FieldType::kAlpha, 0, 5}, {pdx::FieldType::kShort, 5, 2}, {pdx::FieldType::kAlpha, 7, 3}};
    pdx::SortKeyMaker maker(layout);
    std::string prev, prevKey;
    for (int r = 0; r < 400; ++r) {
      std::string rec = names[rng() % 3] + std::string(1, static_cast<char>(0x80)) +
                        std::string(1, static_cast<char>(rng() % 4)) + tails[rng() % tails.size()];
      std::string fresh(maker.size(), '\0'), after(maker.size(), '\x7F');
      maker.Make(rec.data(), fresh.data());
      if (!prev.empty()) {
        const int order = maker.MakeAfter(rec.data(), prev.data(), prevKey.data(), after.data());
        ASSERT_EQ(after, fresh) << "row " << r;
        const int expected = std::memcmp(fresh.data(), prevKey.data(), fresh.size());
        ASSERT_EQ(order < 0, expected < 0) << "row " << r;
        ASSERT_EQ(order == 0, expected == 0) << "row " << r;
      }
      prev = rec;
      prevKey = fresh;
    }
  }
}

}  // namespace

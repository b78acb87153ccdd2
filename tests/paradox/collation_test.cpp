#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "paradox/text/collation.h"

namespace {

using pdx::Collation;

// Latin-1 text written as UTF-8 in this file, turned into Latin-1 bytes.
std::string L1(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      unsigned char d = static_cast<unsigned char>(utf8[++i]);
      out += static_cast<char>(((c & 0x1F) << 6) | (d & 0x3F));
    }
  }
  return out;
}

Collation Make(const std::string& name, const pdx::CodePageMap& map = pdx::Latin1Map()) {
  Collation c;
  pdx::Status s = Collation::Make(name, map, &c);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return c;
}

// Sorts with the collation and checks the result is the given order.
void ExpectOrder(const Collation& c, std::vector<std::string> expected, bool ci = false) {
  std::vector<std::string> v = expected;
  std::reverse(v.begin(), v.end());
  std::stable_sort(v.begin(), v.end(),
                   [&](const std::string& a, const std::string& b) { return c.CompareAlpha(a, b, ci) < 0; });
  EXPECT_EQ(v, expected) << "order " << c.name();
  for (size_t i = 0; i + 1 < expected.size(); ++i) {
    EXPECT_LT(c.CompareAlpha(expected[i], expected[i + 1], ci), 0) << expected[i] << " / " << expected[i + 1];
    EXPECT_GT(c.CompareAlpha(expected[i + 1], expected[i], ci), 0) << expected[i + 1] << " / " << expected[i];
  }
}

TEST(Collation, AsciiIsByteOrderWithBlankFirst) {
  Collation c = Make("ascii");
  ExpectOrder(c, {"", "1", "A", "B", "Z", "_", "a", "b", L1("é")});
  // Stored values end at the first NUL of the field.
  EXPECT_EQ(c.CompareAlpha(std::string("AB\0\0", 4), "AB", false), 0);
  EXPECT_LT(c.CompareAlpha(std::string("\0\0", 2), "!", false), 0);
  EXPECT_EQ(c.CompareAlpha("Dive Shop", "DIVE SHOP", true), 0);
  EXPECT_LT(c.CompareAlpha("DIVE", "dive", false), 0);
}

TEST(Collation, InternationalLettersThenAccentsThenCase) {
  for (const char* name : {"intl", "intl850", "ANSIINTL", "ANSII850"}) {
    Collation c = Make(name);
    ExpectOrder(c, {"", " x", "1", "a", "A", "b", "B", "deJesus", "Dejesus", "e", L1("é"), L1("É"), "f"});
    // Umlauts count as the vowel and E, sharp s as two s, ligatures as two letters.
    ExpectOrder(c, {"Baer", L1("Bär"), "Bas"});
    ExpectOrder(c, {"Mueller", L1("Müller"), "Mul"});
    ExpectOrder(c, {"Strasse", L1("Straße"), "Strast"});
    ExpectOrder(c, {"AE", L1("Æ"), "AF"});
    // Case-insensitive: only letters and accents count.
    EXPECT_EQ(c.CompareAlpha("deJesus", "DEJESUS", true), 0);
    EXPECT_NE(c.CompareAlpha("e", L1("É"), true), 0);
  }
}

TEST(Collation, NordicAndSpanishLettersHaveTheirOwnPlace) {
  ExpectOrder(Make("nordan"), {"Zebra", L1("Æble"), L1("Ørn"), L1("Ål")});
  ExpectOrder(Make("nordan40"), {"Zz", L1("Ä"), L1("Ö"), L1("Å")});
  ExpectOrder(Make("swedfin"), {"Zebra", L1("Ål"), L1("Äpple"), L1("Öl")});
  ExpectOrder(Make("intl"), {"A", L1("Å"), "Aa", "Ab", "Zebra"});
  ExpectOrder(Make("spanish"), {"nz", L1("ña"), "oa"});
  ExpectOrder(Make("intl"), {"na", L1("ña"), "nz"});
}

TEST(Collation, CyrillicLettersInAlphabetOrderAfterLatin) {
  pdx::CodePageMap cp1251 = pdx::Latin1Map();
  for (int b = 0xC0; b <= 0xFF; ++b) cp1251[b] = 0x0410 + (b - 0xC0);
  cp1251[0xA8] = 0x0401;  // Ё
  cp1251[0xB8] = 0x0451;  // ё
  Collation c = Make("ANCYRR", cp1251);
  const std::string ie = "\xC5", io = "\xA8", zhe = "\xC6", ie_small = "\xE5", ya = "\xDF";
  ExpectOrder(c, {"Z", ie_small, ie, io, zhe, ya});
  std::string s = ie_small + "\xB8";  // её
  c.Upcase(s.data(), s.size());
  EXPECT_EQ(s, ie + io);
}

TEST(Collation, UpcaseFollowsTheCodePage) {
  Collation c = Make("ascii");
  EXPECT_EQ(c.Upcased(L1("Fünf straße é")), L1("FÜNF STRAßE É"));
  // A code page without the uppercase form keeps the letter.
  pdx::CodePageMap m = pdx::Latin1Map();
  m[0xC9] = 0;  // no É
  Collation d = Make("intl", m);
  EXPECT_EQ(d.Upcased(L1("é")), L1("é"));
}

TEST(Collation, NamesAreMatchedWithoutCaseAndUnknownOnesRefused) {
  Collation c;
  EXPECT_TRUE(Collation::Make("INTL850", pdx::Latin1Map(), &c).ok());
  EXPECT_EQ(c.name(), "intl850");
  EXPECT_FALSE(c.binary());
  pdx::Status s = Collation::Make("klingon", pdx::Latin1Map(), &c);
  EXPECT_TRUE(s.IsNotSupported());
  EXPECT_NE(s.message().find("klingon"), std::string::npos);
  EXPECT_GE(Collation::KnownNames().size(), 10u);
}

TEST(Collation, NonAlphaFieldsCompareByStoredValue) {
  Collation c;
  // Stored shorts: value with the sign bit flipped, big-endian; 0 is blank.
  const char blank[2] = {0, 0}, minus1[2] = {0x7F, char(0xFF)}, zero[2] = {char(0x80), 0}, two[2] = {char(0x80), 2};
  EXPECT_LT(pdx::CompareStoredField(pdx::FieldType::kShort, blank, minus1, 2, c, false), 0);
  EXPECT_LT(pdx::CompareStoredField(pdx::FieldType::kShort, minus1, zero, 2, c, false), 0);
  EXPECT_LT(pdx::CompareStoredField(pdx::FieldType::kShort, zero, two, 2, c, false), 0);
  EXPECT_EQ(pdx::CompareStoredField(pdx::FieldType::kShort, two, two, 2, c, true), 0);
}

}  // namespace

namespace {

// A shared start never changes the order, whatever its length (the comparison
// skips it in steps of eight bytes), and bytes after a NUL never count.
TEST(Collation, SharedStartAndBytesAfterTheEndDoNotChangeTheOrder) {
  const std::string letters = L1("aAbBeEéÉèzZ0 -æÆÿ");
  std::mt19937 rng(11);
  auto pick = [&](size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += letters[rng() % letters.size()];
    return s;
  };
  auto sign = [](int r) { return (r > 0) - (r < 0); };
  for (const char* order : {"ANSIINTL", "ascii"}) {
    const Collation c = Make(order);
    for (int round = 0; round < 4000; ++round) {
      const std::string start = pick(rng() % 18);
      std::string s = pick(rng() % 7), t = rng() % 4 ? pick(rng() % 7) : s;
      if (rng() % 3 == 0) s += std::string(1, '\0') + pick(rng() % 9);  // bytes past the end
      if (rng() % 3 == 0) t += std::string(1, '\0') + pick(rng() % 9);
      const bool ci = rng() % 2;
      const int want = sign(c.CompareAlpha(s, t, ci));
      const std::string a = start + s + std::string(rng() % 5, '\0'), b = start + t;
      ASSERT_EQ(sign(c.CompareAlpha(a, b, ci)), want)
          << order << " start \"" << start << "\" s \"" << s << "\" t \"" << t << "\" ci " << ci;
      ASSERT_EQ(sign(c.CompareAlpha(b, a, ci)), -want) << order;
    }
  }
}

}  // namespace

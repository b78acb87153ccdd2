#include "util/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corv {
namespace {

int Signe(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

// The comparison without case must order texts as their folded forms do,
// whether they hold ASCII only, accents, invalid bytes, or start alike.
TEST(TextTest, ComparingWithoutCaseOrdersTextsAsTheirFoldedForms) {
  const std::vector<std::string> textes = {
      "", "a", "A", "ab", "AB", "aB", "abc", "abd", "ABD", "b", "Z", "z", "[", "_", "`", "{", "0", "9",
      "C10000", "c10000", "C1000", "A10000", "\xC3\xA9t\xC3\xA9",          // été
      "\xC3\x89T\xC3\x89",                                                 // ÉTÉ
      "ete", "etf", "e", "\xC3\xA9", "\xC3\x89", "ab\xC3\xA9", "AB\xC3\x89", "abz", "ab\xC5\x92",  // abŒ
      "ab\xC5\x93",                                                        // abœ
      "\xC5\xB8", "\xC3\xBF",                                              // Ÿ ÿ
      "x\xFFy", "X\xFFY", "x\x80", "\x7F", "a\x7F"};
  for (const auto& a : textes) {
    for (const auto& b : textes) {
      const int attendu = Signe(FoldCase(a).compare(FoldCase(b)));
      EXPECT_EQ(CompareNoCase(a, b), attendu) << '"' << a << "\" / \"" << b << '"';
      EXPECT_EQ(EqualsNoCase(a, b), attendu == 0) << '"' << a << "\" / \"" << b << '"';
    }
  }
  EXPECT_EQ(CompareNoCase("Fournisseur", "FOURNISSEUR"), 0);
  EXPECT_LT(CompareNoCase("groupe", "Groupes"), 0);
  EXPECT_TRUE(EqualsNoCase("\xC3\xA9t\xC3\xA9", "\xC3\x89t\xC3\x89"));
}

}  // namespace
}  // namespace corv

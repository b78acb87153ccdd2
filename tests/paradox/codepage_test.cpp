#include "paradox/codepage.h"

#include <gtest/gtest.h>

namespace {

const pdx::CodePage* Page(int n) {
  const pdx::CodePage* p = nullptr;
  EXPECT_TRUE(pdx::CodePage::Find(n, &p).ok()) << n;
  return p;
}

TEST(CodePage, EveryByteSurvivesARoundTrip) {
  for (int n : {437, 850, 852, 865, 866, 1250, 1251, 1252}) {
    SCOPED_TRACE(n);
    const pdx::CodePage* cp = Page(n);
    ASSERT_NE(cp, nullptr);
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::string utf8 = cp->Decode(all);
    std::string back;
    ASSERT_TRUE(cp->Encode(utf8, &back).ok());
    EXPECT_EQ(back, all);
  }
}

TEST(CodePage, KnownCharacters) {
  EXPECT_EQ(Page(437)->Decode("\x82\x9A\xE1"), "éÜß");
  EXPECT_EQ(Page(850)->Decode("\x90\xB5"), "ÉÁ");
  EXPECT_EQ(Page(852)->Decode("\xA5\x9F"), "ąč");
  EXPECT_EQ(Page(865)->Decode("\x9B\x9D"), "øØ");
  EXPECT_EQ(Page(866)->Decode("\x80\xAF\xE0"), "Апр");
  EXPECT_EQ(Page(1250)->Decode("\x8A\xB9"), "Šą");
  EXPECT_EQ(Page(1251)->Decode("\xC0\xFF"), "Ая");
  EXPECT_EQ(Page(1252)->Decode("\x80\xE9"), "€é");
  // Old headers carry no code page: 0 reads as 437.
  EXPECT_EQ(Page(0)->number(), 437);
}

TEST(CodePage, EncodeRefusesWhatThePageCannotHold) {
  std::string out = "keep";
  pdx::Status s = Page(437)->Encode("prix 5 €", &out);
  ASSERT_TRUE(s.IsInvalidArgument());
  EXPECT_NE(s.message().find("U+20AC"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("437"), std::string::npos);
  EXPECT_TRUE(Page(1252)->Encode("Ж", &out).IsInvalidArgument());
  // Malformed UTF-8: a lone continuation byte, a cut sequence, an overlong form,
  // a surrogate.
  for (const char* bad : {"a\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80"}) {
    std::string o;
    EXPECT_TRUE(Page(1252)->Encode(bad, &o).IsInvalidArgument()) << bad;
  }
  std::string o;
  ASSERT_TRUE(Page(850)->Encode("Évêque à Zürich", &o).ok());
  EXPECT_EQ(Page(850)->Decode(o), "Évêque à Zürich");
}

TEST(CodePage, UnsupportedPage) {
  const pdx::CodePage* p = nullptr;
  EXPECT_TRUE(pdx::CodePage::Find(932, &p).IsNotSupported());
  EXPECT_EQ(p, nullptr);
  EXPECT_FALSE(pdx::CodePage::IsSupported(932));
}

}  // namespace

// The scan's text decoding: word-at-a-time length and ASCII test, the short
// copies, and reuse of one Value per field from record to record.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "paradox/format/field_decode_inl.h"
#include "paradox/table.h"
#include "paradox/writer.h"

namespace {

using pdx::FieldType;
using pdx::Value;

// Every length of field, every place of the first NUL and of a high byte,
// including bytes past the NUL that must not count.
TEST(FieldDecode, TextLengthAndAsciiMatchAByteByByteScan) {
  std::mt19937 rng(7);
  for (uint32_t size = 1; size <= 40; ++size) {
    for (int round = 0; round < 300; ++round) {
      std::string buf(size + 8, '\0');
      for (auto& c : buf) c = static_cast<char>(1 + rng() % 126);
      if (rng() % 2) buf[rng() % buf.size()] = '\0';
      if (rng() % 3 == 0) buf[rng() % buf.size()] = static_cast<char>(0x80 + rng() % 128);
      if (rng() % 4 == 0) buf[rng() % buf.size()] = '\x01';  // a byte the NUL test could confuse
      uint32_t want = 0;
      bool wantAscii = true;
      while (want < size && buf[want] != '\0') wantAscii &= static_cast<unsigned char>(buf[want++]) < 0x80;
      bool ascii = false;
      ASSERT_EQ(pdx::detail::TextLength(buf.data(), size, &ascii), want) << "size " << size << " round " << round;
      EXPECT_EQ(ascii, wantAscii) << "size " << size << " round " << round;
    }
  }
}

TEST(FieldDecode, CopyTextCopiesExactlyTheBytesAsked) {
  const std::string src = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (size_t n = 0; n <= src.size(); ++n) {
    std::string dst(src.size() + 2, '#');
    pdx::detail::CopyText(dst.data(), src.data(), n);
    EXPECT_EQ(dst.substr(0, n), src.substr(0, n));
    EXPECT_EQ(dst.substr(n), std::string(dst.size() - n, '#')) << n;
  }
}

// One vector of values through a whole scan: each text reads as its own,
// whether longer or shorter than the one before, blank or not.
TEST(FieldDecode, ReusedValuesHoldEachRecordsText) {
  std::unique_ptr<pdx::Env> env = pdx::NewMemEnv();
  ASSERT_TRUE(env->CreateDir("/t").ok());
  pdx::TableDefinition def;
  def.fields = {pdx::FieldDesc{"N", FieldType::kShort, 2, false}, pdx::FieldDesc{"Texte", FieldType::kAlpha, 30, false},
                pdx::FieldDesc{"Court", FieldType::kAlpha, 3, false}};
  def.keyFieldCount = 1;
  const std::vector<std::string> texts = {"un texte assez long", "", "court", "a", "dix-sept lettres.",
                                          "é accentué", std::string(30, 'z'), "ab", "abcdefgh", "abcdefghi"};
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(env.get(), "/t", "TEXTES", def, {}, &w).ok());
    for (size_t i = 0; i < texts.size(); ++i) {
      Value t = texts[i].empty() ? Value::Blank() : Value::Text(texts[i]);
      ASSERT_TRUE(w->Insert({Value::Int(static_cast<int64_t>(i) + 1), t, Value::Text(texts[i].substr(0, 3))}).ok());
    }
    ASSERT_TRUE(w->Close().ok());
  }
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(env.get(), "/t", "TEXTES", &t).ok());
  auto cur = t->NewCursor();
  std::vector<Value> v;
  size_t n = 0;
  for (pdx::Status s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next(), ++n) {
    ASSERT_TRUE(cur->GetValues(&v).ok());
    ASSERT_LT(n, texts.size());
    EXPECT_EQ(v[1].text, texts[n]) << n;
    EXPECT_EQ(v[1].blank, texts[n].empty()) << n;
    EXPECT_EQ(v[2].text, texts[n].substr(0, 3)) << n;
  }
  EXPECT_EQ(n, texts.size());
}

}  // namespace

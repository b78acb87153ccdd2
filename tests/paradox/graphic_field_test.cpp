// Graphic fields as the engine keeps them: the value read is the blob file's
// bytes, 8-byte header included; the record's leading part copies the picture
// that follows the header. A hand-made table of the real tables' kind (level
// 7, code page 1252, not keyed, a memo and graphic fields wider than 10).
#include <gtest/gtest.h>

#include <fstream>

#include "paradox/check.h"
#include "paradox/format/graphic_value.h"
#include "paradox/record_view.h"
#include "paradox/table.h"
#include "paradox/writer.h"
#include "support/test_util.h"

namespace {

using pdx::FieldType;
using pdx::Value;

pdx::TableDefinition ImageDef() {
  pdx::TableDefinition d;
  d.fields = {{"Nom", FieldType::kAlpha, 20, false},
              {"Note", FieldType::kMemo, 15, false},
              {"Image", FieldType::kGraphic, 11, false},
              {"Vignette", FieldType::kGraphic, 20, false}};
  d.codePage = 1252;
  d.fileVersion = 12;
  return d;
}

// A bitmap-like picture of n bytes: "BM", then a pattern.
std::string Picture(size_t n, char seed) {
  std::string p = "BM";
  while (p.size() < n) p.push_back(static_cast<char>(seed + static_cast<char>(p.size() % 97)));
  return p;
}

class GraphicField : public ::testing::Test {
 protected:
  void Write(const std::vector<std::vector<Value>>& rows) {
    std::unique_ptr<pdx::TableWriter> w;
    pdx::Status s = pdx::TableWriter::Create(env, dir.path(), "IMAGES", ImageDef(), {}, &w);
    ASSERT_TRUE(s.ok()) << s.ToString();
    for (const auto& r : rows) ASSERT_TRUE((s = w->Insert(r)).ok()) << s.ToString();
    ASSERT_TRUE(w->Close().ok());
  }
  std::vector<std::vector<Value>> Read() {
    std::unique_ptr<pdx::Table> t;
    EXPECT_TRUE(pdx::Table::Open(env, dir.path(), "images", &t).ok());
    std::vector<std::vector<Value>> out;
    if (!t) return out;
    auto cur = t->NewCursor();
    for (pdx::Status s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next()) {
      std::vector<Value> v;
      pdx::Status g = cur->GetValues(&v);
      EXPECT_TRUE(g.ok()) << g.ToString();
      out.push_back(v);
    }
    return out;
  }
  // The record's bytes of field f (from 1) of record r (from 0; all in the
  // first block, as in these small tables).
  std::string FieldBytes(int r, int f) {
    std::unique_ptr<pdx::Table> t;
    EXPECT_TRUE(pdx::Table::Open(env, dir.path(), "images", &t).ok());
    const pdx::FieldSlot& s = t->info().slots[static_cast<size_t>(f - 1)];
    return testutil::ReadFile(dir.file("IMAGES.DB")).substr(At(r, f, *t), s.size);
  }
  size_t At(int r, int f, const pdx::Table& t) {
    const std::string db = testutil::ReadFile(dir.file("IMAGES.DB"));
    const size_t header = static_cast<uint8_t>(db[2]) | static_cast<size_t>(static_cast<uint8_t>(db[3])) << 8;
    return header + 6 + static_cast<size_t>(r) * static_cast<size_t>(t.info().recordSize) +
           t.info().slots[static_cast<size_t>(f - 1)].offset;
  }
  std::vector<std::string> Findings() {
    std::vector<pdx::CheckFinding> found;
    EXPECT_TRUE(pdx::CheckTable(env, dir.path(), "images", &found).ok());
    std::vector<std::string> out;
    for (const auto& f : found) out.push_back(f.file + ": " + f.what);
    return out;
  }
  void Poke(size_t at, char byte) {
    std::fstream f(dir.file("IMAGES.DB"), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(at));
    f.put(byte);
  }

  pdx::Env* env = pdx::Env::Default();
  testutil::TempDir dir;
};

TEST_F(GraphicField, RecordKeepsThePictureAfterTheHeaderAndValuesReadWhole) {
  // A picture in whole blocks, one sub-allocated, one blank, one small enough
  // for the record of the wider field.
  const std::string big = pdx::GraphicValueOf(Picture(5000, 'a'));
  const std::string small = pdx::GraphicValueOf(Picture(300, 'k'));
  const std::string tiny = pdx::GraphicValueOf("BM");  // 10 bytes: fits a field of size 20
  Write({{Value::Text("grand"), Value::Text("une note assez longue pour le .MB"), Value::Text(big), Value::Text(small)},
         {Value::Text("petit"), Value::Blank(), Value::Text(small), Value::Text(tiny)},
         {Value::Text("vide"), Value::Text("court"), Value::Blank(), Value::Blank()}});

  const auto rows = Read();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][2].text, big);
  EXPECT_EQ(rows[0][3].text, small);
  EXPECT_EQ(rows[1][2].text, small);
  EXPECT_EQ(rows[1][3].text, tiny);
  EXPECT_TRUE(rows[2][2].blank);
  EXPECT_EQ(rows[0][1].text, "une note assez longue pour le .MB");

  // Size 11: the one leading byte is the "B" of "BM"; size 20: ten bytes of
  // the picture; a memo keeps its own first bytes.
  EXPECT_EQ(FieldBytes(0, 3)[0], 'B');
  EXPECT_EQ(FieldBytes(0, 4).substr(0, 10), Picture(300, 'k').substr(0, 10));
  EXPECT_EQ(FieldBytes(0, 2).substr(0, 5), "une n");
  // Kept whole in the record: the value itself, header included.
  EXPECT_EQ(FieldBytes(1, 4).substr(0, 10), tiny);

  EXPECT_TRUE(Findings().empty()) << testing::PrintToString(Findings());
}

TEST_F(GraphicField, CheckReportsAWrongCopyOfThePicture) {
  const std::string value = pdx::GraphicValueOf(Picture(3000, 'c'));
  Write({{Value::Text("a"), Value::Blank(), Value::Text(value), Value::Text(value)}});
  ASSERT_TRUE(Findings().empty());
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(env, dir.path(), "images", &t).ok());
  const size_t image = At(0, 3, *t), thumb = At(0, 4, *t);
  t.reset();

  // The value's own first byte (the header's 01) is not what the engine keeps.
  Poke(image, '\x01');
  auto found = Findings();
  ASSERT_EQ(found.size(), 1u) << testing::PrintToString(found);
  EXPECT_NE(found[0].find("IMAGES.MB"), std::string::npos) << found[0];
  EXPECT_NE(found[0].find("field \"Image\" of record 1"), std::string::npos) << found[0];
  EXPECT_NE(found[0].find("differ from the copy in the record"), std::string::npos) << found[0];
  Poke(image, 'B');
  // The last byte of the wider field's copy.
  Poke(thumb + 9, 'Z');
  found = Findings();
  ASSERT_EQ(found.size(), 1u) << testing::PrintToString(found);
  EXPECT_NE(found[0].find("field \"Vignette\""), std::string::npos) << found[0];
  Poke(thumb + 9, Picture(3000, 'c')[9]);
  EXPECT_TRUE(Findings().empty());
}

TEST_F(GraphicField, RewritingKeepsTheCopyAndValuesWithoutHeaderAreRefused) {
  const std::string value = pdx::GraphicValueOf(Picture(2500, 'e'));
  Write({{Value::Text("a"), Value::Blank(), Value::Text(value), Value::Blank()}});
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Open(env, dir.path(), "images", {}, &w).ok());
    // A bitmap file's bytes alone, a header naming another length, a bare
    // header that is too short: refused, naming the field, nothing changed.
    for (const std::string& bad : {Picture(100, 'x'), value.substr(0, value.size() - 1), std::string("\x01\x00\x00", 3)}) {
      pdx::Status s = w->Insert({Value::Text("b"), Value::Blank(), Value::Text(bad)});
      ASSERT_TRUE(s.IsInvalidArgument()) << s.ToString();
      EXPECT_NE(s.message().find("field \"Image\""), std::string::npos) << s.message();
      EXPECT_NE(s.message().find("graphic"), std::string::npos) << s.message();
    }
    EXPECT_EQ(w->RecordCount(), 1u);
    // The stored value is rewritten from the blob file (not held in memory).
    pdx::RowId id = 0;
    ASSERT_TRUE(w->Insert({Value::Text("b"), Value::Blank(), Value::Blank(), Value::Text(value)}, &id).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  const auto rows = Read();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][2].text, value);
  EXPECT_EQ(rows[1][3].text, value);
  EXPECT_EQ(FieldBytes(0, 3)[0], 'B');
  EXPECT_EQ(FieldBytes(1, 4).substr(0, 10), Picture(2500, 'e').substr(0, 10));
  EXPECT_TRUE(Findings().empty()) << testing::PrintToString(Findings());
}

TEST(GraphicValue, HeaderNamesThePictureLength) {
  const std::string v = pdx::GraphicValueOf(std::string(0x1234, 'p'));
  EXPECT_EQ(v.substr(0, 8), std::string("\x01\x00\x00\x01\x34\x12\x00\x00", 8));
  EXPECT_TRUE(pdx::IsGraphicValue(v));
  EXPECT_TRUE(pdx::IsGraphicValue(pdx::GraphicValueOf("")));
  EXPECT_FALSE(pdx::IsGraphicValue(v + "x"));
  EXPECT_FALSE(pdx::IsGraphicValue("\x02" + v.substr(1)));
  EXPECT_EQ(pdx::RecordHeadSource(FieldType::kGraphic, v), std::string(0x1234, 'p'));
  EXPECT_EQ(pdx::RecordHeadSource(FieldType::kMemo, v), v);
}

// Every graphic of the sample tables carries the header the writer asks for.
TEST(GraphicValue, SampleGraphicsHaveTheHeader) {
  REQUIRE_SAMPLES();
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), testutil::SamplesDir() + "/dbdemos", "biolife", &t).ok());
  const int g = t->FieldNumber("Graphic");
  ASSERT_GT(g, 0);
  auto cur = t->NewCursor();
  int seen = 0;
  for (pdx::Status s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next()) {
    std::vector<Value> v;
    ASSERT_TRUE(cur->GetValues(&v).ok());
    if (v[static_cast<size_t>(g - 1)].blank) continue;
    EXPECT_TRUE(pdx::IsGraphicValue(v[static_cast<size_t>(g - 1)].text));
    ++seen;
  }
  EXPECT_GT(seen, 10);
}

}  // namespace

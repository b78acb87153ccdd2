// A blob field read from its stored bytes after the scan that saw the record has
// moved on (the statistics keep a line's memo bytes and read the memo later).
#include <gtest/gtest.h>

#include <cstring>

#include "paradox/table.h"
#include "paradox/writer.h"
#include "support/field_defs.h"

namespace {

using pdx::FieldDesc;
using pdx::FieldType;
using pdx::Value;


TEST(DecodeStoredTest, MemoBytesKeptFromRecordViewsReadAfterTheCursorMoved) {
  std::unique_ptr<pdx::Env> env = pdx::NewMemEnv();
  ASSERT_TRUE(env->CreateDir("/d").ok());
  pdx::TableDefinition def;
  def.fields = {testutil::Field("Num", FieldType::kShort, 2), testutil::Field("Xml", FieldType::kMemo, 11), testutil::Field("Nom", FieldType::kAlpha, 10)};
  def.keyFieldCount = 1;
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(env.get(), "/d", "LIGNE", def, {}, &w).ok());
  const std::string longue = "<Ligne>" + std::string(5000, 'x') + "<Eco-Participation/></Ligne>";
  const std::vector<std::string> memos = {"", "court", longue, "é<1>"};
  for (size_t i = 0; i < memos.size(); ++i)
    ASSERT_TRUE(w->Insert({Value::Int(static_cast<int64_t>(i + 1)),
                           memos[i].empty() ? Value::Blank() : Value::Text(memos[i]), Value::Text("n")})
                    .ok());
  ASSERT_TRUE(w->Close().ok());

  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(env.get(), "/d", "LIGNE", &t).ok());
  const pdx::FieldSlot& slot = t->info().slots[1];
  std::vector<std::string> kept;
  auto c = t->NewCursor();
  std::vector<pdx::RecordView> views;
  for (pdx::Status s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    ASSERT_TRUE(c->GetRecordViews(&views).ok());
    for (const pdx::RecordView& v : views) kept.emplace_back(v.raw() + slot.offset, slot.size);
  }
  c.reset();
  ASSERT_EQ(kept.size(), memos.size());
  for (size_t i = 0; i < memos.size(); ++i) {
    Value v;
    pdx::Status s = t->DecodeStored(2, kept[i].data(), &v);
    ASSERT_TRUE(s.ok()) << s.ToString();
    EXPECT_EQ(v.blank, memos[i].empty()) << i;
    EXPECT_EQ(v.text, memos[i]) << i;
  }
  Value v;
  EXPECT_FALSE(t->DecodeStored(4, kept[0].data(), &v).ok());
  // A reference that points past the .MB fails naming the table, never reads outside.
  std::string faux = kept[2];
  std::memset(faux.data() + 1, 0x7F, 4);
  pdx::Status s = t->DecodeStored(2, faux.data(), &v);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.ToString().find("LIGNE"), std::string::npos) << s.ToString();
}

}  // namespace

// A descending secondary index stays descending through the reader's
// description and every rewrite by the writer.
#include <gtest/gtest.h>

#include "paradox/table.h"
#include "paradox/writer.h"
#include "support/field_defs.h"
#include "support/table_check.h"

namespace {

using pdx::FieldType;
using pdx::Value;
using testutil::Field;

// The "Date" values in the order of index "Recent".
std::vector<int64_t> DatesInIndexOrder(pdx::Env* env, const std::string& dir) {
  std::unique_ptr<pdx::Table> t;
  if (!pdx::Table::Open(env, dir, "MESSAGE", &t).ok()) return {-1};
  auto c = t->NewCursor();
  if (!c->SetOrderIndex("Recent").ok()) return {-2};
  std::vector<int64_t> out;
  for (pdx::Status s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    double d = 0;
    if (!c->GetDateTime(2, &d).ok()) return {-3};
    out.push_back(static_cast<int64_t>(d));
  }
  return out;
}

bool DescribedDescending(pdx::Env* env, const std::string& dir) {
  std::unique_ptr<pdx::Table> t;
  if (!pdx::Table::Open(env, dir, "MESSAGE", &t).ok()) return false;
  for (const pdx::IndexDesc& d : t->info().indexes)
    if (d.name == "Recent") return d.descending;
  return false;
}

TEST(IndexDescending, StaysDescendingThroughReopenRebuildAndChanges) {
  auto env = pdx::NewMemEnv();
  const std::string dir = "/siege";
  ASSERT_TRUE(env->CreateDir(dir).ok());
  pdx::TableDefinition def;
  def.fields = {Field("Id", FieldType::kLong, 4), Field("Date", FieldType::kDate, 4), Field("Texte", FieldType::kAlpha, 30)};
  def.keyFieldCount = 1;
  def.indexes = {{"Recent", {"Date"}, false, false, true}};
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(env.get(), dir, "MESSAGE", def, {}, &w).ok());
  // Ids and dates in unrelated orders, over several entry blocks.
  for (int i = 0; i < 400; ++i)
    ASSERT_TRUE(w->Insert({Value::Int(i), Value::Double(40000 + (i * 37) % 400), Value::Text("m")}).ok());
  ASSERT_TRUE(w->Close().ok());

  auto isDescending = [](const std::vector<int64_t>& v) {
    for (size_t i = 1; i < v.size(); ++i)
      if (v[i - 1] < v[i]) return false;
    return v.size() > 1 && v.front() > v.back();
  };
  auto dates = DatesInIndexOrder(env.get(), dir);
  EXPECT_EQ(dates.size(), 400u);
  EXPECT_TRUE(isDescending(dates));
  // Known from the table's description alone, before the entries are read.
  EXPECT_TRUE(DescribedDescending(env.get(), dir));

  // A writer that reopens the table keeps the direction when it rewrites it.
  ASSERT_TRUE(pdx::RebuildIndexes(env.get(), dir, "MESSAGE").ok());
  EXPECT_TRUE(isDescending(DatesInIndexOrder(env.get(), dir)));
  ASSERT_TRUE(pdx::TableWriter::Open(env.get(), dir, "MESSAGE", {}, &w).ok());
  ASSERT_TRUE(w->Insert({Value::Int(1000), Value::Double(50000), Value::Text("neuf")}).ok());
  ASSERT_TRUE(w->Close().ok());
  dates = DatesInIndexOrder(env.get(), dir);
  ASSERT_EQ(dates.size(), 401u);
  EXPECT_EQ(dates.front(), 50000);
  EXPECT_TRUE(isDescending(dates));
  EXPECT_TRUE(testutil::IndexFindings(env.get(), dir, "MESSAGE").empty());
}

}  // namespace

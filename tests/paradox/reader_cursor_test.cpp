// Typed accessors and cursor states on the sample with every field type.
#include <gtest/gtest.h>

#include "paradox/table.h"
#include "support/test_util.h"

namespace {

class TypedAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testutil::SamplesDir().empty()) GTEST_SKIP() << "Paradox samples not found";
    ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), testutil::SamplesDir() + "/misc", "typsammlung", &table_).ok());
    cur_ = table_->NewCursor();
  }
  // Moves to the record whose "Alpha" field is alpha.
  void GoTo(const std::string& alpha) {
    std::string s;
    for (pdx::Status st = cur_->First(); st.ok() && !cur_->AtEnd(); st = cur_->Next()) {
      ASSERT_TRUE(cur_->GetText(1, &s).ok());
      if (s == alpha) return;
    }
    FAIL() << alpha << " not found";
  }
  std::unique_ptr<pdx::Table> table_;
  std::unique_ptr<pdx::Cursor> cur_;
};

TEST_F(TypedAccess, ConversionsPerType) {
  GoTo("Zweite Zeile");
  int64_t i = 0;
  double d = 0;
  std::string s;
  ASSERT_TRUE(cur_->GetInt(table_->FieldNumber("integer kurz"), &i).ok());
  EXPECT_EQ(i, -40);
  ASSERT_TRUE(cur_->GetInt(table_->FieldNumber("BCD"), &i).ok());
  EXPECT_EQ(i, -40);
  ASSERT_TRUE(cur_->GetInt(table_->FieldNumber("Logisch"), &i).ok());
  EXPECT_EQ(i, 1);
  ASSERT_TRUE(cur_->GetDouble(table_->FieldNumber("Währung"), &d).ok());
  EXPECT_EQ(d, -40.0);
  ASSERT_TRUE(cur_->GetDateTime(table_->FieldNumber("Datum"), &d).ok());
  EXPECT_EQ(d, 36412.0);  // 1999-09-09
  ASSERT_TRUE(cur_->GetText(table_->FieldNumber("Zeit"), &s).ok());
  EXPECT_EQ(s, "11:11:11.000");
  ASSERT_TRUE(cur_->GetText(table_->FieldNumber("Logisch"), &s).ok());
  EXPECT_EQ(s, "true");
  // Conversions that make no sense are refused, not guessed.
  EXPECT_TRUE(cur_->GetInt(1, &i).IsInvalidArgument());
  EXPECT_TRUE(cur_->GetDateTime(table_->FieldNumber("Numerisch"), &d).IsInvalidArgument());
  EXPECT_TRUE(cur_->GetDouble(1, &d).IsInvalidArgument());

  GoTo("Fünfter Datensatz");
  ASSERT_TRUE(cur_->GetInt(table_->FieldNumber("Numerisch"), &i).IsInvalidArgument());  // 1.34
  ASSERT_TRUE(cur_->GetBytes(table_->FieldNumber("Memo"), &s).ok());
  EXPECT_EQ(s, "Dies ist eine Memo im 'Fünften Datensat'");
  ASSERT_TRUE(cur_->GetText(table_->FieldNumber("bcd"), &s).ok());
  EXPECT_EQ(s, "13.123457");
}

TEST_F(TypedAccess, BlanksAndPositions) {
  GoTo("Erste Zeile");
  const int money = table_->FieldNumber("Währung");
  EXPECT_TRUE(cur_->IsBlank(money));
  EXPECT_FALSE(cur_->IsBlank(table_->FieldNumber("Logisch")));  // stored false
  double d = 1;
  ASSERT_TRUE(cur_->GetDouble(money, &d).ok());
  EXPECT_EQ(d, 0.0);
  std::string s = "x";
  ASSERT_TRUE(cur_->GetText(money, &s).ok());
  EXPECT_EQ(s, "");
  pdx::Value v;
  EXPECT_TRUE(cur_->GetValue(0, &v).IsInvalidArgument());
  EXPECT_TRUE(cur_->GetValue(15, &v).IsInvalidArgument());
  EXPECT_EQ(table_->FieldNumber("nope"), 0);

  // Walking past the end stays at the end; a new cursor starts unpositioned.
  while (!cur_->AtEnd()) ASSERT_TRUE(cur_->Next().ok());
  ASSERT_TRUE(cur_->Next().ok());
  EXPECT_TRUE(cur_->AtEnd());
  EXPECT_TRUE(cur_->GetValue(1, &v).IsInvalidArgument());
  auto other = table_->NewCursor();
  EXPECT_TRUE(other->AtEnd());
  ASSERT_TRUE(other->First().ok());
  ASSERT_TRUE(other->GetText(1, &s).ok());
  EXPECT_EQ(s, "AAA Irgendein Text");  // primary key order
}

}  // namespace

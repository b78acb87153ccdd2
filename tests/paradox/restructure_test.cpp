#include <gtest/gtest.h>

#include <filesystem>

#include "paradox/format/file_build.h"
#include "paradox/restructure.h"
#include "paradox/table.h"
#include "support/table_check.h"
#include "support/test_util.h"

namespace {

using pdx::FieldDesc;
using pdx::FieldType;
using pdx::Value;

class RestructureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env_->CreateDir("/d").ok());
    pdx::TableDefinition def;
    def.fields = {{"Code", FieldType::kShort, 2, true}, {"Nom", FieldType::kAlpha, 10, true},
                  {"Qte", FieldType::kShort, 2, false}};
    def.keyFieldCount = 1;
    def.indexes.push_back({"", {"Nom"}});
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), "/d", "LIGNE", def, {}, &w).ok());
    ASSERT_TRUE(w->Insert({Value::Int(1), Value::Text("court"), Value::Int(5)}).ok());
    ASSERT_TRUE(w->Insert({Value::Int(2), Value::Text("bien plus"), Value::Blank()}).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  std::vector<FieldDesc> Fields() {
    std::vector<FieldDesc> f;
    EXPECT_TRUE(pdx::TableFields(env_.get(), "/d", "LIGNE", &f).ok());
    return f;
  }
  std::unique_ptr<pdx::Env> env_ = pdx::NewMemEnv();
};

TEST_F(RestructureTest, WidensConvertsRenamesAndAppendsKeepingRowsAndIndexes) {
  auto f = Fields();
  ASSERT_EQ(f.size(), 3u);
  f[1].size = 20;                   // widen
  f[1].required = false;            // cleared
  f[2].type = FieldType::kNumber;   // Short -> Number
  f[2].size = 8;
  f[2].name = "Quantité";
  f.push_back({"Libelle", FieldType::kMemo, 11, false});
  f.push_back({"Tva", FieldType::kShort, 2, false});
  pdx::Status s = pdx::RestructureTable(env_.get(), "/d", "LIGNE", f);
  ASSERT_TRUE(s.ok()) << s.ToString();
  auto rows = testutil::ReadRows(env_.get(), "/d", "LIGNE");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "court", "5", "<blank>", "<blank>"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "bien plus", "<blank>", "<blank>", "<blank>"}));
  auto now = Fields();
  ASSERT_EQ(now.size(), 5u);
  EXPECT_EQ(now[1].size, 20);
  EXPECT_FALSE(now[1].required);
  EXPECT_EQ(now[2].type, FieldType::kNumber);
  EXPECT_EQ(now[2].name, "Quantité");
  EXPECT_EQ(now[3].type, FieldType::kMemo);
  auto findings = testutil::IndexFindings(env_.get(), "/d", "LIGNE");
  EXPECT_TRUE(findings.empty()) << findings.front();
  // The widened field takes longer values now, through its index too.
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), "/d", "LIGNE", {}, &w).ok());
  ASSERT_TRUE(w->Insert({Value::Int(3), Value::Text("dix-huit lettres!!"), Value::Double(2.5),
                         Value::Text(std::string(100, 'm')), Value::Int(-1)}).ok());
  ASSERT_TRUE(w->Close().ok());
  findings = testutil::IndexFindings(env_.get(), "/d", "LIGNE");
  EXPECT_TRUE(findings.empty()) << findings.front();
}

TEST_F(RestructureTest, NarrowingALongerValueNeedsTruncation) {
  auto f = Fields();
  f[1].size = 5;
  pdx::Status s = pdx::RestructureTable(env_.get(), "/d", "LIGNE", f);
  ASSERT_TRUE(s.IsInvalidArgument()) << s.ToString();
  EXPECT_NE(s.message().find("\"Nom\""), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("record 2"), std::string::npos) << s.message();
  EXPECT_EQ(Fields()[1].size, 10);  // untouched
  pdx::RestructureOptions o;
  o.truncate = true;
  ASSERT_TRUE(pdx::RestructureTable(env_.get(), "/d", "LIGNE", f, o).ok());
  auto rows = testutil::ReadRows(env_.get(), "/d", "LIGNE");
  EXPECT_EQ(rows[0][1], "court");
  EXPECT_EQ(rows[1][1], "bien ");
  EXPECT_TRUE(testutil::IndexFindings(env_.get(), "/d", "LIGNE").empty());
}

TEST_F(RestructureTest, RefusesWhatWouldLoseOrInventData) {
  auto f = Fields();
  auto bad = f;
  bad[2].type = FieldType::kDate;  // Short -> Date: no conversion
  bad[2].size = 4;
  EXPECT_TRUE(pdx::RestructureTable(env_.get(), "/d", "LIGNE", bad).IsInvalidArgument());
  bad = f;
  bad[2].required = true;  // gaining "required"
  EXPECT_TRUE(pdx::RestructureTable(env_.get(), "/d", "LIGNE", bad).IsInvalidArgument());
  bad = f;
  bad.pop_back();  // dropping a field
  EXPECT_TRUE(pdx::RestructureTable(env_.get(), "/d", "LIGNE", bad).IsInvalidArgument());
  bad = f;
  bad.push_back({"Obligatoire", FieldType::kShort, 2, true});  // required, but the rows have none
  EXPECT_TRUE(pdx::RestructureTable(env_.get(), "/d", "LIGNE", bad).IsInvalidArgument());
  EXPECT_EQ(Fields().size(), 3u);
}

// On a copy of an engine table with validity checks: the .VAL's field list
// follows the new fields, and its checks stay.
TEST(RestructureSamples, ValidityFileFollowsTheFields) {
  REQUIRE_SAMPLES();
  testutil::TempDir dir;
  for (const char* ext : {"db", "px", "xg0", "yg0", "VAL"})
    testutil::CopyFile(testutil::SamplesDir() + "/dbdemos/customer." + ext, dir.file(std::string("customer.") + ext));
  const std::string before = testutil::ReadFile(dir.file("customer.VAL"));
  auto rowsBefore = testutil::ReadRows(pdx::Env::Default(), dir.path(), "customer");
  std::vector<FieldDesc> f;
  ASSERT_TRUE(pdx::TableFields(pdx::Env::Default(), dir.path(), "customer", &f).ok());
  ASSERT_EQ(f[1].name, "Company");
  f[1].size = 40;
  f[2].name = "Adresse1";
  f.push_back({"Tva", FieldType::kShort, 2, false});
  pdx::Status s = pdx::RestructureTable(pdx::Env::Default(), dir.path(), "customer", f);
  ASSERT_TRUE(s.ok()) << s.ToString();
  auto rows = testutil::ReadRows(pdx::Env::Default(), dir.path(), "customer");
  ASSERT_EQ(rows.size(), rowsBefore.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    rowsBefore[i].push_back("<blank>");
    EXPECT_EQ(rows[i], rowsBefore[i]);
  }
  auto findings = testutil::IndexFindings(pdx::Env::Default(), dir.path(), "customer");
  EXPECT_TRUE(findings.empty()) << findings.front();

  const std::string after = testutil::ReadFile(dir.file("customer.VAL"));
  const size_t t = pdx::GetLE16(after, 0x09);
  EXPECT_EQ(after.substr(0x0B, t - 0x0B), before.substr(0x0B, t - 0x0B));  // the checks
  EXPECT_EQ(pdx::GetLE16(after, t), 14);
  // The appended field takes the next identifier (the table's 0x64 was 17).
  EXPECT_EQ(pdx::GetLE16(after, t + 6 + 2 * 13), 17);
  EXPECT_EQ(static_cast<uint8_t>(after[t + 6 + 2 * 14 + 3]), 40);  // Company's new size
  EXPECT_NE(after.find(std::string("Adresse1\0Addr2", 14)), std::string::npos);
  EXPECT_EQ(after.substr(after.size() - 4), std::string("Tva\0", 4));
  EXPECT_EQ(after.substr(0x03, 4), testutil::ReadFile(dir.file("customer.db")).substr(0x60, 4));
}

}  // namespace

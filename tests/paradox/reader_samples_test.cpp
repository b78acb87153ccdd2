// Every demo table read value for value against its export, in stored
// (primary key) order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "paradox/table.h"
#include "support/test_util.h"
#include "support/xml_oracle.h"

namespace {

// The biolife export predates two edits of the table: the first seven notes
// were saved again with bare LF line ends and without their trailing blank
// lines, and record 1's category lost its last letter. The files win; these
// values are compared in that light.
std::string Normalized(const std::string& memo) {
  std::string out;
  for (char c : memo)
    if (c != '\r') out.push_back(c);
  while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
  return out;
}

bool KnownExportDrift(const std::string& table, size_t row, const std::string& field, const std::string& got,
                      const std::string& want) {
  if (table != "biolife") return false;
  if (field == "Category" && row == 0) return got == "Triggerfish" && want == "Triggerfishy";
  if (field == "Notes" && row < 7) return Normalized(got) == Normalized(want) && got != want;
  return false;
}

class DemoTable : public ::testing::TestWithParam<const char*> {};

TEST_P(DemoTable, MatchesExportValueForValue) {
  REQUIRE_SAMPLES();
  const std::string dir = testutil::SamplesDir() + "/dbdemos";
  testutil::XmlTable xml;
  ASSERT_EQ(testutil::LoadXmlExport(dir + "/" + GetParam() + ".xml", &xml), "");

  std::unique_ptr<pdx::Table> table;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), dir, GetParam(), &table);
  ASSERT_TRUE(s.ok()) << s.ToString();
  const pdx::TableInfo& info = table->info();
  ASSERT_EQ(info.fields.size(), xml.fields.size());
  for (size_t f = 0; f < xml.fields.size(); ++f) EXPECT_EQ(info.fields[f].name, xml.fields[f].name);
  EXPECT_EQ(info.recordCount, xml.rows.size());

  auto cur = table->NewCursor();
  size_t row = 0;
  for (s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next(), ++row) {
    ASSERT_LT(row, xml.rows.size());
    for (size_t f = 0; f < xml.fields.size(); ++f) {
      const int field = static_cast<int>(f) + 1;
      SCOPED_TRACE("record " + std::to_string(row + 1) + ", field " + xml.fields[f].name);
      const auto& want = xml.rows[row][f];
      EXPECT_EQ(cur->IsBlank(field), !want.has_value());
      std::string got;
      ASSERT_TRUE(cur->GetText(field, &got).ok());
      if (!want) {
        EXPECT_EQ(got, "");
      } else if (xml.fields[f].IsNumber()) {
        double d = 0;
        ASSERT_TRUE(cur->GetDouble(field, &d).ok());
        double w = std::strtod(want->c_str(), nullptr);
        EXPECT_NEAR(d, w, 1e-12 * std::max(1.0, std::fabs(w))) << *want;
      } else if (!KnownExportDrift(GetParam(), row, xml.fields[f].name, got, *want)) {
        EXPECT_EQ(got, *want);
      }
    }
  }
  ASSERT_TRUE(s.ok()) << s.ToString();
  EXPECT_EQ(row, xml.rows.size());
}

INSTANTIATE_TEST_SUITE_P(Dbdemos, DemoTable,
                         ::testing::Values("country", "customer", "orders", "parts", "vendors", "biolife"));

}  // namespace

namespace {

// The whole-record fast path decodes exactly what the per-field accessor does.
TEST(ReaderScan, GetValuesAgreesWithGetValue) {
  REQUIRE_SAMPLES();
  const std::string root = testutil::SamplesDir();
  for (const char* rel : {"dbdemos/orders.db", "dbdemos/vendors.db", "dbdemos/biolife.db", "dbdemos/customer.db",
                          "misc/TypSammlung.DB", "misc/of_cp866.db"}) {
    SCOPED_TRACE(rel);
    std::string path = root + "/" + rel;
    std::string dir = path.substr(0, path.find_last_of('/'));
    std::unique_ptr<pdx::Table> table;
    ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), dir, path.substr(dir.size() + 1), &table).ok());
    auto cur = table->NewCursor();
    std::vector<pdx::Value> all;
    size_t n = 0;
    for (pdx::Status s = cur->First(); !cur->AtEnd(); s = cur->Next(), ++n) {
      ASSERT_TRUE(s.ok());
      ASSERT_TRUE(cur->GetValues(&all).ok());
      ASSERT_EQ(all.size(), table->info().fields.size());
      for (size_t f = 0; f < all.size(); ++f) {
        pdx::Value one;
        ASSERT_TRUE(cur->GetValue(static_cast<int>(f) + 1, &one).ok());
        EXPECT_EQ(all[f].blank, one.blank);
        EXPECT_EQ(all[f].i, one.i);
        EXPECT_EQ(all[f].b, one.b);
        EXPECT_EQ(all[f].text, one.text);
        if (!std::isnan(one.d)) {
          EXPECT_EQ(all[f].d, one.d);
        }
      }
    }
    EXPECT_EQ(n, table->info().recordCount);
  }
}

}  // namespace

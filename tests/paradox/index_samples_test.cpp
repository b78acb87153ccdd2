// Index discovery, index orders, searches and index checks on the sample
// tables written by the original engine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "paradox/index/index_check.h"
#include "paradox/table.h"
#include "paradox/read/table_impl.h"
#include "support/test_util.h"

namespace {

std::string Dir(const char* sub) { return testutil::SamplesDir() + "/" + sub; }

std::unique_ptr<pdx::TableImpl> OpenSample(const char* sub, const char* name) {
  std::unique_ptr<pdx::TableImpl> t;
  pdx::Status s = pdx::TableImpl::OpenImpl(pdx::Env::Default(), Dir(sub), name, &t);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return t;
}

// Text of field `field` for each record in the cursor's current order.
std::vector<std::string> Column(pdx::Cursor* c, int field) {
  std::vector<std::string> out;
  pdx::Status s = c->First();
  EXPECT_TRUE(s.ok()) << s.ToString();
  while (s.ok() && !c->AtEnd()) {
    std::string v;
    EXPECT_TRUE(c->GetText(field, &v).ok());
    out.push_back(v);
    s = c->Next();
  }
  EXPECT_TRUE(s.ok()) << s.ToString();
  return out;
}

const pdx::IndexDesc* FindIndex(const pdx::TableInfo& info, const std::string& name) {
  for (const pdx::IndexDesc& d : info.indexes)
    if (!d.primary && d.name == name) return &d;
  return nullptr;
}

TEST(IndexSamples, DiscoversEveryIndexWithNameFieldsAndFlags) {
  REQUIRE_SAMPLES();
  struct Want {
    const char* table;
    const char* name;
    const char* file;
    std::vector<int> fields;
    bool caseInsensitive;
  };
  const Want wants[] = {
      {"customer", "ByCompany", "customer.xg0", {2}, true},
      {"orders", "CustNo", "orders.x02", {2}, false},
      {"parts", "VendorNo", "parts.x02", {2}, false},
      {"parts", "ByDescription", "parts.xg0", {3}, true},
  };
  for (const Want& w : wants) {
    auto t = OpenSample("dbdemos", w.table);
    ASSERT_TRUE(t);
    const pdx::TableInfo& info = t->info();
    ASSERT_FALSE(info.indexes.empty());
    EXPECT_TRUE(info.indexes[0].primary);
    const pdx::IndexDesc* d = FindIndex(info, w.name);
    ASSERT_NE(d, nullptr) << w.table << " " << w.name;
    EXPECT_EQ(d->file, w.file);
    EXPECT_EQ(d->fields, w.fields);
    EXPECT_EQ(d->caseInsensitive, w.caseInsensitive) << w.name;
    EXPECT_FALSE(d->unique);
    EXPECT_FALSE(d->descending);
  }
  auto country = OpenSample("dbdemos", "country");
  ASSERT_TRUE(country);
  ASSERT_EQ(country->info().indexes.size(), 1u);
  EXPECT_EQ(country->info().indexes[0].file, "country.px");
  auto cyr = OpenSample("misc", "of_cp866.db");
  ASSERT_TRUE(cyr);
  EXPECT_TRUE(cyr->info().indexes.empty());
}

TEST(IndexSamples, SecondaryOrdersFollowTheIndexFiles) {
  REQUIRE_SAMPLES();
  auto t = OpenSample("dbdemos", "customer");
  ASSERT_TRUE(t);
  auto c = t->NewCursor();
  ASSERT_TRUE(c->SetOrderIndex("ByCompany").ok());
  std::vector<std::string> names = Column(c.get(), 2);
  ASSERT_EQ(names.size(), 55u);
  EXPECT_EQ(names.front(), "Action Club");
  EXPECT_EQ(names[1], "Action Diver Supply");
  EXPECT_EQ(names.back(), "Waterspout SCUBA Center");

  // Same index chosen by its field list.
  auto d = t->NewCursor();
  ASSERT_TRUE(d->SetOrderFields({"company"}).ok());
  EXPECT_EQ(Column(d.get(), 2), names);

  auto o = OpenSample("dbdemos", "orders");
  ASSERT_TRUE(o);
  auto oc = o->NewCursor();
  ASSERT_TRUE(oc->SetOrderIndex("CustNo").ok());
  std::vector<std::string> cust = Column(oc.get(), 2);
  ASSERT_EQ(cust.size(), 205u);
  for (size_t i = 1; i < cust.size(); ++i) EXPECT_LE(std::stod(cust[i - 1]), std::stod(cust[i])) << i;
}

TEST(IndexSamples, SeekAndRangeOnPrimaryAndSecondaryKeys) {
  REQUIRE_SAMPLES();
  auto o = OpenSample("dbdemos", "orders");
  ASSERT_TRUE(o);
  auto c = o->NewCursor();
  bool found = false;
  ASSERT_TRUE(c->Seek({pdx::Value::Double(1100)}, &found).ok());
  ASSERT_TRUE(found);
  std::string v;
  ASSERT_TRUE(c->GetText(1, &v).ok());
  EXPECT_EQ(v, "1100");
  ASSERT_TRUE(c->Seek({pdx::Value::Double(1100.5)}, &found).ok());
  EXPECT_FALSE(found);

  // Orders of customer 1221 through the secondary index.
  ASSERT_TRUE(c->SetOrderIndex("CustNo").ok());
  ASSERT_TRUE(c->SetRange({pdx::Value::Double(1221)}, {pdx::Value::Double(1221)}).ok());
  std::vector<std::string> cust = Column(c.get(), 2);
  EXPECT_FALSE(cust.empty());
  for (const std::string& s : cust) EXPECT_EQ(s, "1221");
  c->ClearRange();
  EXPECT_EQ(Column(c.get(), 2).size(), 205u);

  // A case-insensitive index finds a name in any case.
  auto cu = OpenSample("dbdemos", "customer");
  ASSERT_TRUE(cu);
  auto cc = cu->NewCursor();
  ASSERT_TRUE(cc->SetOrderIndex("ByCompany").ok());
  ASSERT_TRUE(cc->Seek({pdx::Value::Text("unisco")}, &found).ok());
  ASSERT_TRUE(found);
  ASSERT_TRUE(cc->GetText(2, &v).ok());
  EXPECT_EQ(v, "Unisco");

  // Alpha primary key in international order.
  auto co = OpenSample("dbdemos", "country");
  ASSERT_TRUE(co);
  auto k = co->NewCursor();
  ASSERT_TRUE(k->Seek({pdx::Value::Text("Peru")}, &found).ok());
  ASSERT_TRUE(found);
  ASSERT_TRUE(k->GetText(2, &v).ok());
  EXPECT_EQ(v, "Lima");
}

TEST(IndexSamples, SampleIndexesAreUpToDate) {
  REQUIRE_SAMPLES();
  for (const char* name : {"country", "customer", "orders", "parts", "vendors", "biolife"}) {
    auto t = OpenSample("dbdemos", name);
    ASSERT_TRUE(t);
    std::vector<std::string> findings;
    ASSERT_TRUE(pdx::CheckIndexes(*t, &findings).ok());
    EXPECT_TRUE(findings.empty()) << name << ": " << (findings.empty() ? "" : findings[0]);
  }
  auto t = OpenSample("misc", "TypSammlung.DB");
  ASSERT_TRUE(t);
  // The sample comes without its .PX: that is the one thing to report.
  std::vector<std::string> findings;
  ASSERT_TRUE(pdx::CheckIndexes(*t, &findings).ok());
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_NE(findings[0].find("without its primary index"), std::string::npos) << findings[0];
}

}  // namespace

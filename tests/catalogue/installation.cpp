#include "installation.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "paradox/table.h"
#include "support/demo_copie.h"
#include "util/dates.h"

namespace cattest {

namespace fs = std::filesystem;

Installation::Installation() {
  testutil::CopierDemo(testutil::ModeleDemo(2, 5, 3), tmp_.path());
  app_ = std::make_unique<corv::Application>(pdx::Env::Default(), tmp_.file("bin/corvanes"), dialogs_);
  EXPECT_TRUE(app_->Demarrer(tmp_.file("qvrbde.ini")).ok());
}

std::vector<std::vector<pdx::Value>> LireTable(const std::string& dir, const std::string& table,
                                               std::vector<pdx::FieldDesc>* champs) {
  std::vector<std::vector<pdx::Value>> rows;
  std::unique_ptr<pdx::Table> t;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), dir, table, &t);
  EXPECT_TRUE(s.ok()) << s.ToString();
  if (!s.ok()) return rows;
  if (champs) *champs = t->info().fields;
  auto c = t->NewCursor();
  for (s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    std::vector<pdx::Value> row(t->info().fields.size());
    for (size_t f = 0; f < row.size(); ++f) EXPECT_TRUE(c->GetValue(static_cast<int>(f + 1), &row[f]).ok());
    rows.push_back(std::move(row));
  }
  EXPECT_TRUE(s.ok()) << s.ToString();
  return rows;
}

std::string Texte(const pdx::Value& v) {
  if (v.blank) return "";
  if (!v.text.empty()) return v.text;
  return std::to_string(v.i);
}

}  // namespace cattest

#include "installation.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "demo/env_rapide.h"
#include "demo/generateur.h"
#include "paradox/table.h"
#include "util/dates.h"

namespace cattest {

namespace fs = std::filesystem;

namespace {

const std::string& Modele() {
  static testutil::TempDir tmp;
  static const std::string dir = [] {
    std::string d = tmp.path() + "/demo";
    static std::unique_ptr<pdx::Env> env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
    corv::demo::Options o;
    o.repertoire = d;
    o.agences = 2;
    o.dossiers = 5;
    o.graine = 3;
    o.jour = corv::DayNumber(2026, 12, 8);
    pdx::Status s = corv::demo::Generer(env.get(), o, nullptr);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return d;
  }();
  return dir;
}

}  // namespace

Installation::Installation() {
  fs::copy(Modele(), tmp_.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  // The demo's configuration maps its Windows prefix to where it was written.
  std::string ini = testutil::ReadFile(tmp_.file("qvrbde.ini"));
  for (size_t p = ini.find(Modele()); p != std::string::npos; p = ini.find(Modele(), p))
    ini.replace(p, Modele().size(), tmp_.path());
  testutil::WriteFile(tmp_.file("qvrbde.ini"), ini);
  app_ = std::make_unique<corv::Application>(pdx::Env::Default(), tmp_.file("bin/corvanes"), dialogs_);
  EXPECT_TRUE(app_->Demarrer(tmp_.file("qvrbde.ini")));
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

#include "installation.h"

#include <gtest/gtest.h>

#include <memory>

#include "demo/env_rapide.h"
#include "support/test_util.h"
#include "util/dates.h"

namespace demotest {

pdx::Env* EnvDemo() {
  static std::unique_ptr<pdx::Env> env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
  return env.get();
}

const Installation& Demo() {
  static testutil::TempDir tmp;  // removed at exit
  static const Installation inst = [] {
    Installation i;
    i.dir = tmp.path() + "/demo";
    i.options.repertoire = i.dir;
    i.options.agences = 5;
    i.options.dossiers = 80;
    i.options.graine = 7;
    i.options.jour = corv::DayNumber(2026, 12, 8);
    pdx::Status s = corv::demo::Generer(EnvDemo(), i.options, &i.bilan);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return i;
  }();
  return inst;
}

size_t TableLue::F(const std::string& nom) const {
  for (size_t i = 0; i < info.fields.size(); ++i)
    if (info.fields[i].name == nom) return i;
  ADD_FAILURE() << "no field " << nom << " in " << info.path;
  return 0;
}

TableLue Lire(const std::string& relatif, const std::string& nom) { return LireDans(Demo().dir + "/" + relatif, nom); }

TableLue LireDans(const std::string& dir, const std::string& nom) {
  TableLue t;
  std::unique_ptr<pdx::Table> tab;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), dir, nom, &tab);
  EXPECT_TRUE(s.ok()) << s.ToString();
  if (!s.ok()) return t;
  t.info = tab->info();
  auto c = tab->NewCursor();
  for (s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    std::vector<pdx::Value> row(t.info.fields.size());
    for (size_t f = 0; f < row.size(); ++f) {
      pdx::Status sv = c->GetValue(static_cast<int>(f + 1), &row[f]);
      EXPECT_TRUE(sv.ok()) << sv.ToString();
    }
    t.rows.push_back(std::move(row));
  }
  EXPECT_TRUE(s.ok()) << s.ToString();
  return t;
}

bool Existe(const std::string& relatif, const std::string& nom) {
  std::string p;
  return pdx::FindFileNoCase(pdx::Env::Default(), Demo().dir + "/" + relatif, nom, &p).ok();
}

}  // namespace demotest

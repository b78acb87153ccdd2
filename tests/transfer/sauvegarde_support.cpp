#include "sauvegarde_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "demo/env_rapide.h"
#include "paradox/check.h"
#include "paradox/table.h"
#include "util/dates.h"

namespace t3 {

std::vector<std::string> Demo::AgencesPropres() const {
  std::vector<std::string> codes;
  for (const auto& a : bilan.agences)
    if (a.sorte == corv::demo::SorteAgence::kPropre) codes.push_back(a.code);
  std::sort(codes.begin(), codes.end());
  return codes;
}

std::unique_ptr<Demo> NouvelleDemo(int agences, int dossiers) {
  auto d = std::make_unique<Demo>();
  d->dir = d->tmp.path() + "/demo";
  corv::demo::Options o;
  o.repertoire = d->dir;
  o.agences = agences;
  o.dossiers = dossiers;
  o.graine = 7;
  o.jour = corv::DayNumber(2026, 12, 8);
  auto env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
  pdx::Status s = corv::demo::Generer(env.get(), o, &d->bilan);
  EXPECT_TRUE(s.ok()) << s.ToString();
  corv::demo::SyncAll();
  return d;
}

std::vector<std::string> Lignes(const std::string& dir, const std::string& table) {
  std::unique_ptr<pdx::Table> t;
  if (!pdx::Table::Open(pdx::Env::Default(), dir, table, &t).ok()) return {"<absent>"};
  std::vector<std::string> lignes;
  auto c = t->NewCursor();
  pdx::Status s;
  for (s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    std::string l;
    for (size_t f = 0; f < t->info().fields.size(); ++f) {
      pdx::Value v;
      EXPECT_TRUE(c->GetValue(static_cast<int>(f + 1), &v).ok());
      l += v.blank ? std::string("-") : !v.text.empty() ? v.text : std::to_string(v.i) + "/" + std::to_string(v.d);
      l += '|';
    }
    lignes.push_back(l);
  }
  EXPECT_TRUE(s.ok()) << s.ToString();
  return lignes;
}

std::vector<std::string> Controle(const std::string& dir, const std::string& table) {
  std::vector<pdx::CheckFinding> findings;
  pdx::Status s = pdx::CheckTable(pdx::Env::Default(), dir, table, &findings);
  std::vector<std::string> lignes;
  if (!s.ok()) lignes.push_back(s.ToString());
  for (const auto& f : findings) lignes.push_back(f.file + ": " + f.what);
  return lignes;
}

}  // namespace t3

#include "support/demo_copie.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>

#include "demo/env_rapide.h"
#include "demo/generateur.h"
#include "support/test_util.h"
#include "util/dates.h"

namespace testutil {

const std::string& ModeleDemo(int agences, int dossiers, uint64_t graine) {
  static TempDir tmp;
  static std::map<std::tuple<int, int, uint64_t>, std::string> faits;
  auto cle = std::make_tuple(agences, dossiers, graine);
  auto it = faits.find(cle);
  if (it != faits.end()) return it->second;
  std::string d = tmp.path() + "/demo" + std::to_string(faits.size());
  static std::unique_ptr<pdx::Env> env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
  corv::demo::Options o;
  o.repertoire = d;
  o.agences = agences;
  o.dossiers = dossiers;
  o.graine = graine;
  o.jour = corv::DayNumber(2026, 12, 8);
  pdx::Status s = corv::demo::Generer(env.get(), o, nullptr);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return faits.emplace(cle, d).first->second;
}

void CopierDemo(const std::string& modele, const std::string& dest) {
  CopyTree(modele, dest);
  // The demo's configuration maps its Windows prefix to where it was written.
  // The path may be written there with backslashes (on Windows).
  std::string ini = ReadFile(dest + "/qvrbde.ini");
  std::string modeleWindows = modele;
  std::replace(modeleWindows.begin(), modeleWindows.end(), '/', '\\');
  size_t remplaces = 0;
  for (const std::string& m : {modele, modeleWindows}) {
    for (size_t p = ini.find(m); p != std::string::npos; p = ini.find(m, p + dest.size())) {
      ini.replace(p, m.size(), dest);
      ++remplaces;
    }
  }
  EXPECT_GT(remplaces, 0u) << "the copy's qvrbde.ini still names the model " << modele;
  WriteFile(dest + "/qvrbde.ini", ini);
}

}  // namespace testutil

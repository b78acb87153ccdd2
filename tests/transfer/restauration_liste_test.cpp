// The backups a front end lists for a kind of run: newest first, which later
// runs changed the same tables since, a restoration's own backup listed under
// the kind it restored; and what the question before a restoration names.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "support/test_util.h"
#include "transfer/restauration.h"

namespace {

using corv::RunSauve;
using corv::SauvegardeListee;
using corv::SauvegardeRun;

class ListeSauvegardes : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"A", "B"}) {
      std::filesystem::create_directories(tmp_.file(d));
      // The backup copies bytes: the files need not be real tables here.
      testutil::WriteFile(tmp_.file(d) + "/REMISES.DB", std::string("remises ") + d);
      testutil::WriteFile(tmp_.file(d) + "/Perso.DB", std::string("perso ") + d);
      testutil::WriteFile(tmp_.file(d) + "/MESSAGE.DB", std::string("message ") + d);
    }
  }
  std::string Racine() const { return tmp_.file("Sauvegardes"); }
  std::string Dir(const char* d) const { return tmp_.file(d); }
  // A run of `sorte` started at `t` that saved the given (agency, dir, table).
  std::string Run(const std::string& sorte, std::time_t t,
                  const std::vector<std::tuple<std::string, std::string, std::string>>& tables,
                  const RunSauve* restauree = nullptr) {
    SauvegardeRun r(pdx::Env::Default(), Racine(), sorte, t);
    if (restauree) r.PourRestaurer(*restauree);
    for (const auto& [code, dir, table] : tables)
      EXPECT_TRUE(r.SauverTable(code, "Agence " + code, "", dir, table).ok());
    return r.Nom();
  }
  std::vector<SauvegardeListee> Liste(std::vector<std::string> sortes) {
    std::vector<SauvegardeListee> l;
    EXPECT_TRUE(corv::ListerSauvegardesDe(pdx::Env::Default(), Racine(), sortes, &l).ok());
    return l;
  }
  static std::vector<std::string> Noms(const std::vector<SauvegardeListee>& l) {
    std::vector<std::string> v;
    for (const auto& x : l) v.push_back(x.run.nom);
    return v;
  }
  static std::vector<std::string> Depuis(const SauvegardeListee& l) {
    std::vector<std::string> v;
    for (const auto& x : l.modifieeDepuis) v.push_back(x.nom);
    return v;
  }
  testutil::TempDir tmp_;
};

TEST_F(ListeSauvegardes, AKindsRunsComeNewestFirstWithTheLaterRunsThatChangedTheirTables) {
  EXPECT_TRUE(Liste({"conditions-achat"}).empty());  // no backup folder yet

  const std::string achat1 = Run("conditions-achat", 1796720400, {{"A1", Dir("A"), "REMISES.DB"}, {"B2", Dir("B"), "REMISES.DB"}});
  const std::string perso = Run("personnalisations", 1796720500, {{"A1", Dir("A"), "Perso.DB"}});
  // The same table of agency B, named in another case, its directory with a final slash.
  const std::string achat2 = Run("conditions-achat", 1796720600, {{"b2", Dir("B") + "/", "remises.db"}});
  // Another table of agency A, and agency B's REMISES of another directory.
  const std::string messagerie = Run("messagerie", 1796720700, {{"A1", Dir("A"), "MESSAGE.DB"}, {"B2", Dir("A"), "REMISES.DB"}});

  std::vector<SauvegardeListee> achats = Liste({"conditions-achat"});
  ASSERT_EQ(Noms(achats), (std::vector<std::string>{achat2, achat1}));
  EXPECT_TRUE(achats[0].modifieeDepuis.empty());
  EXPECT_EQ(Depuis(achats[1]), (std::vector<std::string>{achat2}));
  EXPECT_EQ(achats[1].modifieeDepuis[0].sorte, "conditions-achat");
  EXPECT_EQ(achats[1].modifieeDepuis[0].debut, achats[0].run.debut);

  std::vector<SauvegardeListee> persos = Liste({"personnalisations"});
  ASSERT_EQ(Noms(persos), (std::vector<std::string>{perso}));
  EXPECT_TRUE(persos[0].modifieeDepuis.empty());
  EXPECT_EQ(Noms(Liste({})), (std::vector<std::string>{messagerie, achat2, perso, achat1}));
  EXPECT_TRUE(Liste({"documents"}).empty());
}

TEST_F(ListeSauvegardes, ARestorationsBackupIsListedUnderTheKindItRestoredThroughAChain) {
  const std::string achat = Run("conditions-achat", 1796720400, {{"A1", Dir("A"), "REMISES.DB"}});
  RunSauve run;
  ASSERT_TRUE(corv::LireSauvegarde(pdx::Env::Default(), Racine(), achat, &run).ok());
  const std::string avant = Run(corv::kSorteAvantRestauration, 1796720500, {{"A1", Dir("A"), "REMISES.DB"}}, &run);
  // Undoing the restoration makes a backup of a backup: still purchase conditions.
  RunSauve runAvant;
  ASSERT_TRUE(corv::LireSauvegarde(pdx::Env::Default(), Racine(), avant, &runAvant).ok());
  EXPECT_EQ(runAvant.restauration, achat);
  EXPECT_EQ(runAvant.sorteRestauree, "conditions-achat");
  const std::string avant2 = Run(corv::kSorteAvantRestauration, 1796720600, {{"A1", Dir("A"), "REMISES.DB"}}, &runAvant);
  Run("conditions-vente", 1796720700, {{"A1", Dir("A"), "Perso.DB"}});

  std::vector<SauvegardeListee> l = Liste({"conditions-achat"});
  ASSERT_EQ(Noms(l), (std::vector<std::string>{avant2, avant, achat}));
  EXPECT_EQ(l[0].run.restauration, avant);
  EXPECT_EQ(l[0].run.sorteRestauree, "conditions-achat");
  EXPECT_EQ(Depuis(l[2]), (std::vector<std::string>{avant, avant2}));
  EXPECT_EQ(Noms(Liste({"conditions-vente"})).size(), 1u);
}

TEST_F(ListeSauvegardes, RunsOfTheSameSecondKeepTheOrderTheyWereMadeIn) {
  // A restoration right after its run, in the same second: its backup is the
  // newer, although its kind's name sorts first.
  const std::string achat = Run("conditions-achat", 1796720400, {{"A1", Dir("A"), "REMISES.DB"}});
  const std::string avant = Run(corv::kSorteAvantRestauration, 1796720400, {{"A1", Dir("A"), "REMISES.DB"}});
  const std::string autre = Run("conditions-achat", 1796720400, {{"B2", Dir("B"), "REMISES.DB"}});
  std::vector<SauvegardeListee> l = Liste({});
  ASSERT_EQ(Noms(l), (std::vector<std::string>{autre, avant, achat}));
  EXPECT_EQ(Depuis(l[2]), (std::vector<std::string>{avant}));
  EXPECT_TRUE(l[1].modifieeDepuis.empty());
}

TEST_F(ListeSauvegardes, TheQuestionNamesEachAgencysTablesOrTheOneAgencyChosen) {
  const std::string nom = Run("messagerie", 1796720400,
                              {{"A1", Dir("A"), "MESSAGE.DB"}, {"B2", Dir("B"), "MESSAGE.DB"}, {"A1", Dir("A"), "Perso.DB"}});
  RunSauve run;
  ASSERT_TRUE(corv::LireSauvegarde(pdx::Env::Default(), Racine(), nom, &run).ok());
  EXPECT_EQ(corv::TablesARestaurer(run, ""),
            (std::vector<std::string>{"Agence A1 (A1) : MESSAGE.DB, Perso.DB", "Agence B2 (B2) : MESSAGE.DB"}));
  EXPECT_EQ(corv::TablesARestaurer(run, "b2"), (std::vector<std::string>{"Agence B2 (B2) : MESSAGE.DB"}));
  EXPECT_TRUE(corv::TablesARestaurer(run, "ZZ").empty());
  EXPECT_EQ(corv::LibelleSorte("conditions-achat"), "Conditions d'achat");
  EXPECT_EQ(corv::LibelleSorte("inconnue"), "inconnue");
}

}  // namespace

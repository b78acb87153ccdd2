// Every run leaves its journal beside "qvrbde.ini": simulation and real run,
// a refused run, a restoration; a journal that cannot be written leaves the
// run's result as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "paradox/env.h"
#include "sauvegarde_support.h"
#include "support/scripted_dialogs.h"
#include "transfer/conditions.h"
#include "transfer/preparation_run.h"
#include "transfer/restauration.h"
#include "util/text.h"

namespace {

namespace fs = std::filesystem;

std::string Journal(const corv::ResultatRun& r) {
  EXPECT_TRUE(r.journal.erreur.empty()) << r.journal.erreur;
  return corv::Cp1252ToUtf8(testutil::ReadFile(r.journal.chemin));
}

// The journal's lines from "Messages (N) :" to the blank line before "Erreurs".
std::vector<std::string> Messages(const std::string& texte) {
  std::vector<std::string> v;
  size_t p = texte.find("Messages (");
  p = texte.find("\r\n", p) + 2;
  size_t fin = texte.find("\r\n\r\nErreurs (", p);
  while (p < fin + 2) {
    size_t e = texte.find("\r\n", p);
    v.push_back(texte.substr(p, e - p));
    p = e + 2;
  }
  return v;
}

class JournalTransfert : public ::testing::Test {
 protected:
  void SetUp() override {
    demo_ = t3::NouvelleDemo(3, 2);
    app_ = std::make_unique<corv::Application>(pdx::Env::Default(), demo_->dir + "/corvanes", dialogs_);
    ASSERT_TRUE(app_->Demarrer(demo_->ini()).ok());
    app_->InitialiserFenetrePrincipale();
  }
  corv::ResultatRun Lancer(bool reel, corv::RecordingRunReport* rapport, std::string* sauvegarde = nullptr) {
    corv::PreparationRun p = corv::PreparerRun(*app_, demo_->ini(), reel);
    corv::OptionsConditions o = corv::LireOptionsConditions(*app_, corv::kModeAchat);
    o.zoneLibre = true;
    corv::TransfertConditions t(*app_, *rapport, p.options, o);
    corv::ResultatRun r = t.Lancer();
    if (sauvegarde && p.sauvegarde) *sauvegarde = p.sauvegarde->Nom();
    return r;
  }
  testutil::ScriptedDialogs dialogs_;
  std::unique_ptr<t3::Demo> demo_;
  std::unique_ptr<corv::Application> app_;
};

TEST_F(JournalTransfert, ASimulationAndARealRunEachWriteTheirListsOptionsAndResult) {
  corv::RecordingRunReport simulation;
  corv::ResultatRun r = Lancer(false, &simulation);
  ASSERT_TRUE(r.ok()) << r.erreur;
  EXPECT_EQ(fs::path(r.journal.chemin).parent_path().string(), demo_->dir + "/Journaux");
  EXPECT_NE(r.journal.chemin.find("_conditions-achat.log"), std::string::npos) << r.journal.chemin;
  std::string texte = Journal(r);
  EXPECT_NE(texte.find("Lancement : Simulation\r\n"), std::string::npos);
  EXPECT_NE(texte.find("  Inclure les fournisseurs Zone Libre : oui\r\n"), std::string::npos);
  EXPECT_NE(texte.find("Résultat : Terminé\r\n"), std::string::npos);
  EXPECT_EQ(Messages(texte), simulation.messages);
  EXPECT_NE(texte.find("Erreurs (" + std::to_string(simulation.errors.size()) + ") :\r\n"), std::string::npos);
  for (const auto& e : simulation.errors) EXPECT_NE(texte.find(e + "\r\n"), std::string::npos) << e;
  EXPECT_EQ(texte.find("Sauvegarde des tables"), std::string::npos);  // a simulation saves nothing

  corv::RecordingRunReport reel;
  std::string sauvegarde;
  r = Lancer(true, &reel, &sauvegarde);
  ASSERT_TRUE(r.ok()) << r.erreur;
  ASSERT_FALSE(sauvegarde.empty());
  texte = Journal(r);
  EXPECT_NE(texte.find("Lancement : Réel\r\n"), std::string::npos);
  EXPECT_NE(texte.find("  Sauvegarde des tables modifiées : " + sauvegarde + "\r\n"), std::string::npos) << texte;
  EXPECT_EQ(Messages(texte), reel.messages);

  // The restoration of that run writes its own.
  corv::RecordingRunReport restauration;
  corv::JournalEcrit j;
  ASSERT_TRUE(corv::RestaurerSauvegarde(*app_, corv::RacineSauvegardes(demo_->ini()), sauvegarde, "", restauration,
                                        nullptr, &j)
                  .ok());
  ASSERT_TRUE(j.erreur.empty()) << j.erreur;
  EXPECT_NE(j.chemin.find("_restauration.log"), std::string::npos) << j.chemin;
  texte = corv::Cp1252ToUtf8(testutil::ReadFile(j.chemin));
  EXPECT_NE(texte.find("  Sauvegarde : " + sauvegarde + "\r\n"), std::string::npos) << texte;
  EXPECT_NE(texte.find("  Agence : toutes\r\n"), std::string::npos);
  EXPECT_NE(texte.find("Résultat : Terminé : "), std::string::npos);
  EXPECT_EQ(Messages(texte), restauration.messages);
}

TEST_F(JournalTransfert, ARefusedRunAndAJournalThatCannotBeWrittenLeaveTheResultAsItIs) {
  // Another run holds the installation: this one is refused, and says so.
  {
    std::unique_ptr<pdx::FileLock> verrou;
    ASSERT_TRUE(pdx::Env::Default()
                    ->LockFile(demo_->dir + "/Administration/" + corv::kFichierVerrouRun, &verrou)
                    .ok());
    corv::RecordingRunReport rapport;
    corv::ResultatRun r = Lancer(false, &rapport);
    ASSERT_EQ(r.fin, corv::ResultatRun::Fin::kRefusee);
    std::string texte = Journal(r);
    EXPECT_NE(texte.find("Résultat : Refusé : " + std::string(corv::kTexteRunEnCours)), std::string::npos) << texte;
    EXPECT_NE(texte.find("Messages (0) :"), std::string::npos);
  }
  // "Journaux" taken by a file: the run completes all the same.
  fs::remove_all(demo_->dir + "/Journaux");
  testutil::WriteFile(demo_->dir + "/Journaux", "");
  corv::RecordingRunReport rapport;
  corv::ResultatRun r = Lancer(false, &rapport);
  EXPECT_EQ(r.fin, corv::ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_TRUE(r.journal.chemin.empty());
  EXPECT_NE(r.journal.erreur.find(demo_->dir + "/Journaux"), std::string::npos) << r.journal.erreur;
}

}  // namespace

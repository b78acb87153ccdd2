// Client clean-up: inverted eligibility, case-insensitive lookup, exact log of
// whole runs, and the cases where nothing may be deleted.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "installation_transfert.h"
#include "transfer/nettoyage_clients.h"

namespace corv {
namespace {

using transfertest::Installation;
using transfertest::Ligne;
using transfertest::T;
using V = std::vector<std::string>;

const std::string kFin(70, '=');

// The table files of a directory (names and bytes), lock files left out.
std::map<std::string, std::string> Tables(const Installation& inst, const std::string& relatif) {
  auto m = inst.Empreinte(relatif);
  for (auto it = m.begin(); it != m.end();) {
    const std::string& n = it->first;
    bool verrou = n.size() > 4 && (n.substr(n.size() - 4) == ".lck" || n.find(".cvlock") != std::string::npos);
    it = verrou ? m.erase(it) : std::next(it);
  }
  return m;
}

Ligne Client(const std::string& code) { return {{"Code", T(code)}, {"Nom", T("Client " + code)}}; }
Ligne Dossier(const std::string& numero, const std::string& client) {
  return {{"Numero", T(numero)}, {"Client", T(client)}};
}

class Nettoyage : public ::testing::Test {
 protected:
  void SetUp() override {
    inst.Table("Administration", "CLIENT.DB", {Client("C1"), Client("C2"), Client("C3"), Client("C4")});
    inst.RepertoireAgence("Agences/S1");
    inst.RepertoireAgence("Agences/P1");
    // S1 works in head office's Administration; P1 has its own.
    inst.Table("Agences/S1/Dossiers", "DOSSIER.DB",
               {Dossier("D1", "c1"), Dossier("D2", "C2"), Dossier("D3", "C2"), Dossier("D4", "ZZ")}, kAliasDossiers);
    inst.Table("Agences/P1/Dossiers", "DOSSIER.DB", {Dossier("D1", "C3")}, kAliasDossiers);
  }
  void AgencesParDefaut() {
    inst.Agence("P1", "Propre", "Agences/P1", 0);
    inst.Agence("S1", "Partagee", "Agences/S1", 1);
  }
  ResultatRun Lancer(bool simulation) {
    OptionsRun o;
    o.simulation = simulation;
    rep.messages.clear();
    rep.errors.clear();
    NettoyageClients run(inst.app(), rep, o);
    return run.Lancer();
  }
  V Codes() {
    V out;
    for (const auto& r : inst.Lire("Administration", "CLIENT.DB")) out.push_back(r[0].text);
    return out;
  }
  static V Debut(int clients) {
    return {"Lecture de la table des clients - Nombre total de clients : " + std::to_string(clients),
            "Lecture de la table des clients - Nombre de clients à vérifier : " + std::to_string(clients)};
  }
  static V Fin() { return {kFin, "Fin du nettoyage de la table des clients.", kFin, ""}; }
  static V Plus(V a, const V& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
  Installation inst;
  RecordingRunReport rep;
};

TEST_F(Nettoyage, SimulationThenRealRun) {
  AgencesParDefaut();
  const V attendu = Plus(Plus(Debut(4), {"Lecture de l'agence : Propre", "Lecture de l'agence : Partagee",
                                         "Lecture des dossiers de l'agence : Partagee",
                                         " => Agence  : Partagee - Lecture de la table Dossier - Nombre de dossiers à vérifier : 4",
                                         " => Agence  : Partagee - Nombre de clients existants dans l'administration : 3",
                                         "Nettoyage de la table des clients - Nb clients supprimés : 2"}),
                         Fin());
  const V erreurs = {" => Agence  : Propre - possède son propre répertoire Administration",
                     " => Agence  : Partagee - Client inexistant dans l'administration : ZZ"};
  auto avant = Tables(inst, "Administration");
  ResultatRun r = Lancer(true);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(rep.messages, attendu);
  EXPECT_EQ(rep.errors, erreurs);
  EXPECT_EQ(rep.readingLabel, "Fin du nettoyage de la table des clients.");
  EXPECT_TRUE(Tables(inst, "Administration") == avant) << "a simulation wrote in Administration";

  r = Lancer(false);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(rep.messages, attendu);
  EXPECT_EQ(rep.errors, erreurs);
  // c1 keeps C1 (case ignored); C3, used only by an agency with its own
  // Administration, and C4, used by none, are gone.
  EXPECT_EQ(Codes(), V({"C1", "C2"}));
  // The program's named databases never moved.
  EXPECT_EQ(inst.app().session().Directory(kAliasDossiers).value_or(""), "Q:\\Dossiers");
}

TEST_F(Nettoyage, NoAgencySharingHeadOfficeDeletesEveryCustomer) {
  inst.Agence("P1", "Propre", "Agences/P1", 0);
  ASSERT_EQ(Lancer(true).fin, ResultatRun::Fin::kTerminee);
  EXPECT_EQ(rep.messages, Plus(Plus(Debut(4), {"Lecture de l'agence : Propre",
                                               "Nettoyage de la table des clients - Nb clients supprimés : 4"}),
                               Fin()));
  EXPECT_EQ(Codes().size(), 4u);
  ASSERT_EQ(Lancer(false).fin, ResultatRun::Fin::kTerminee);
  EXPECT_TRUE(Codes().empty());
}

TEST_F(Nettoyage, AnAgencyThatCannotBeExaminedStopsEveryDeletion) {
  AgencesParDefaut();
  inst.Agence("S2", "Disparue", "Agences/S2", 1);   // directory missing
  inst.RepertoireAgence("Agences/S3");
  inst.Agence("S3", "SansDossiers", "Agences/S3", 1);  // no "DOSSIER.DB"
  for (bool simulation : {true, false}) {
    ResultatRun r = Lancer(simulation);
    ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
    EXPECT_EQ(Codes(), V({"C1", "C2", "C3", "C4"}));
    ASSERT_EQ(rep.errors.size(), 5u);
    EXPECT_EQ(rep.errors[2], " => Agence  : Disparue - Le répertoire n'existe pas : Q:\\Agences\\S2");
    EXPECT_EQ(rep.errors[3].rfind(" => Agence  : SansDossiers - Les dossiers de l'agence ne peuvent pas être lus : ", 0), 0u)
        << rep.errors[3];
    EXPECT_NE(rep.errors[3].find("DOSSIER.DB"), std::string::npos) << rep.errors[3];
    EXPECT_EQ(rep.errors[4],
              "Nettoyage de la table des clients non effectué, aucun client n'est supprimé : les dossiers de ces "
              "agences n'ont pas pu être lus : Disparue, SansDossiers");
    // No deletion count, and the usual end lines.
    for (const auto& m : rep.messages) EXPECT_EQ(m.find("Nb clients supprimés"), std::string::npos) << m;
    V fin(rep.messages.end() - 4, rep.messages.end());
    EXPECT_EQ(fin, Fin());
  }
}

TEST_F(Nettoyage, AStopBetweenAgenciesDeletesNothing) {
  inst.Agence("S1", "Partagee", "Agences/S1", 1);
  inst.Agence("S9", "Suivante", "Agences/S1", 1);
  struct StopApresUne : RecordingRunReport {
    bool StopRequested() override { return true; }
  } stop;
  OptionsRun o;
  o.simulation = false;
  NettoyageClients run(inst.app(), stop, o);
  ResultatRun r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kArretee);
  EXPECT_EQ(Codes(), V({"C1", "C2", "C3", "C4"}));
  ASSERT_FALSE(stop.errors.empty());
  EXPECT_EQ(stop.errors.back(),
            "Nettoyage de la table des clients non effectué, aucun client n'est supprimé : toutes les agences n'ont "
            "pas été examinées (arrêt demandé)");
}

}  // namespace
}  // namespace corv

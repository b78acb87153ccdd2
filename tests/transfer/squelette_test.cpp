// The walk every transfer shares, through a small kind of its own: eligibility,
// end lines, redirection and its restoration, errors, a second start, a stop.
#include "transfer/squelette.h"

#include <gtest/gtest.h>

#include <functional>

#include "installation_transfert.h"

namespace corv {
namespace {

using transfertest::I;
using transfertest::Installation;
using transfertest::T;

const std::string kEgal(70, '=');

// Appends one "REMISES.DB" row per agency (real runs), logs the row count.
class Essai : public TransfertAgences {
 public:
  using TransfertAgences::TransfertAgences;
  std::function<pdx::Status(const AgenceTransfert&)> pendant;  // run inside each agency
  std::vector<std::string> repertoiresVus;

 protected:
  SorteTransfert Sorte() const override { return SorteTransfert::kConditionsAchat; }
  pdx::Status Lecture() override {
    report().ReadingLabel("Lecture");
    Message("Lecture faite");
    return pdx::Status::OK();
  }
  std::string TexteIntegration() const override { return "Intégration pour l'agence : "; }
  pdx::Status TraiterAgence(const AgenceTransfert& a) override {
    repertoiresVus.push_back(session().Directory(kAliasAdministration).value_or(""));
    Composant& rem = dm()["tblRemise"];
    PDX_RETURN_IF_ERROR(OuvrirTable(rem, &a));
    Message(Prefixe(a) + "Remises : " + std::to_string(rem.NombreEnregistrements()));
    if (!Simulation()) {
      pdx::TableWriter* w = nullptr;
      PDX_RETURN_IF_ERROR(Ecrivain(rem, a, &w));
      PDX_RETURN_IF_ERROR(w->Insert({I(2), T(a.code.substr(0, 2)), T(""), I(0), T(""), pdx::Value::Double(5)}));
    }
    if (pendant) PDX_RETURN_IF_ERROR(pendant(a));
    return Valider(rem, a);
  }
  std::string TexteFin() const override { return "Fin de l'essai."; }
};

std::vector<std::string> Fin(const std::string& texte) { return {kEgal, texte, kEgal, ""}; }

std::vector<std::string> Dernieres(const std::vector<std::string>& v, size_t n) {
  return std::vector<std::string>(v.end() - static_cast<long>(std::min(n, v.size())), v.end());
}

// Three agencies: A1 and A3 with their own directory, A2 sharing head office's.
void TroisAgences(Installation& inst) {
  inst.RepertoireAgence("Agences/A1");
  inst.RepertoireAgence("Agences/A3");
  inst.Table("Agences/A1/Administration", "REMISES.DB", {});
  inst.Table("Agences/A3/Administration", "REMISES.DB", {});
  inst.Agence("A1", "Agence Un", "Agences/A1", 0);
  inst.Agence("A2", "Agence Deux", "Agences/A1", 1);
  inst.Agence("A3", "Agence Trois", "Agences/A3", 2);  // bit 1 only: eligible
}

TEST(Squelette, EmptyAgencyTableStillReadsAndEnds) {
  Installation inst;
  inst.Table("Administration", "Agence.DB", {});
  RecordingRunReport rep;
  Essai run(inst.app(), rep, {});
  ResultatRun r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kTerminee);
  EXPECT_EQ(r.agencesTraitees, 0);
  std::vector<std::string> attendu = {"Lecture faite"};
  for (const auto& l : Fin("Fin de l'essai.")) attendu.push_back(l);
  EXPECT_EQ(rep.messages, attendu);
  EXPECT_TRUE(rep.errors.empty());
  EXPECT_EQ(rep.agencyLabel, "Fin de l'essai.");
  EXPECT_EQ(rep.agencyMaximum, 0);
  EXPECT_EQ(run.Messages(), attendu);
}

TEST(Squelette, AgenciesSharingHeadOfficeAreSkippedWithOneErrorEach) {
  Installation inst;
  inst.RepertoireAgence("Agences/A1");
  inst.Agence("A1", "Agence Un", "Agences/A1", 1);
  inst.Agence("A2", "Agence Deux", "Agences/A1", 3);
  auto avant = inst.Empreinte("Agences/A1/Administration");
  RecordingRunReport rep;
  OptionsRun o;
  o.simulation = false;
  Essai run(inst.app(), rep, o);
  ResultatRun r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kTerminee);
  EXPECT_EQ(rep.errors, (std::vector<std::string>{
                            " => Agence  : Agence Un - Ne possède pas son propre répertoire Administration",
                            " => Agence  : Agence Deux - Ne possède pas son propre répertoire Administration"}));
  EXPECT_EQ(rep.messages[1], "Lecture de l'agence : Agence Un");
  EXPECT_EQ(rep.messages[2], "Lecture de l'agence : Agence Deux");
  EXPECT_TRUE(run.repertoiresVus.empty());
  EXPECT_EQ(inst.Empreinte("Agences/A1/Administration"), avant);
  EXPECT_EQ(rep.agencyPosition, 2);
  EXPECT_EQ(rep.agencyMaximum, 2);
}

TEST(Squelette, MissingDirectoryIsQuotedAndNothingIsRedirected) {
  Installation inst;
  inst.Agence("A9", "Agence Absente", "Agences/Nulle", 0);
  RecordingRunReport rep;
  Essai run(inst.app(), rep, {});
  ResultatRun r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kTerminee);
  EXPECT_EQ(rep.errors,
            (std::vector<std::string>{" => Agence  : Agence Absente - Le répertoire n'existe pas : Q:\\Agences\\Nulle"}));
  EXPECT_TRUE(run.repertoiresVus.empty());
  EXPECT_EQ(run.session().Directory(kAliasAdministration), inst.app().session().Directory(kAliasAdministration));
}

TEST(Squelette, WalksEligibleAgenciesInCodeOrderAndRestoresTheNamedDatabases) {
  Installation inst;
  TroisAgences(inst);
  const std::string siege = *inst.app().session().Directory(kAliasAdministration);
  RecordingRunReport rep;
  OptionsRun o;
  o.simulation = false;
  Essai run(inst.app(), rep, o);
  ResultatRun r = run.Lancer();
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(r.agencesTraitees, 2);
  EXPECT_EQ(run.repertoiresVus,
            (std::vector<std::string>{"Q:\\Agences\\A1\\Administration\\", "Q:\\Agences\\A3\\Administration\\"}));
  EXPECT_EQ(*run.session().Directory(kAliasAdministration), siege);
  EXPECT_EQ(*inst.app().session().Directory(kAliasAdministration), siege);
  std::vector<std::string> attendu = {"Lecture faite",
                                      "Lecture de l'agence : Agence Un",
                                      "Intégration pour l'agence : Agence Un",
                                      " => Agence  : Agence Un - Remises : 0",
                                      "Lecture de l'agence : Agence Deux",
                                      "Lecture de l'agence : Agence Trois",
                                      "Intégration pour l'agence : Agence Trois",
                                      " => Agence  : Agence Trois - Remises : 0"};
  for (const auto& l : Fin("Fin de l'essai.")) attendu.push_back(l);
  EXPECT_EQ(rep.messages, attendu);
  EXPECT_EQ(inst.Lire("Agences/A1/Administration", "REMISES.DB").size(), 1u);
  EXPECT_EQ(inst.Lire("Agences/A3/Administration", "REMISES.DB").size(), 1u);
}

TEST(Squelette, SimulationThenRealRunShowBothCountsInOrder) {
  Installation inst;
  TroisAgences(inst);
  RecordingRunReport rep;
  OptionsRun sim;
  Essai a(inst.app(), rep, sim);
  ASSERT_TRUE(a.Lancer().ok());
  OptionsRun reel;
  reel.simulation = false;
  Essai b(inst.app(), rep, reel);
  ASSERT_TRUE(b.Lancer().ok());
  Essai c(inst.app(), rep, sim);
  ASSERT_TRUE(c.Lancer().ok());
  std::vector<std::string> comptes;
  for (const auto& l : rep.messages)
    if (l.find("Remises : ") != std::string::npos) comptes.push_back(l);
  EXPECT_EQ(comptes, (std::vector<std::string>{" => Agence  : Agence Un - Remises : 0",
                                               " => Agence  : Agence Trois - Remises : 0",
                                               " => Agence  : Agence Un - Remises : 0",
                                               " => Agence  : Agence Trois - Remises : 0",
                                               " => Agence  : Agence Un - Remises : 1",
                                               " => Agence  : Agence Trois - Remises : 1"}));
}

TEST(Squelette, AnErrorEndsTheRunKeepsDoneAgenciesAndRestoresEverything) {
  Installation inst;
  TroisAgences(inst);
  const std::string siege = *inst.app().session().Directory(kAliasAdministration);
  RecordingRunReport rep;
  OptionsRun o;
  o.simulation = false;
  Essai run(inst.app(), rep, o);
  run.pendant = [](const AgenceTransfert& a) {
    return a.code == "A3" ? pdx::Status::IOError("disque plein") : pdx::Status::OK();
  };
  ResultatRun r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kErreur);
  EXPECT_EQ(r.erreur, "disque plein");
  EXPECT_EQ(r.agencesTraitees, 1);
  EXPECT_EQ(Dernieres(rep.messages, 4), Fin("Fin de l'essai."));
  EXPECT_EQ(*run.session().Directory(kAliasAdministration), siege);
  EXPECT_EQ(*inst.app().session().Directory(kAliasAdministration), siege);
  EXPECT_EQ(inst.Lire("Agences/A1/Administration", "REMISES.DB").size(), 1u);
  // The staged row of the failed agency was dropped, not committed.
  EXPECT_EQ(inst.Lire("Agences/A3/Administration", "REMISES.DB").size(), 0u);
}

TEST(Squelette, ATableInUseEndsTheRunNamingAgencyAndTable) {
  Installation inst;
  TroisAgences(inst);
  std::unique_ptr<pdx::TableWriter> autre;
  ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), inst.Hote("Agences/A3/Administration"), "REMISES.DB", {},
                                     &autre)
                  .ok());
  RecordingRunReport rep;
  OptionsRun o;
  o.simulation = false;
  Essai run(inst.app(), rep, o);
  ResultatRun r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kErreur);
  EXPECT_NE(r.erreur.find("Agence Trois (A3)"), std::string::npos) << r.erreur;
  EXPECT_NE(r.erreur.find("\"REMISES.DB\""), std::string::npos) << r.erreur;
  EXPECT_NE(r.erreur.find("utilisée par un autre programme"), std::string::npos) << r.erreur;
  EXPECT_EQ(Dernieres(rep.messages, 4), Fin("Fin de l'essai."));
  EXPECT_EQ(inst.Lire("Agences/A1/Administration", "REMISES.DB").size(), 1u);
}

TEST(Squelette, ASecondStartWhileARunIsInProgressIsRefused) {
  Installation inst;
  TroisAgences(inst);
  RecordingRunReport rep, rep2;
  Essai run(inst.app(), rep, {});
  ResultatRun second;
  bool essaye = false;
  run.pendant = [&](const AgenceTransfert&) {
    if (!essaye) {
      essaye = true;
      Essai autre(inst.app(), rep2, {});
      second = autre.Lancer();
    }
    return pdx::Status::OK();
  };
  EXPECT_EQ(run.Lancer().fin, ResultatRun::Fin::kTerminee);
  EXPECT_TRUE(essaye);
  EXPECT_EQ(second.fin, ResultatRun::Fin::kRefusee);
  EXPECT_EQ(second.erreur, kTexteRunEnCours);
  EXPECT_TRUE(rep2.messages.empty());
  // Once the first has ended, a new run starts.
  Essai apres(inst.app(), rep2, {});
  EXPECT_EQ(apres.Lancer().fin, ResultatRun::Fin::kTerminee);
}

TEST(Squelette, AStopRequestEndsAfterTheAgencyInProgress) {
  Installation inst;
  TroisAgences(inst);
  RecordingRunReport rep;
  Essai run(inst.app(), rep, {});
  run.pendant = [&](const AgenceTransfert&) {
    rep.stop = true;
    return pdx::Status::OK();
  };
  ResultatRun r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kArretee);
  EXPECT_EQ(r.agencesTraitees, 1);
  EXPECT_EQ(run.repertoiresVus.size(), 1u);
  EXPECT_EQ(Dernieres(rep.messages, 4), Fin("Fin de l'essai."));
}

// The backup hook: Debut once, AvantModification once per agency and table
// before anything is written, Fin at the end; never in a simulation.
class SauvegardeEssai : public SauvegardeTransfert {
 public:
  std::vector<std::string> appels;
  pdx::Status refus = pdx::Status::OK();
  pdx::Status Debut(SorteTransfert s, std::chrono::system_clock::time_point) override {
    appels.push_back("Debut " + NomSorte(s));
    return pdx::Status::OK();
  }
  pdx::Status AvantModification(const AgenceTransfert& a, const std::string&, const std::string& f) override {
    appels.push_back("Avant " + a.code + " " + f);
    return refus;
  }
  void Fin(bool complete) override { appels.push_back(complete ? "Fin complete" : "Fin incomplete"); }
};

TEST(Squelette, BackupHookIsCalledBeforeChangesOfRealRunsOnly) {
  Installation inst;
  TroisAgences(inst);
  SauvegardeEssai sauve;
  RecordingRunReport rep;
  OptionsRun sim;
  sim.sauvegarde = &sauve;
  Essai a(inst.app(), rep, sim);
  ASSERT_TRUE(a.Lancer().ok());
  EXPECT_TRUE(sauve.appels.empty());
  OptionsRun reel = sim;
  reel.simulation = false;
  Essai b(inst.app(), rep, reel);
  ASSERT_TRUE(b.Lancer().ok());
  EXPECT_EQ(sauve.appels, (std::vector<std::string>{"Debut conditions-achat", "Avant A1 REMISES.DB",
                                                    "Avant A3 REMISES.DB", "Fin complete"}));
  // A failing backup stops the run before the table is written.
  sauve.appels.clear();
  sauve.refus = pdx::Status::IOError("pas de place pour la sauvegarde");
  Essai c(inst.app(), rep, reel);
  ResultatRun r = c.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kErreur);
  EXPECT_NE(r.erreur.find("pas de place pour la sauvegarde"), std::string::npos);
  EXPECT_EQ(sauve.appels.back(), "Fin incomplete");
  EXPECT_EQ(inst.Lire("Agences/A1/Administration", "REMISES.DB").size(), 1u);
}

}  // namespace
}  // namespace corv

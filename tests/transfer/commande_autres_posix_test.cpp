// corvanes-batch transfert personnalisations|messagerie|documents and
// nettoyage-clients, run as built: output equal to what the run reports,
// exit codes, backups of real runs, a table in use, a second run refused.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "data/dictionnaire.h"
#include "data/creation.h"
#include "installation_transfert.h"
#include "paradox/writer.h"
#include "transfer/messagerie.h"
#include "transfer/nettoyage_clients.h"
#include "transfer/personnalisations.h"

namespace corv {
namespace {

using transfertest::I;
using transfertest::Installation;
using transfertest::T;
using V = std::vector<std::string>;

std::string Programme() { return std::string(CORVANES_BINARY_DIR) + "/corvanes-batch"; }

#define REQUIRE_BATCH()                                                                          \
  do {                                                                                           \
    if (!pdx::Env::Default()->FileExists(Programme()))                                           \
      GTEST_SKIP() << "corvanes-batch not built at " << Programme() << " (build the target first)"; \
  } while (0)

V Lignes(const std::string& texte) {
  V v;
  std::istringstream in(texte);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

struct Sortie {
  int code = -1;
  V out, err;
  std::string journal;  // the file the last line of standard output names
};

class CommandeAutres : public ::testing::Test {
 protected:
  void SetUp() override {
    inst.RepertoireAgence("Agences/A1");
    inst.Agence("A1", "Lyon", "Agences/A1", 0);
    inst.Agence("A2", "Partage", "Agences/A2", 1);
    inst.Agence("A3", "Absente", "Agences/A3", 0);
    inst.Table("Administration", "Perso.DB",
               {{{"Groupe", I(1)}, {"Famille", T("AA")}, {"Libelle", T("Un")}},
                {{"Groupe", I(2)}, {"Famille", T("BB")}, {"Libelle", T("Deux")}}});
    inst.Table("Administration", "MessageType.DB", {{{"Externe", I(0)}, {"IdTypeMessage", I(1)}, {"Libelle", T("Info")}}});
    inst.Table("Administration", "CLIENT.DB", {{{"Code", T("C1")}}, {{"Code", T("C2")}}});
    // The tables the program opens at start-up, so that it has nothing to say
    // before the run's own lines.
    for (const auto& d : Dictionnaire()) {
      if (d.alias != kAliasTarifs) continue;
      ASSERT_TRUE(CreerFichier(pdx::Env::Default(), inst.Hote("Tarifs"), d).ok()) << d.fichier;
    }
    inst.Table("Administration", "Tva.DB", {});
  }
  Sortie Lancer(const std::string& arguments) {
    Sortie s;
    std::string err = inst.Hote("stderr.txt"), out;
    s.code = testutil::RunCommand("'" + Programme() + "' --ini '" + inst.Ini() + "' " + arguments + " 2>'" + err + "'", &out);
    s.out = Lignes(out);
    s.err = Lignes(testutil::ReadFile(err));
    // The journal's line comes last, after the run's own lines.
    const std::string journal = "Journal du traitement : ";
    if (!s.out.empty() && s.out.back().rfind(journal, 0) == 0) {
      s.journal = s.out.back().substr(journal.size());
      s.out.pop_back();
    }
    return s;
  }
  Installation inst;
};

TEST_F(CommandeAutres, OutputIsWhatTheRunReports) {
  REQUIRE_BATCH();
  // The same simulations in the core first (a simulation writes no row, so the
  // command then sees the same installation).
  RecordingRunReport perso, messagerie, nettoyage;
  {
    OptionsRun o;
    TransfertPersonnalisations a(inst.app(), perso, o);
    ASSERT_TRUE(a.Lancer().ok());
    TransfertMessagerie b(inst.app(), messagerie, o);
    ASSERT_TRUE(b.Lancer().ok());
    NettoyageClients c(inst.app(), nettoyage, o);
    ASSERT_TRUE(c.Lancer().ok());
  }
  Sortie s = Lancer("transfert personnalisations");
  EXPECT_EQ(s.code, 0);
  EXPECT_EQ(s.out, perso.messages);
  EXPECT_EQ(s.err, perso.errors);
  EXPECT_TRUE(pdx::Env::Default()->FileExists(s.journal)) << s.journal;
  s = Lancer("transfert messagerie");
  EXPECT_EQ(s.code, 0);
  EXPECT_EQ(s.out, messagerie.messages);
  EXPECT_EQ(s.err, messagerie.errors);
  s = Lancer("nettoyage-clients");
  EXPECT_EQ(s.code, 0);
  EXPECT_EQ(s.out, nettoyage.messages);
  EXPECT_EQ(s.err, nettoyage.errors);
  EXPECT_EQ(inst.Lire("Administration", "CLIENT.DB").size(), 2u);
  EXPECT_TRUE(inst.Lire("Agences/A1/Administration", "Perso.DB").empty());
  // No backup for a simulation.
  EXPECT_FALSE(pdx::Env::Default()->DirExists(inst.Hote("Sauvegardes")));
}

TEST_F(CommandeAutres, RealRunsWriteAndSaveFirst) {
  REQUIRE_BATCH();
  Sortie s = Lancer("transfert personnalisations --reel");
  ASSERT_EQ(s.code, 0) << (s.err.empty() ? "" : s.err.back());
  EXPECT_EQ(inst.Lire("Agences/A1/Administration", "Perso.DB").size(), 2u);
  s = Lancer("transfert documents --reel");
  EXPECT_EQ(s.code, 0);
  // The agency sharing head office's Administration has no directory: the
  // clean-up completes, deletes nothing and says why.
  s = Lancer("nettoyage-clients --reel");
  EXPECT_EQ(s.code, 0);
  ASSERT_GE(s.out.size(), 4u);
  EXPECT_EQ(s.out[s.out.size() - 3], "Fin du nettoyage de la table des clients.");
  ASSERT_FALSE(s.err.empty());
  EXPECT_NE(s.err.back().find("aucun client n'est supprimé"), std::string::npos) << s.err.back();
  EXPECT_EQ(inst.Lire("Administration", "CLIENT.DB").size(), 2u);
  // One backup per run that changed a table.
  std::vector<std::string> runs;
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(inst.Hote("Sauvegardes"), &runs).ok());
  EXPECT_EQ(runs.size(), 2u);

  // Now with its quote files (none refers to a customer): every customer goes.
  inst.RepertoireAgence("Agences/A2");
  inst.Table("Agences/A2/Dossiers", "DOSSIER.DB", {}, kAliasDossiers);
  s = Lancer("nettoyage-clients --reel");
  EXPECT_EQ(s.code, 0) << (s.err.empty() ? "" : s.err.back());
  EXPECT_TRUE(inst.Lire("Administration", "CLIENT.DB").empty());
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(inst.Hote("Sauvegardes"), &runs).ok());
  EXPECT_EQ(runs.size(), 3u);
}

TEST_F(CommandeAutres, UsageErrors) {
  REQUIRE_BATCH();
  for (const char* a : {"transfert messagerie --suppression", "transfert documents reel", "nettoyage-clients --details"}) {
    Sortie s = Lancer(a);
    EXPECT_EQ(s.code, 2) << a;
    ASSERT_FALSE(s.err.empty()) << a;
    EXPECT_NE(s.err[0].find("option inconnue"), std::string::npos) << a;
    EXPECT_TRUE(s.out.empty()) << a;
  }
}

TEST_F(CommandeAutres, ATableInUseEndsTheRunWithExitOne) {
  REQUIRE_BATCH();
  std::unique_ptr<pdx::TableWriter> occupe;
  inst.Table("Agences/A1/Administration", "Perso.DB", {});
  ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), inst.Hote("Agences/A1/Administration"), "Perso.DB", {},
                                     &occupe).ok());
  Sortie s = Lancer("transfert personnalisations --reel");
  EXPECT_EQ(s.code, 1);
  ASSERT_FALSE(s.err.empty());
  EXPECT_NE(s.err.back().find("Lyon"), std::string::npos) << s.err.back();
  EXPECT_NE(s.err.back().find("Perso.DB"), std::string::npos) << s.err.back();
  // The end lines are still written.
  ASSERT_GE(s.out.size(), 4u);
  EXPECT_EQ(s.out[s.out.size() - 3], "Fin de l'intégration des personnalisations.");
  occupe.reset();
  EXPECT_TRUE(inst.Lire("Agences/A1/Administration", "Perso.DB").empty());
}

TEST_F(CommandeAutres, ASecondRunIsRefused) {
  REQUIRE_BATCH();
  std::unique_ptr<pdx::FileLock> verrou;
  ASSERT_TRUE(pdx::Env::Default()->LockFile(inst.Hote(std::string("Administration/") + kFichierVerrouRun), &verrou).ok());
  Sortie s = Lancer("nettoyage-clients --reel");
  EXPECT_EQ(s.code, 1);
  EXPECT_TRUE(s.out.empty());
  EXPECT_EQ(s.err, V({kTexteRunEnCours}));
  EXPECT_TRUE(pdx::Env::Default()->FileExists(s.journal)) << "a refused run leaves its journal too";
  EXPECT_EQ(inst.Lire("Administration", "CLIENT.DB").size(), 2u);
}

}  // namespace
}  // namespace corv

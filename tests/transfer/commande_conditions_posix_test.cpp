// corvanes-batch transfert conditions-achat|conditions-vente, run as built (a
// copy beside the installation, so that its log files go there): options over
// "Corvanes.ini", exit codes, output equal to what the run reports.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "data/dictionnaire.h"
#include "data/creation.h"
#include "installation_transfert.h"
#include "transfer/conditions.h"
#include "util/ini.h"

namespace corv {
namespace {

using transfertest::I;
using transfertest::Installation;
using transfertest::Ligne;
using transfertest::N;
using transfertest::T;
using V = std::vector<std::string>;

std::string Construit() { return std::string(CORVANES_BINARY_DIR) + "/corvanes-batch"; }

V Lignes(const std::string& texte) {
  V v;
  std::istringstream in(texte);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

Ligne Rem(int type, const std::string& f, const std::string& client, double r1, double coef) {
  return {{"Type", I(type)}, {"Fournisseur", T(f)}, {"Client", T(client)}, {"TypeGroupe", I(0)},
          {"Groupe", T("")}, {"R1", N(r1)},         {"R2", N(0)},          {"CoefTarif", N(coef)}};
}
Ligne Fns(const std::string& code, const std::string& nom) { return {{"Code", T(code)}, {"Nom", T(nom)}}; }

struct Sortie {
  int code = -1;
  V out, err;
  std::string journal;  // the file the last line of standard output names
};

class CommandeConditions : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!pdx::Env::Default()->FileExists(Construit()))
      GTEST_SKIP() << "corvanes-batch not built at " << Construit() << " (build the target first)";
    std::string o;
    ASSERT_EQ(testutil::RunCommand("cp '" + Construit() + "' '" + inst.Hote("bin/corvanes-batch") + "'", &o), 0);
    // The tables the program opens at start-up, so that it says nothing before the run.
    for (const auto& d : Dictionnaire())
      if (d.alias == kAliasTarifs) {
        ASSERT_TRUE(CreerFichier(pdx::Env::Default(), inst.Hote("Tarifs"), d).ok()) << d.fichier;
      }
    inst.Table("Administration", "Tva.DB", {});
    inst.Table("Administration", "REMISES.DB",
               {Rem(2, "AL", "", 10, 0), Rem(2, "AL", "C1", 20, 0), Rem(2, "ZL", "", 5, 0), Rem(1, "AL", "", 10, 0)});
    inst.Table("Maj", "FOURNIS.DB", {Fns("AL", "Alu"), Fns("NR", "Sans remises"), Fns("ZL", "zLibre un")});
    inst.RepertoireAgence("Agences/A1");
    inst.Table("Agences/A1/Administration", "FOURNIS.DB", {Fns("AL", "Alu"), Fns("NR", "Sans remises"), Fns("ZL", "zL")});
    inst.Table("Agences/A1/Administration", "REMISES.DB",
               {Rem(2, "AL", "", 0, 0.5), Rem(2, "NR", "", 3, 0), Rem(2, "ZL", "", 1, 0), Rem(1, "AL", "", 0, 0.5)});
    inst.Agence("A1", "Lyon", "Agences/A1", 0);
    inst.Agence("A2", "Partagée", "Agences/A2", 1);
  }
  Sortie Lancer(const std::string& arguments) {
    Sortie s;
    std::string err = inst.Hote("stderr.txt"), out;
    s.code = testutil::RunCommand("'" + inst.Hote("bin/corvanes-batch") + "' --ini '" + inst.Ini() + "' " + arguments +
                                      " 2>'" + err + "'",
                                  &out);
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
  static bool Contient(const V& v, const std::string& l) { return std::find(v.begin(), v.end(), l) != v.end(); }
  Installation inst;
};

TEST_F(CommandeConditions, OutputIsWhatTheRunReports) {
  for (int mode : {kModeAchat, kModeVente}) {
    RecordingRunReport rep;
    OptionsRun o;
    o.fichierIniBde = inst.Ini();
    ASSERT_TRUE(TransfertConditions(inst.app(), rep, o, LireOptionsConditions(inst.app(), mode)).Lancer().ok());
    Sortie s = Lancer(mode == kModeAchat ? "transfert conditions-achat" : "transfert conditions-vente");
    EXPECT_EQ(s.code, 0);
    EXPECT_EQ(s.out, rep.messages);
    EXPECT_EQ(s.err, rep.errors);
    EXPECT_EQ(s.err, V{" => Agence  : Partagée - Ne possède pas son propre répertoire Administration"});
    EXPECT_EQ(s.journal.rfind(inst.Hote("Journaux/"), 0), 0u) << s.journal;
    EXPECT_TRUE(pdx::Env::Default()->FileExists(s.journal)) << s.journal;
  }
  // The log files went beside the executable.
  EXPECT_TRUE(pdx::Env::Default()->FileExists(inst.Hote("bin/copie_remises_achat_messages.log")));
  EXPECT_TRUE(pdx::Env::Default()->FileExists(inst.Hote("bin/copie_remises_vente_erreurs.log")));
}

TEST_F(CommandeConditions, OptionsOverrideCorvanesIni) {
  IniFile ini;
  ini.WriteBool("TransfertRemiseAchat", "SuppressionRemisesAgence", false);
  ini.WriteBool("TransfertRemiseAchat", "AfficherInfosDetaillees", true);
  ASSERT_TRUE(ini.Save(pdx::Env::Default(), inst.Hote("Administration/Corvanes.ini")).ok());
  const std::string supprimees = " => Agence  : Lyon - Remises supprimées : 2";
  const std::string detail = "Lecture de la table remise - Ajout de la remise  en mémoire : 2, AL, , 0, , 10, 0, 0";
  Sortie s = Lancer("transfert conditions-achat");
  ASSERT_EQ(s.code, 0);
  EXPECT_FALSE(Contient(s.out, supprimees));
  EXPECT_TRUE(Contient(s.out, detail));
  s = Lancer("transfert conditions-achat --suppression");
  ASSERT_EQ(s.code, 0);
  EXPECT_TRUE(Contient(s.out, supprimees));  // AL's row and NR's (a supplier without conditions)
  s = Lancer("transfert conditions-achat --suppression --sans-fournisseurs-sans-remises");
  EXPECT_TRUE(Contient(s.out, " => Agence  : Lyon - Remises supprimées : 1"));
  // --zone-libre brings ZL in, --conditions-particulieres the client row.
  s = Lancer("transfert conditions-achat --zone-libre --conditions-particulieres");
  EXPECT_TRUE(Contient(s.out, "Lecture de la table remise - Nombre de remises à copier : 3"));
  // Without --ecraser the agency's coefficient 0.5 (net 50) beats 10 % (180)
  // in purchase mode; with it, it is replaced.
  s = Lancer("transfert conditions-achat");
  EXPECT_TRUE(Contient(s.out, " => Agence  : Lyon - Remises modifiées : 0"));
  s = Lancer("transfert conditions-achat --ecraser --reel");
  ASSERT_EQ(s.code, 0);
  EXPECT_TRUE(Contient(s.out, " => Agence  : Lyon - Remises modifiées : 1"));
  EXPECT_TRUE(Contient(s.out, " => Agence  : Lyon - Remise modifiée : 2, AL, , 0, , 10, 0, 0"));
  auto rows = inst.Lire("Agences/A1/Administration", "REMISES.DB");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1][1].text, "AL");
  EXPECT_DOUBLE_EQ(rows[1][5].d, 10);
  // The real run saved the table first.
  EXPECT_TRUE(pdx::Env::Default()->DirExists(inst.Hote("Sauvegardes")));
}

TEST_F(CommandeConditions, ExitCodes) {
  Sortie s = Lancer("transfert conditions-achat --inconnue");
  EXPECT_EQ(s.code, 2);
  EXPECT_FALSE(s.err.empty());
  EXPECT_EQ(s.err[0], "corvanes-batch : transfert conditions-achat : option inconnue : --inconnue");
  EXPECT_EQ(Lancer("transfert conditions-tout").code, 2);
  EXPECT_EQ(Lancer("transfert").code, 2);
  s = Lancer("transfert --help");
  EXPECT_EQ(s.code, 0);
  EXPECT_TRUE(Contient(s.out, "        --zone-libre                inclure les fournisseurs Zone Libre"));
  // An agency whose "REMISES.DB" cannot be opened ends the run: exit 1, the
  // error names the agency and the table, after the end lines.
  inst.RepertoireAgence("Agences/A3");
  inst.Agence("A3", "Nîmes", "Agences/A3", 0);
  s = Lancer("transfert conditions-achat --reel");
  EXPECT_EQ(s.code, 1);
  ASSERT_FALSE(s.err.empty());
  EXPECT_NE(s.err.back().find("Agence Nîmes (A3) : table \"REMISES.DB\""), std::string::npos) << s.err.back();
  ASSERT_GE(s.out.size(), 2u);
  EXPECT_EQ(s.out[s.out.size() - 2], std::string(70, '='));
  // Lyon, before it, holds its new content.
  EXPECT_EQ(inst.Lire("Agences/A1/Administration", "REMISES.DB").size(), 3u);
}

// A configuration file that is not there: one message naming the file looked
// for, instead of one per table the program would then fail to open, and no run.
TEST_F(CommandeConditions, AMissingConfigurationFileIsOneMessage) {
  const std::string absent = inst.Hote("ailleurs/qvrbde.ini"), err = inst.Hote("stderr.txt");
  std::string out;
  int code = testutil::RunCommand("'" + inst.Hote("bin/corvanes-batch") + "' --ini '" + absent +
                                      "' transfert conditions-achat 2>'" + err + "'",
                                  &out);
  EXPECT_EQ(code, 2) << "--ini names a file that does not exist: a usage error";
  V e = Lignes(testutil::ReadFile(err));
  ASSERT_FALSE(e.empty());
  EXPECT_EQ(e[0], "corvanes-batch : Fichier de configuration introuvable : " + absent);
  EXPECT_LE(e.size(), 2u) << testutil::ReadFile(err);
  EXPECT_EQ(out, "");

  // Without --ini the file beside the executable is looked for: a failed start.
  code = testutil::RunCommand("'" + inst.Hote("bin/corvanes-batch") + "' statistiques agences 2>'" + err + "'", &out);
  EXPECT_EQ(code, 1);
  e = Lignes(testutil::ReadFile(err));
  ASSERT_FALSE(e.empty());
  EXPECT_EQ(e[0], "corvanes-batch : Fichier de configuration introuvable : " + inst.Hote("bin/qvrbde.ini"));
  EXPECT_LE(e.size(), 2u) << testutil::ReadFile(err);
}

}  // namespace
}  // namespace corv

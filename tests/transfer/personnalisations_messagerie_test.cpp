// Personalisation and messaging transfers on small installations: the exact log
// of whole runs (simulation and real) and the rows each agency holds afterwards.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "data/dictionnaire.h"
#include "data/creation.h"
#include "installation_transfert.h"
#include "transfer/messagerie.h"
#include "transfer/personnalisations.h"
#include "util/dates.h"

namespace corv {
namespace {

using transfertest::I;
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

// Head office and four agencies: A1 and A4 with their own Administration (A4
// without any of the tables yet), PARTAGE working in head office's, ABSENTE
// pointing at a missing directory.
void Agences(Installation& inst) {
  inst.RepertoireAgence("Agences/A1");
  inst.RepertoireAgence("Agences/A4");
  inst.Agence("A1", "Lyon", "Agences/A1", 0);
  inst.Agence("A2", "Partage", "Agences/A2", 1);
  inst.Agence("A3", "Absente", "Agences/A3", 0);
  inst.Agence("A4", "Nantes", "Agences/A4", 2);  // bit 1 only: still eligible
}

// The lines every run logs for the two agencies it skips.
V ErreursAgences() {
  return {" => Agence  : Partage - Ne possède pas son propre répertoire Administration",
          " => Agence  : Absente - Le répertoire n'existe pas : Q:\\Agences\\A3"};
}

std::string Texte(const pdx::Value& v) { return v.blank ? "<blank>" : v.text; }

// ---------------------------------------------------------------- personalisations

const std::string kLibelle50 = "Volet roulant alu laqué teinte spéciale RAL 7016 m";  // 50 characters

Ligne Perso(int groupe, const std::string& famille, const std::string& libelle) {
  return {{"Groupe", I(groupe)}, {"Famille", T(famille)}, {"Modele", T("M1")}, {"Fournisseur", T("F1")},
          {"Produit", T("P1")}, {"Libelle", T(libelle)}, {"Detail", T("mémo du siège")}, {"Flag", I(3)}};
}

class Personnalisations : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(kLibelle50.size(), 52u);  // 50 characters, two of them "é"
    inst.Table("Administration", "Perso.DB", {Perso(2, "BB", "Deux"), Perso(1, "AA", kLibelle50), Perso(1, "ZZ", "Trois")});
    Agences(inst);
    inst.Table("Agences/A1/Administration", "Perso.DB", {Perso(9, "OO", "Ancienne"), Perso(8, "OO", "Vieille")});
  }
  ResultatRun Lancer(bool simulation) {
    OptionsRun o;
    o.simulation = simulation;
    rep.messages.clear();
    rep.errors.clear();
    TransfertPersonnalisations run(inst.app(), rep, o);
    return run.Lancer();
  }
  V Lignes(int n) {
    std::string c = std::to_string(n);
    return {"Lecture de la table Personnalisation - Nombre total de personnalisations : " + c,
            "Lecture de la table Personnalisation - Nombre de personnalisations à copier : " + c,
            "Lecture de l'agence : Lyon",
            "Intégration des personnalisations pour l'agence : Lyon",
            " => Agence  : Lyon - Table Personnalisation vidée",
            " => Agence  : Lyon - Personnalisations ajoutées : " + c,
            "Lecture de l'agence : Partage",
            "Lecture de l'agence : Absente",
            "Lecture de l'agence : Nantes",
            "Intégration des personnalisations pour l'agence : Nantes",
            " => Agence  : Nantes - Table Personnalisation vidée",
            " => Agence  : Nantes - Personnalisations ajoutées : " + c,
            kFin,
            "Fin de l'intégration des personnalisations.",
            kFin,
            ""};
  }
  Installation inst;
  RecordingRunReport rep;
};

TEST_F(Personnalisations, SimulationLogsEverythingAndWritesNoRow) {
  auto avant = Tables(inst, "Agences/A1/Administration");
  ResultatRun r = Lancer(true);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(rep.messages, Lignes(3));
  EXPECT_EQ(rep.errors, ErreursAgences());
  EXPECT_EQ(rep.readingLabel, "Lecture de la table Personnalisation effectuée.");
  EXPECT_EQ(rep.agencyLabel, "Fin de l'intégration des personnalisations.");
  EXPECT_EQ(rep.rowPosition, 3);
  EXPECT_EQ(rep.agencyPosition, 4);
  EXPECT_TRUE(Tables(inst, "Agences/A1/Administration") == avant) << "a simulation wrote in Agences/A1/Administration";
  // The data module creates the missing table on open, even in a simulation; it stays empty.
  EXPECT_TRUE(inst.Lire("Agences/A4/Administration", "Perso.DB").empty());
  // The program's named databases never moved.
  EXPECT_EQ(inst.app().session().Directory(kAliasAdministration).value_or(""), "Q:\\Administration");
}

TEST_F(Personnalisations, RealRunReplacesEachAgencyTableWithTheSevenFields) {
  ResultatRun r = Lancer(false);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(rep.messages, Lignes(3));
  EXPECT_EQ(rep.errors, ErreursAgences());
  for (const char* a : {"Agences/A1/Administration", "Agences/A4/Administration"}) {
    auto rows = inst.Lire(a, "Perso.DB");
    ASSERT_EQ(rows.size(), 3u) << a;
    auto info = inst.Info(a, "Perso.DB");
    auto F = [&](const std::string& n) {
      for (size_t i = 0; i < info.fields.size(); ++i)
        if (info.fields[i].name == n) return i;
      ADD_FAILURE() << n;
      return size_t{0};
    };
    EXPECT_EQ(rows[0][F("Groupe")].i, 1);
    EXPECT_EQ(Texte(rows[0][F("Libelle")]), kLibelle50);  // arrives whole
    EXPECT_EQ(Texte(rows[1][F("Famille")]), "ZZ");
    EXPECT_EQ(Texte(rows[2][F("Libelle")]), "Deux");
    EXPECT_EQ(rows[2][F("Flag")].i, 3);
    for (const auto& row : rows) EXPECT_TRUE(row[F("Detail")].blank) << "memos are not carried";
  }
  // Head office and the shared agency's (head office's) table are untouched.
  EXPECT_EQ(inst.Lire("Administration", "Perso.DB").size(), 3u);
}

TEST_F(Personnalisations, SimulationThenRealRunInOrderAndEmptyHeadOfficeEmptiesAgencies) {
  ASSERT_TRUE(Lancer(true).ok());
  ASSERT_TRUE(Lancer(false).ok());
  EXPECT_EQ(inst.Lire("Agences/A1/Administration", "Perso.DB").size(), 3u);

  inst.Table("Administration", "Perso.DB", {});
  ASSERT_TRUE(Lancer(false).ok());
  EXPECT_EQ(rep.messages, Lignes(0));
  EXPECT_TRUE(inst.Lire("Agences/A1/Administration", "Perso.DB").empty());
  EXPECT_TRUE(inst.Lire("Agences/A4/Administration", "Perso.DB").empty());
}

// -------------------------------------------------------------------- messaging

Ligne Type(int externe, int id, const std::string& libelle) {
  return {{"Externe", I(externe)}, {"IdTypeMessage", I(id)}, {"Libelle", T(libelle)}};
}
Ligne Msg(int externe, int id, const std::string& libelle, double jour = 0) {
  Ligne l{{"Externe", I(externe)}, {"IdMessage", I(id)}, {"IdTypeMessage", I(1)}, {"Libelle", T(libelle)},
          {"Importance", I(2)}};
  if (jour) {
    l["DateCreation"] = pdx::Value::Double(jour);
    l["Date_Debut"] = pdx::Value::Double(jour + 1);
    l["Date_Fin"] = pdx::Value::Double(jour + 30);
    l["Fournisseur"] = T("F1");
  }
  return l;
}

class Messagerie : public ::testing::Test {
 protected:
  void SetUp() override {
    Agences(inst);
    inst.Table("Administration", "MessageType.DB",
               {Type(0, 1, "Information"), Type(5, 3, "Promotion"), Type(2, 9, "Autre"), Type(1, 4, "Reçu")});
    inst.Table("Administration", "Message.DB",
               {Msg(0, 1, "Nouveaux tarifs", jour), Msg(5, 2, "Promotion fabricant", jour + 2),
                Msg(2, 3, "Brouillon"), Msg(1, 4, "Reçu d'ailleurs"), Msg(0, 5, "Fermeture", jour + 5)});
    inst.Table("Agences/A1/Administration", "MessageType.DB",
               {Type(0, 100, "Agence"), Type(1, 1, "Ancienne copie"), Type(5, 3, "Ancienne promo")});
    inst.Table("Agences/A1/Administration", "Message.DB",
               {Msg(0, 10, "Message de l'agence"), Msg(1, 1, "Ancienne copie"), Msg(1, 7, "Retiré au siège"),
                Msg(3, 8, "Autre origine")});
  }
  ResultatRun Lancer(bool simulation) {
    OptionsRun o;
    o.simulation = simulation;
    rep.messages.clear();
    rep.errors.clear();
    TransfertMessagerie run(inst.app(), rep, o);
    return run.Lancer();
  }
  static V Agence(const std::string& nom, int types, int messages) {
    std::string p = " => Agence  : " + nom + " - ";
    return {"Lecture de l'agence : " + nom,
            "Intégration des messages pour l'agence : " + nom,
            p + "Table Messagerie Type - Type(s) de message supprimé(s) : " + std::to_string(types),
            p + "Table Messagerie Type nettoyée",
            p + "Types de message ajoutés : 2",
            p + "Table Messagerie - Message supprimé(s) : " + std::to_string(messages),
            p + "Table Messagerie nettoyée",
            p + "Messages ajoutés : 3"};
  }
  V Lignes(int typesA1, int messagesA1, int typesA4, int messagesA4) {
    V v = {"Lecture de la table Type Messagerie - Nombre total de types de message : 4",
           "Lecture de la table Type Messagerie - Nombre de types de message à copier : 2",
           "Lecture de la table Messagerie - Nombre total de messages : 5",
           "Lecture de la table Messagerie - Nombre de messages à copier : 3"};
    for (auto& l : Agence("Lyon", typesA1, messagesA1)) v.push_back(l);
    v.push_back("Lecture de l'agence : Partage");
    v.push_back("Lecture de l'agence : Absente");
    for (auto& l : Agence("Nantes", typesA4, messagesA4)) v.push_back(l);
    for (const char* l : {kFin.c_str(), "Fin de l'intégration des messages.", kFin.c_str(), ""}) v.push_back(l);
    return v;
  }
  // Rows as "Externe/Id/Libelle" in key order.
  V Cles(const std::string& rel, const std::string& fichier) {
    V out;
    for (const auto& r : inst.Lire(rel, fichier)) out.push_back(std::to_string(r[0].i) + "/" + std::to_string(r[1].i) + "/" + Texte(fichier == "Message.DB" ? r[3] : r[2]));
    return out;
  }
  const double jour = DayNumber(2026, 11, 2);
  Installation inst;
  RecordingRunReport rep;
};

TEST_F(Messagerie, SimulationCountsWithoutWriting) {
  auto avant = Tables(inst, "Agences/A1/Administration");
  ResultatRun r = Lancer(true);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(rep.messages, Lignes(2, 2, 0, 0));
  EXPECT_EQ(rep.errors, ErreursAgences());
  EXPECT_EQ(rep.readingLabel, "Lecture de la table Messagerie effectuée.");
  EXPECT_TRUE(Tables(inst, "Agences/A1/Administration") == avant) << "a simulation wrote in Agences/A1/Administration";
  // A4 had neither table: both created on open, left empty.
  EXPECT_TRUE(inst.Lire("Agences/A4/Administration", "Message.DB").empty());
  EXPECT_TRUE(inst.Lire("Agences/A4/Administration", "MessageType.DB").empty());
}

TEST_F(Messagerie, RealRunsReplacePublishedRowsAndKeepTheAgencysOwn) {
  ASSERT_EQ(Lancer(false).fin, ResultatRun::Fin::kTerminee);
  EXPECT_EQ(rep.messages, Lignes(2, 2, 0, 0));
  const V types = {"0/100/Agence", "1/1/Information", "5/3/Promotion"};
  const V messages = {"0/10/Message de l'agence", "1/1/Nouveaux tarifs", "1/5/Fermeture", "3/8/Autre origine",
                      "5/2/Promotion fabricant"};
  EXPECT_EQ(Cles("Agences/A1/Administration", "MessageType.DB"), types);
  EXPECT_EQ(Cles("Agences/A1/Administration", "Message.DB"), messages);
  EXPECT_EQ(Cles("Agences/A4/Administration", "MessageType.DB"), V({"1/1/Information", "5/3/Promotion"}));
  // Every field of a message arrives, the period included.
  auto info = inst.Info("Agences/A1/Administration", "Message.DB");
  auto rows = inst.Lire("Agences/A1/Administration", "Message.DB");
  ASSERT_EQ(info.fields.size(), 12u);
  EXPECT_EQ(info.fields[10].name, "Date_Debut");
  EXPECT_DOUBLE_EQ(rows[1][4].d, jour);       // DateCreation
  EXPECT_EQ(rows[1][5].i, 2);                 // Importance
  EXPECT_EQ(Texte(rows[1][7]), "F1");         // Fournisseur
  EXPECT_DOUBLE_EQ(rows[1][10].d, jour + 1);  // Date_Debut
  EXPECT_DOUBLE_EQ(rows[1][11].d, jour + 30); // Date_Fin

  // A second run deletes the copies and writes them again: no duplicate key.
  ASSERT_EQ(Lancer(false).fin, ResultatRun::Fin::kTerminee);
  EXPECT_EQ(rep.messages, Lignes(2, 3, 2, 3));
  EXPECT_EQ(Cles("Agences/A1/Administration", "MessageType.DB"), types);
  EXPECT_EQ(Cles("Agences/A1/Administration", "Message.DB"), messages);
}

TEST_F(Messagerie, OlderAgencyMessageTableIsUpgradedThenFilled) {
  // A seven-field "Message.DB" with a 50-character Libelle (and its date index),
  // as older agencies have.
  TableDef ancien = *TrouverTable(kAliasAdministration, "Message.DB");
  ancien.champs.resize(7);
  ancien.champs[3].taille = 50;
  ancien.regles.clear();
  pdx::Env::Default()->RemoveFile(inst.Hote("Agences/A4/Administration/Message.DB")).IgnoreError();  // may be absent
  ASSERT_TRUE(CreerFichier(pdx::Env::Default(), inst.Hote("Agences/A4/Administration"), ancien).ok());
  ResultatRun r = Lancer(false);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(inst.Info("Agences/A4/Administration", "Message.DB").fields.size(), 12u);
  EXPECT_EQ(Cles("Agences/A4/Administration", "Message.DB"),
            V({"1/1/Nouveaux tarifs", "1/5/Fermeture", "5/2/Promotion fabricant"}));
}

}  // namespace
}  // namespace corv

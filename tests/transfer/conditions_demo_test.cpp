// The conditions transfer on the demo installation: its agencies of every
// kind (own directory, sharing head office's, missing directory, older table
// layouts), simulation then real run, rows afterwards.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "installation_transfert.h"
#include "transfer/conditions.h"

namespace corv {
namespace {

using transfertest::Installation;

std::string Cle(const std::vector<pdx::Value>& r) {
  std::string t;
  for (size_t f = 0; f < 5; ++f) {
    t += "|";
    if (r[f].blank) continue;
    t += (f == 0 || f == 3) ? std::to_string(r[f].i) : r[f].text;
  }
  return t;
}

std::string Valeurs(const std::vector<pdx::Value>& r) {
  std::string t;
  for (size_t f = 5; f < 8 && f < r.size(); ++f) t += "|" + (r[f].blank ? std::string() : std::to_string(r[f].d));
  return t;
}

using Table = std::map<std::string, std::string>;  // key -> values

Table Remises(Installation& inst, const std::string& relatif, int type) {
  Table t;
  for (const auto& r : inst.Lire(relatif, "REMISES.DB"))
    if (!r[0].blank && r[0].i == type) t[Cle(r)] = Valeurs(r);
  return t;
}

std::string Fournisseur(const std::string& cle) { return cle.substr(3, cle.find('|', 3) - 3); }
bool ClientVide(const std::string& cle) {
  size_t a = cle.find('|', 3);
  return cle[a + 1] == '|';
}

std::vector<std::string> Comptes(const std::vector<std::string>& m, const std::string& quoi) {
  std::vector<std::string> v;
  for (const auto& l : m)
    if (l.find(" - " + quoi + " : ") != std::string::npos) v.push_back(l);
  return v;
}

TEST(TransfertConditionsDemo, SimulationWritesNothingThenTheRealRunLeavesHeadOfficesConditions) {
  auto inst = transfertest::CopieDemo();
  const auto& bilan = transfertest::BilanDemo();
  // The first open upgrades the older layouts of some agencies; from then on a
  // simulation changes no byte anywhere.
  RecordingRunReport sim1;
  ASSERT_TRUE(TransfertConditions(inst->app(), sim1, {}, LireOptionsConditions(inst->app(), kModeAchat)).Lancer().ok());
  std::map<std::string, std::map<std::string, std::string>> empreintes;
  for (const auto& a : bilan.agences)
    if (pdx::Env::Default()->DirExists(inst->Hote("Agences/" + a.code + "/Administration")))
      empreintes[a.code] = inst->Empreinte("Agences/" + a.code + "/Administration");
  empreintes["siege"] = inst->Empreinte("Administration");
  RecordingRunReport sim2;
  ASSERT_TRUE(TransfertConditions(inst->app(), sim2, {}, LireOptionsConditions(inst->app(), kModeAchat)).Lancer().ok());
  EXPECT_EQ(sim1.messages, sim2.messages);
  EXPECT_EQ(sim1.errors, sim2.errors);
  for (auto& [code, e] : empreintes)
    EXPECT_EQ(code == "siege" ? inst->Empreinte("Administration") : inst->Empreinte("Agences/" + code + "/Administration"),
              e)
        << code;
  EXPECT_EQ(sim1.errors,
            (std::vector<std::string>{
                " => Agence  : Agence de Lille - Le répertoire n'existe pas : Q:\\Agences\\LIL05",
                " => Agence  : Agence de Marseille - Ne possède pas son propre répertoire Administration"}));

  // Head office's purchase conditions to copy: supplier-wide, not free zone.
  std::set<std::string> zoneLibre;
  for (const auto& r : inst->Lire("Maj", "FOURNIS.DB"))
    if (r[1].text.rfind("zLibre", 0) == 0) zoneLibre.insert(r[0].text);
  Table siege;
  for (const auto& [cle, v] : Remises(*inst, "Administration", kModeAchat))
    if (ClientVide(cle) && !zoneLibre.count(Fournisseur(cle))) siege[cle] = v;
  ASSERT_FALSE(siege.empty());
  std::map<std::string, Table> avant, avantVente;
  std::map<std::string, std::set<std::string>> fournisseurs;
  for (const auto& [code, e] : empreintes) {
    if (code == "siege") continue;
    std::string rel = "Agences/" + code + "/Administration";
    avant[code] = Remises(*inst, rel, kModeAchat);
    avantVente[code] = Remises(*inst, rel, kModeVente);
    for (const auto& r : inst->Lire(rel, "FOURNIS.DB")) fournisseurs[code].insert(r[0].text);
  }

  RecordingRunReport reel;
  OptionsRun o;
  o.simulation = false;
  ResultatRun r = TransfertConditions(inst->app(), reel, o, LireOptionsConditions(inst->app(), kModeAchat)).Lancer();
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(r.agencesTraitees, 3);
  // The same deletions are counted; the copy counts differ where the
  // simulation found rows a real run deletes first.
  EXPECT_EQ(Comptes(reel.messages, "Remises supprimées"), Comptes(sim1.messages, "Remises supprimées"));
  EXPECT_EQ(Comptes(reel.messages, "Remises conservées (Client)"),
            Comptes(sim1.messages, "Remises conservées (Client)"));
  EXPECT_NE(Comptes(reel.messages, "Remises ajoutées"), Comptes(sim1.messages, "Remises ajoutées"));
  EXPECT_EQ(reel.messages.size(), sim1.messages.size());

  // Suppliers whose rows of the mode go at each agency: those copied, and
  // those of the reference list without conditions at head office (not free
  // zone), when the agency knows them.
  std::set<std::string> supprimes;
  for (const auto& [cle, v] : siege) supprimes.insert(Fournisseur(cle));
  for (const auto& m : inst->Lire("Maj", "FOURNIS.DB"))
    if (!zoneLibre.count(m[0].text)) supprimes.insert(m[0].text);
  for (const auto& [code, t] : avant) {
    std::string rel = "Agences/" + code + "/Administration";
    Table apres = Remises(*inst, rel, kModeAchat);
    Table filtre;
    for (const auto& [cle, v] : t) {
      std::string f = Fournisseur(cle);
      if (!(supprimes.count(f) && fournisseurs[code].count(f)) || !ClientVide(cle)) filtre[cle] = v;
    }
    for (const auto& [cle, v] : siege)
      if (fournisseurs[code].count(Fournisseur(cle))) filtre[cle] = v;
    EXPECT_EQ(apres, filtre) << code;
    EXPECT_EQ(Remises(*inst, rel, kModeVente), avantVente[code]) << code;
  }
  // The agency sharing head office's directory and head office itself: untouched.
  EXPECT_EQ(inst->Empreinte("Agences/MAR02/Administration"), empreintes["MAR02"]);
  EXPECT_EQ(inst->Empreinte("Administration"), empreintes["siege"]);

  // Done: a simulation now finds every condition equal.
  RecordingRunReport sim3;
  ASSERT_TRUE(TransfertConditions(inst->app(), sim3, {}, LireOptionsConditions(inst->app(), kModeAchat)).Lancer().ok());
  for (const auto& l : Comptes(sim3.messages, "Remises ajoutées")) EXPECT_EQ(l.substr(l.size() - 4), " : 0") << l;
  for (const auto& l : Comptes(sim3.messages, "Remises modifiées")) EXPECT_EQ(l.substr(l.size() - 4), " : 0") << l;
}

}  // namespace
}  // namespace corv

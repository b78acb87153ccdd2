// The generated installation against the dictionary: layouts, the older layouts
// kept on purpose (and that the upgrade rules bring them to the dictionary's),
// the engine's check, counts read back through the core, determinism.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/dictionnaire.h"
#include "data/creation.h"
#include "data/demarrage.h"
#include "data/dm.h"
#include "data/fonctions_bd.h"
#include "util/session.h"
#include "demo/resume.h"
#include "installation.h"
#include "paradox/check.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"
#include "util/dates.h"

namespace {

using demotest::Demo;
using demotest::Lire;
namespace fs = std::filesystem;

std::vector<std::string> TablesDe(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    std::string ext = e.path().extension().string();
    if (e.is_regular_file() && (ext == ".DB" || ext == ".db")) out.push_back(e.path().string());
  }
  return out;
}

TEST(DemoInstallation, EveryTablePassesTheEngineCheck) {
  std::vector<std::string> tables = TablesDe(Demo().dir);
  EXPECT_GT(tables.size(), 100u);
  for (const std::string& p : tables) {
    std::vector<pdx::CheckFinding> findings;
    fs::path path(p);
    pdx::Status s = pdx::CheckTable(pdx::Env::Default(), path.parent_path().string(), path.filename().string(), &findings);
    ASSERT_TRUE(s.ok()) << p << ": " << s.ToString();
    for (const auto& f : findings) ADD_FAILURE() << p << ": " << f.file << ": " << f.what;
  }
}

// Fields of a file as the dictionary writes them.
void ExpectLayout(const pdx::TableInfo& info, const std::vector<corv::ChampDef>& champs, const std::string& quoi) {
  ASSERT_EQ(info.fields.size(), champs.size()) << quoi;
  for (size_t i = 0; i < champs.size(); ++i) {
    pdx::FieldDesc d = corv::DescripteurChamp(champs[i]);
    EXPECT_EQ(info.fields[i].name, d.name) << quoi << " field " << i + 1;
    EXPECT_EQ(info.fields[i].type, d.type) << quoi << " field " << d.name;
    EXPECT_EQ(info.fields[i].size, d.size) << quoi << " field " << d.name;
  }
}

TEST(DemoInstallation, HeadOfficeTablesHaveTheDictionaryLayouts) {
  struct Base {
    const char* alias;
    const char* dir;
  } bases[] = {{corv::kAliasAdministration, "Administration"}, {corv::kAliasTarifs, "Tarifs"},
               {corv::kAliasDossiers, "Dossiers"}};
  int vues = 0;
  for (const Base& b : bases) {
    for (const corv::TableDef& t : corv::Dictionnaire()) {
      if (t.alias != b.alias) continue;
      ASSERT_TRUE(demotest::Existe(b.dir, t.fichier)) << b.dir << "/" << t.fichier;
      demotest::TableLue l = Lire(b.dir, t.fichier);
      ExpectLayout(l.info, t.champs, std::string(b.dir) + "/" + t.fichier);
      EXPECT_EQ(l.info.keyFieldCount, static_cast<int>(t.cle.size())) << t.fichier;
      std::vector<std::string> noms = corv::IndexDuFichier(l.info), attendus;
      for (const auto& i : t.index) attendus.push_back(i.nom);
      std::sort(noms.begin(), noms.end());
      std::sort(attendus.begin(), attendus.end());
      EXPECT_EQ(noms, attendus) << t.fichier;
      // A descending index shows in its entries once the table has rows.
      for (const auto& i : t.index) {
        for (const pdx::IndexDesc& d : l.info.indexes) {
          if (d.name == i.nom && l.info.recordCount > 1) {
            EXPECT_EQ(d.descending, i.descendant) << t.fichier << " " << i.nom;
          }
        }
      }
      ++vues;
    }
  }
  EXPECT_GT(vues, 60);
  // The reference supplier list has head office's supplier layout.
  const corv::TableDef* f = corv::TrouverTable(corv::kAliasAdministration, "FOURNIS.DB");
  ExpectLayout(Lire("Maj", "FOURNIS.DB").info, f->champs, "Maj/FOURNIS.DB");
}

// An older file: its field count, and the upgrade rules take it to the dictionary's layout.
void ExpectOlder(const std::string& dir, const char* alias, const char* fichier, size_t champs) {
  SCOPED_TRACE(dir + "/" + fichier);
  const corv::TableDef* t = corv::TrouverTable(alias, fichier);
  ASSERT_NE(t, nullptr);
  demotest::TableLue l = Lire(dir, fichier);
  EXPECT_EQ(l.info.fields.size(), champs);
  corv::PlanMaj plan = corv::PlanifierMaj(*t, corv::ChampsDuFichier(l.info), corv::IndexDuFichier(l.info));
  EXPECT_TRUE(plan.restructurer);
  EXPECT_EQ(plan.champs, t->champs);
}

TEST(DemoInstallation, AgenciesKeepOlderLayoutsThatUpgradeToTheDictionary) {
  using corv::kAliasAdministration;
  using corv::kAliasDossiers;
  // NAN03: first variant.
  ExpectOlder("Agences/NAN03/Administration", kAliasAdministration, "CLIENT.DB", 49);
  EXPECT_EQ(Lire("Agences/NAN03/Administration", "CLIENT.DB").info.fields[39].name, "Ferme");
  ExpectOlder("Agences/NAN03/Administration", kAliasAdministration, "REMISES.DB", 7);
  ExpectOlder("Agences/NAN03/Administration", kAliasAdministration, "Agence.DB", 15);
  ExpectOlder("Agences/NAN03/Dossiers", kAliasDossiers, "PIECE.DB", 41);
  EXPECT_FALSE(demotest::Existe("Agences/NAN03/Administration", "Message.DB"));
  // BOR04: second variant.
  ExpectOlder("Agences/BOR04/Administration", kAliasAdministration, "FOURNIS.DB", 46);
  ExpectOlder("Agences/BOR04/Administration", kAliasAdministration, "Message.DB", 7);
  ExpectOlder("Agences/BOR04/Administration", kAliasAdministration, "Tva.DB", 5);
  ExpectOlder("Agences/BOR04/Dossiers", kAliasDossiers, "LIGNE.DB", 49);
  EXPECT_EQ(Lire("Agences/BOR04/Dossiers", "LIGNE.DB").info.fields[22].type, pdx::FieldType::kShort);
  ExpectOlder("Agences/BOR04/Dossiers", kAliasDossiers, "DOSSIER.DB", 42);
  {
    demotest::TableLue d = Lire("Agences/BOR04/Administration", "DeblocageTauxMarge.DB");
    corv::PlanMaj plan = corv::PlanifierMaj(*corv::TrouverTable(kAliasAdministration, "DeblocageTauxMarge.DB"),
                                            corv::ChampsDuFichier(d.info), corv::IndexDuFichier(d.info));
    EXPECT_EQ(plan.indexSupprimes, std::vector<std::string>{"DossierNumero"});
  }
  // LYO01 is at the current layouts.
  EXPECT_EQ(Lire("Agences/LYO01/Administration", "CLIENT.DB").info.fields.size(), 80u);
  EXPECT_EQ(Lire("Agences/LYO01/Dossiers", "LIGNE.DB").info.fields.size(), 51u);
}

TEST(DemoInstallation, CountsReadBackThroughTheCoreAreThoseAsked) {
  corv::demo::Bilan b;
  pdx::Status s = corv::demo::Relire(pdx::Env::Default(), Demo().dir, &b);
  ASSERT_TRUE(s.ok()) << s.ToString();
  ASSERT_EQ(b.agences.size(), 5u);
  int propres = 0, partagees = 0, absentes = 0;
  for (const auto& a : b.agences) {
    SCOPED_TRACE(a.code);
    const corv::demo::BilanAgence* g = nullptr;
    for (const auto& x : Demo().bilan.agences)
      if (x.code == a.code) g = &x;
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(a.sorte, g->sorte);
    EXPECT_EQ(a.repertoire, "Q:\\Agences\\" + a.code);
    if (a.sorte == corv::demo::SorteAgence::kAbsente) {
      ++absentes;
      EXPECT_EQ(a.dossiers, 0u);
      EXPECT_FALSE(fs::exists(Demo().dir + "/Agences/" + a.code));
      continue;
    }
    a.sorte == corv::demo::SorteAgence::kPartagee ? ++partagees : ++propres;
    EXPECT_EQ(a.dossiers, 80u);
    EXPECT_EQ(a.pieces, g->pieces);
    EXPECT_EQ(a.lignes, g->lignes);
    EXPECT_EQ(a.sousLignes, g->sousLignes);
    EXPECT_GT(a.pieces, a.dossiers / 2);
    EXPECT_GT(a.lignes, a.pieces);
  }
  EXPECT_EQ(propres, 3);
  EXPECT_EQ(partagees, 1);
  EXPECT_EQ(absentes, 1);
  EXPECT_FALSE(fs::exists(Demo().dir + "/Agences/MAR02/Administration"));  // the shared one
  // Head office's counts equal what was written.
  for (const auto& entree : Demo().bilan.tablesSiege) {
    const auto& fichier = entree.first;
    const auto& n = entree.second;
    auto it = std::find_if(b.tablesSiege.begin(), b.tablesSiege.end(), [&](const auto& p) { return p.first == fichier; });
    ASSERT_NE(it, b.tablesSiege.end()) << fichier;
    EXPECT_EQ(it->second, n) << fichier;
  }
  std::string texte = corv::demo::Formater(Demo().dir, b);
  EXPECT_NE(texte.find("LYO01"), std::string::npos);
  EXPECT_NE(texte.find("(répertoire introuvable)"), std::string::npos);
}

TEST(DemoInstallation, SameSeedSameFilesOtherSeedOtherData) {
  testutil::TempDir tmp;
  corv::demo::Options o = Demo().options;
  o.repertoire = tmp.path() + "/a";
  ASSERT_TRUE(corv::demo::Generer(demotest::EnvDemo(), o, nullptr).ok());
  // The same bytes, file by file (the headers' time of structure is the demo's
  // date), but for our write locks' records, which name the run that wrote.
  std::vector<std::string> fichiers;
  for (const auto& e : fs::recursive_directory_iterator(o.repertoire)) {
    if (!e.is_regular_file() || e.path().extension() == ".cvlock" || e.path().filename() == "qvrbde.ini") continue;
    const std::string rel = fs::relative(e.path(), o.repertoire).generic_string();
    fichiers.push_back(rel);
    EXPECT_EQ(testutil::ReadFile(e.path().string()), testutil::ReadFile(Demo().dir + "/" + rel)) << rel;
  }
  EXPECT_GT(fichiers.size(), 100u);
  auto lignes = [](const std::string& dir, const char* nom) {
    demotest::TableLue t = demotest::LireDans(dir, nom);
    std::vector<std::string> out;
    for (const auto& row : t.rows) {
      std::string s;
      for (const auto& v : row) s += (v.blank ? "_" : v.text + std::to_string(v.i) + std::to_string(v.d)) + "|";
      out.push_back(s);
    }
    return out;
  };
  for (const char* f : {"Administration/CLIENT.DB", "Administration/REMISES.DB", "Agences/LYO01/Dossiers/LIGNE.DB",
                        "Agences/LYO01/Dossiers/PIECE.DB", "Tarifs/TARIF.DB"}) {
    fs::path p(f);
    auto a = lignes(o.repertoire + "/" + p.parent_path().string(), p.filename().string().c_str());
    EXPECT_FALSE(a.empty()) << f;
    EXPECT_TRUE(a == lignes(Demo().dir + "/" + p.parent_path().string(), p.filename().string().c_str())) << f;
  }
  o.repertoire = tmp.path() + "/b";
  o.graine = 8;
  ASSERT_TRUE(corv::demo::Generer(demotest::EnvDemo(), o, nullptr).ok());
  EXPECT_FALSE(lignes(o.repertoire + "/Agences/LYO01/Dossiers", "LIGNE.DB") ==
               lignes(Demo().dir + "/Agences/LYO01/Dossiers", "LIGNE.DB"));
  // A directory that already holds an installation is refused.
  pdx::Status s = corv::demo::Generer(demotest::EnvDemo(), o, nullptr);
  EXPECT_TRUE(s.IsInvalidArgument()) << s.ToString();
}

// A directory named with accents is written under that very name (on Windows
// a path's narrow strings once went through the ANSI code page).
TEST(DemoInstallation, AnAccentedDirectoryKeepsItsName) {
  testutil::TempDir tmp;
  corv::demo::Options o;
  o.repertoire = tmp.path() + "/Démo siège";
  o.agences = 1;
  o.dossiers = 1;
  o.jour = corv::DayNumber(2026, 12, 8);
  ASSERT_TRUE(corv::demo::Generer(demotest::EnvDemo(), o, nullptr).ok());
  std::vector<std::string> noms;
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(tmp.path(), &noms).ok());
  EXPECT_EQ(noms, std::vector<std::string>{"Démo siège"});
  EXPECT_TRUE(pdx::Env::Default()->FileExists(o.repertoire + "/qvrbde.ini"));
}

// Every table kept at an older layout, opened through the data module at its
// agency: brought to the dictionary's layout, rows kept, and clean for the check.
TEST(DemoInstallation, DataModuleUpgradesTheAgenciesOnFirstOpen) {
  testutil::TempDir tmp;
  corv::demo::Options o;
  o.repertoire = tmp.path();
  o.agences = 5;  // LYO01 current, MAR02 shared, NAN03 and BOR04 older variants, LIL05 missing
  o.dossiers = 6;
  o.jour = corv::DayNumber(2026, 12, 8);
  ASSERT_TRUE(corv::demo::Generer(demotest::EnvDemo(), o, nullptr).ok());
  corv::Session session;
  corv::HostPaths host(pdx::Env::Default());
  testutil::ScriptedDialogs dialogs;
  ASSERT_TRUE(corv::ConfigurerSession(tmp.path() + "/qvrbde.ini", session, host).ok());
  corv::TDM dm(session, host, dialogs);
  struct Cas {
    const char* agence;
    const char* alias;
    const char* sous;
    const char* composant;
  };
  const Cas cas[] = {
      {"NAN03", corv::kAliasAdministration, "Administration", "tblClient"},
      {"NAN03", corv::kAliasAdministration, "Administration", "tblRemise"},
      {"NAN03", corv::kAliasAdministration, "Administration", "tblAgence"},
      {"NAN03", corv::kAliasAdministration, "Administration", "tblMessage"},  // created
      {"NAN03", corv::kAliasDossiers, "Dossiers", "tblDocument"},
      {"BOR04", corv::kAliasAdministration, "Administration", "tblFournisseur"},
      {"BOR04", corv::kAliasAdministration, "Administration", "tblMessage"},
      {"BOR04", corv::kAliasAdministration, "Administration", "tblTva"},
      {"BOR04", corv::kAliasAdministration, "Administration", "tblDeblocageTauxMarge"},
      {"BOR04", corv::kAliasDossiers, "Dossiers", "tblLigne"},
      {"BOR04", corv::kAliasDossiers, "Dossiers", "tblDossier"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(std::string(c.agence) + " " + c.composant);
    std::string racine = std::string("Q:\\Agences\\") + c.agence;
    ASSERT_TRUE(corv::ChangerRepertoireBase(session, c.alias, c.sous, racine).ok());
    corv::Composant& t = dm[c.composant];
    std::string hote = tmp.path() + "/Agences/" + c.agence + "/" + c.sous;
    uint32_t avant = 0;
    {
      std::unique_ptr<pdx::Table> old;
      if (pdx::Table::Open(pdx::Env::Default(), hote, t.Fichier(), &old).ok()) avant = old->info().recordCount;
    }
    pdx::Status st = t.Ouvrir();
    ASSERT_TRUE(st.ok()) << st.ToString();
    EXPECT_EQ(static_cast<size_t>(t.NombreChamps()), t.Def().champs.size());
    EXPECT_EQ(t.NombreEnregistrements(), avant);
    EXPECT_TRUE(t.Fermer().ok());
    std::vector<pdx::CheckFinding> findings;
    ASSERT_TRUE(pdx::CheckTable(pdx::Env::Default(), hote, t.Fichier(), &findings).ok());
    for (const auto& f : findings) ADD_FAILURE() << f.file << ": " << f.what;
  }
}

}  // namespace

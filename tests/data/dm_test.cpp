#include "data/dm.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/creation.h"
#include "data/fonctions_bd.h"
#include "data/tva_table.h"
#include "bench/share_env.h"
#include "support/scripted_dialogs.h"
#include "support/table_check.h"
#include "support/test_util.h"
#include "util/dates.h"
#include "util/text.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

// What "pdx check" finds in a table ("" when clean).
using testutil::FindingsText;
using pdx::Value;

class ModuleDonnees : public ::testing::Test {
 protected:
  ModuleDonnees() {
    for (const char* d : {"Administration", "Dossiers", "Tarifs"}) {
      fs::create_directories(t.file(d));
      session.SetAlias(std::string("Quintrel") + d, t.path() + "\\" + d);
    }
  }
  pdx::Env* env() { return pdx::Env::Default(); }
  std::string Dir(const char* d) { return t.file(d); }
  std::vector<std::vector<std::string>> Rows(const char* dir, const std::string& file) {
    return testutil::ReadRows(env(), Dir(dir), file);
  }
  std::unique_ptr<pdx::Table> Open(const char* dir, const std::string& file) {
    std::unique_ptr<pdx::Table> tb;
    pdx::Status s = pdx::Table::Open(env(), Dir(dir), file, &tb);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return tb;
  }
  // Creates a file from a definition derived from the dictionary's.
  void Create(const char* dir, const TableDef& def) { ASSERT_TRUE(CreerFichier(env(), Dir(dir), def).ok()); }

  testutil::TempDir t;
  Session session;
  HostPaths host{pdx::Env::Default()};
  testutil::ScriptedDialogs dialogs;
  TDM dm{session, host, dialogs};
};

const char* DirOf(const TableDef& d) {
  if (d.alias == kAliasDossiers) return "Dossiers";
  if (d.alias == kAliasTarifs) return "Tarifs";
  return "Administration";
}

TEST_F(ModuleDonnees, EveryDictionaryTableCreatedAndReadBack) {
  for (const auto& d : Dictionnaire()) {
    SCOPED_TRACE(d.alias + " " + d.fichier);
    pdx::Status s = CreerFichier(env(), Dir(DirOf(d)), d);
    ASSERT_TRUE(s.ok()) << s.ToString();
    auto tb = Open(DirOf(d), d.fichier);
    ASSERT_TRUE(tb);
    EXPECT_EQ(ChampsDuFichier(tb->info()), d.champs);
    EXPECT_EQ(tb->info().keyFieldCount, static_cast<int>(d.cle.size()));
    std::vector<std::string> idx;
    for (const auto& i : d.index) idx.push_back(i.nom);
    EXPECT_EQ(IndexDuFichier(tb->info()), idx);
    EXPECT_EQ(FindingsText(env(), Dir(DirOf(d)), d.fichier), "");
    // And at its current layout the open handler leaves it alone.
    EXPECT_TRUE(PlanifierMaj(d, ChampsDuFichier(tb->info()), IndexDuFichier(tb->info())).Vide());
  }
  // A second creation refuses to overwrite.
  EXPECT_FALSE(CreerFichier(env(), Dir("Administration"), *TrouverTable(kAliasAdministration, "CLIENT.DB")).ok());
}

TEST_F(ModuleDonnees, EveryTableCreatedWhenMissingOpensFromEmptyDirectories) {
  // Through the components, as the program opens them: the file is created in
  // the component's directory, opens, and checks clean; a table not created
  // when missing is reported and left absent.
  int creees = 0;
  for (const auto& c : dm.Composants()) {
    const TableDef& d = c->Def();
    SCOPED_TRACE(c->Nom() + " " + d.fichier);
    bool existait = c->FichierExiste();
    pdx::Status r = OuvrirTable(*c, dialogs);
    if (d.creation == Creation::kAucune && !existait) {
      EXPECT_FALSE(r.ok());
      EXPECT_FALSE(c->FichierExiste());
      continue;
    }
    ASSERT_TRUE(r.ok()) << r.ToString();
    ASSERT_TRUE(c->FichierExiste());
    ASSERT_TRUE(c->Fermer().ok());
    if (!existait) {
      ++creees;
      EXPECT_EQ(FindingsText(env(), c->RepertoireHote(), d.fichier), "");
    }
  }
  EXPECT_GT(creees, 10);
}

TEST_F(ModuleDonnees, MissingMessageTableCreatedOnOpenThenLeftAlone) {
  Composant& m = dm["tblMessage"];
  ASSERT_TRUE(OuvrirTable(m, dialogs).ok());
  EXPECT_EQ(m.NombreChamps(), 12);
  EXPECT_EQ(m.ChampsIndexCourant(), (std::vector<int>{5}));  // read through MessageDate
  ASSERT_TRUE(m.Fermer().ok());
  auto before = fs::last_write_time(t.file("Administration/Message.DB"));
  std::string bytes = testutil::ReadFile(t.file("Administration/Message.DB"));
  ASSERT_TRUE(OuvrirTable(m, dialogs).ok());
  EXPECT_EQ(testutil::ReadFile(t.file("Administration/Message.DB")), bytes);
  EXPECT_EQ(fs::last_write_time(t.file("Administration/Message.DB")), before);
  EXPECT_TRUE(dialogs.shown().empty());

  // A table that is not created when missing is reported by OuvrirTable.
  EXPECT_FALSE(OuvrirTable(dm["tblClient"], dialogs).ok());
  EXPECT_FALSE(fs::exists(t.file("Administration/CLIENT.DB")));
  EXPECT_EQ(dialogs.Texts("information").size(), 1u);
}

TEST_F(ModuleDonnees, UneOuvertureLitLaTableQueSonGestionnaireAVerifieeEtRienDePlusAncien) {
  // Through a counting Env: the layout check's table is the one the component
  // reads, so a current table's files are opened once, not twice.
  bench::ShareEnv share(env());
  share.SetSleeping(false);
  HostPaths h(&share);
  TDM d(session, h, dialogs);
  Composant& m = d["tblMessage"];
  ASSERT_TRUE(OuvrirTable(m, dialogs).ok());  // created
  ASSERT_TRUE(m.Fermer().ok());
  share.ResetCounts();
  std::unique_ptr<pdx::Table> seule;
  ASSERT_TRUE(pdx::Table::Open(&share, Dir("Administration"), "Message.DB", &seule).ok());
  const uint64_t ouvertures = share.count(bench::ShareEnv::kOpen);
  seule.reset();
  share.ResetCounts();
  ASSERT_TRUE(OuvrirTable(m, dialogs).ok());
  EXPECT_EQ(share.count(bench::ShareEnv::kOpen), ouvertures);
  EXPECT_EQ(m.NombreEnregistrements(), 0u);
  ASSERT_TRUE(m.Fermer().ok());

  // A row written by another writer between two opens is seen by the next.
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Open(env(), Dir("Administration"), "Message.DB", {}, &w).ok());
    std::vector<Value> v(static_cast<size_t>(w->info().fields.size()));
    v[0] = Value::Int(1);
    v[1] = Value::Int(7);
    ASSERT_TRUE(w->Insert(v).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  ASSERT_TRUE(OuvrirTable(m, dialogs).ok());
  EXPECT_EQ(m.NombreEnregistrements(), 1u);
  ASSERT_TRUE(m.Fermer().ok());
  // A failed handler leaves nothing behind for the next open.
  m.avantOuverture = [](Composant&) { return pdx::Status::IOError("refused"); };
  EXPECT_FALSE(m.Ouvrir().ok());
  EXPECT_FALSE(m.Actif());
}

// An open table's writer writes where its rows were read, even when the
// named database is pointed elsewhere meanwhile, and the directory is not
// converted again (a look on the share each time).
TEST_F(ModuleDonnees, UneTableOuverteSEcritLaOuElleAEteLue) {
  Composant& m = dm["tblMessage"];
  ASSERT_TRUE(OuvrirTable(m, dialogs).ok());  // created in Administration
  ASSERT_TRUE(m.Fermer().ok());
  fs::create_directories(t.file("Autre"));
  Create("Autre", m.Def());

  bench::ShareEnv share(env());
  share.SetSleeping(false);
  HostPaths h(&share);
  TDM d(session, h, dialogs);
  Composant& c = d["tblMessage"];
  ASSERT_TRUE(OuvrirTable(c, dialogs).ok());
  session.SetAlias(kAliasAdministration, t.path() + "\\Autre");
  share.ResetCounts();
  EXPECT_EQ(c.RepertoireHote(), Dir("Administration"));
  EXPECT_EQ(share.count(bench::ShareEnv::kExists), 0u);
  pdx::TableWriter* w = nullptr;
  ASSERT_TRUE(c.Ecrivain(&w).ok());
  std::vector<Value> v(static_cast<size_t>(w->info().fields.size()));
  v[0] = Value::Int(1);
  v[1] = Value::Int(7);
  ASSERT_TRUE(w->Insert(v).ok());
  ASSERT_TRUE(c.Fermer().ok());
  EXPECT_EQ(Rows("Administration", "Message.DB").size(), 1u);
  EXPECT_TRUE(Rows("Autre", "Message.DB").empty());
  // Closed, it follows the named database again.
  EXPECT_EQ(c.RepertoireHote(), Dir("Autre"));
  EXPECT_TRUE(c.FichierExiste());
}

// Two tables of one database looked for in one listing: their opens take
// that directory and listing (no look, no listing again); a missing one
// leaves nothing behind for a later open.
TEST_F(ModuleDonnees, DeuxTablesChercheesDansUneSeuleListe) {
  bench::ShareEnv share(env());
  share.SetSleeping(false);
  HostPaths h(&share);
  TDM d(session, h, dialogs);
  Composant& piece = d["tblDocument"];
  Composant& ligne = d["tblLigne"];
  Create("Dossiers", piece.Def());
  EXPECT_FALSE(Composant::FichiersPresents({&piece, &ligne}));
  EXPECT_EQ(piece.ListingIndique(), nullptr);
  Create("Dossiers", ligne.Def());

  share.ResetCounts();
  piece.RepertoireHote();
  const uint64_t conversion = share.count(bench::ShareEnv::kExists);
  share.ResetCounts();
  ASSERT_TRUE(Composant::FichiersPresents({&piece, &ligne}));
  ASSERT_NE(piece.ListingIndique(), nullptr);
  ASSERT_TRUE(OuvrirTable(piece, dialogs).ok());
  ASSERT_TRUE(OuvrirTable(ligne, dialogs).ok());
  EXPECT_EQ(share.count(bench::ShareEnv::kList), 1u);
  EXPECT_EQ(share.count(bench::ShareEnv::kExists), conversion);  // the directory converted once
  EXPECT_EQ(piece.RepertoireHote(), Dir("Dossiers"));
  ASSERT_TRUE(piece.Fermer().ok());
  ASSERT_TRUE(ligne.Fermer().ok());
  // Used once: the next open lists the directory again.
  EXPECT_EQ(piece.ListingIndique(), nullptr);
  share.ResetCounts();
  ASSERT_TRUE(OuvrirTable(piece, dialogs).ok());
  EXPECT_EQ(share.count(bench::ShareEnv::kList), 1u);
  ASSERT_TRUE(piece.Fermer().ok());
  // Left for an open that does not come, it does not outlive a move of the database.
  ASSERT_TRUE(Composant::FichiersPresents({&piece}));
  session.SetAlias(kAliasDossiers, t.path() + "\\Administration");
  EXPECT_EQ(piece.ListingIndique(), nullptr);
  EXPECT_EQ(piece.RepertoireHote(), Dir("Administration"));
}

TEST_F(ModuleDonnees, DeblocageIndexReplaced) {
  TableDef old = *TrouverTable(kAliasAdministration, "DeblocageTauxMarge.DB");
  old.index = {{"DossierNumero", {"DossierNumero"}}};
  Create("Administration", old);
  {
    auto tb = Open("Administration", old.fichier);
    EXPECT_EQ(IndexDuFichier(tb->info()), (std::vector<std::string>{"DossierNumero"}));
  }
  ASSERT_TRUE(OuvrirTable(dm["tblDeblocageTauxMarge"], dialogs).ok());
  EXPECT_TRUE(dm["tblDeblocageTauxMarge"].Fermer().ok());
  auto tb = Open("Administration", old.fichier);
  EXPECT_EQ(IndexDuFichier(tb->info()), (std::vector<std::string>{"AgenceNumero"}));
  EXPECT_EQ(FindingsText(env(), Dir("Administration"), old.fichier), "");
  // Without the old index: untouched.
  std::string bytes = testutil::ReadFile(t.file("Administration/DeblocageTauxMarge.DB"));
  ASSERT_TRUE(OuvrirTable(dm["tblDeblocageTauxMarge"], dialogs).ok());
  EXPECT_EQ(testutil::ReadFile(t.file("Administration/DeblocageTauxMarge.DB")), bytes);
}

TEST_F(ModuleDonnees, CatalogueOpensAndRebuildsFns) {
  for (const auto& d : Dictionnaire())
    if (d.alias == kAliasTarifs) {
      TableDef def = d;
      if (def.fichier == "TARIF.DB") def.index.clear();  // Fns missing
      Create("Tarifs", def);
    }
  EXPECT_TRUE(dm.OuvrirTablesCatalogue().ok());
  EXPECT_TRUE(dialogs.shown().empty());
  for (const auto& n : TablesCatalogue()) EXPECT_TRUE(dm[n].Actif()) << n;
  auto tb = Open("Tarifs", "TARIF.DB");
  EXPECT_EQ(IndexDuFichier(tb->info()), (std::vector<std::string>{"Fns"}));
  EXPECT_TRUE(dm.FermerTablesCatalogue().ok());
  for (const auto& n : TablesCatalogue()) EXPECT_FALSE(dm[n].Actif()) << n;

  // A damaged Fns is rebuilt the same way.
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Open(env(), Dir("Tarifs"), "TARIF.DB", {}, &w).ok());
    ASSERT_TRUE(w->Insert({Value::Int(1), Value::Text("VZ"), Value::Text("01"), Value::Text("GX"), Value::Text("A")}).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  std::string xg;
  for (const auto& e : fs::directory_iterator(t.file("Tarifs")))
    if (FoldCase(e.path().filename().string()) == "tarif.xg0") xg = e.path().string();
  ASSERT_FALSE(xg.empty());
  std::string junk = testutil::ReadFile(xg);
  for (size_t i = 0; i < junk.size(); i += 7) junk[i] = '\xAB';
  testutil::WriteFile(xg, junk);
  EXPECT_TRUE(dm.OuvrirTablesCatalogue().ok());
  EXPECT_TRUE(dialogs.shown().empty());
  bool found = false;
  ASSERT_TRUE(ChercherParCle(dm["tblProduitFns"], dialogs, {Value::Text("GX"), Value::Int(1)}, &found).ok());
  EXPECT_TRUE(found);
  EXPECT_TRUE(dm.FermerTablesCatalogue().ok());
  EXPECT_EQ(FindingsText(env(), Dir("Tarifs"), "TARIF.DB"), "");

  // A missing table is reported and skipped; the others still open.
  fs::remove(t.file("Tarifs/HM.DB"));
  EXPECT_FALSE(dm.OuvrirTablesCatalogue().ok());
  EXPECT_EQ(dialogs.Texts("information"),
            (std::vector<std::string>{"Impossible d'ouvrir la table : HM.DB\nDans le répertoire : " + t.path() +
                                      "\\Tarifs"}));
  EXPECT_FALSE(dm["tblHM"].Actif());
  EXPECT_TRUE(dm["tblTarifFournisseur"].Actif());
}

TEST_F(ModuleDonnees, DossierPostsReachTheDiskAtOnce) {
  Create("Dossiers", *TrouverTable(kAliasDossiers, "DOSSIER.DB"));
  Composant& d = dm["tblDossier"];
  ASSERT_TRUE(OuvrirTable(d, dialogs).ok());
  ASSERT_TRUE(d.Inserer().ok());
  ASSERT_TRUE(EcrireChamp(d, "Numero", "D0001").ok());
  ASSERT_TRUE(EcrireChamp(d, "Client", "C1").ok());
  ASSERT_TRUE(EcrireChamp(d, "Date", "15/03/2024").ok());
  EXPECT_TRUE(EcrireChamp(d, "Etat", "x").IsInvalidArgument());
  EXPECT_TRUE(EcrireChamp(d, "Agent", "ABC").IsInvalidArgument());  // A2
  ASSERT_TRUE(d.Valider().ok());
  auto rows = Rows("Dossiers", "DOSSIER.DB");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "D0001");
  EXPECT_EQ(rows[0][2], std::to_string(static_cast<int>(DayNumber(2024, 3, 15))));
  // Not for other tables: a supplier posted stays pending until the close.
  Create("Administration", *TrouverTable(kAliasAdministration, "FOURNIS.DB"));
  Composant& f = dm["tblFournisseur"];
  ASSERT_TRUE(OuvrirTable(f, dialogs).ok());
  ASSERT_TRUE(f.Inserer().ok());
  ASSERT_TRUE(EcrireChamp(f, "Code", "GX").ok());
  ASSERT_TRUE(f.Valider().ok());
  EXPECT_TRUE(Rows("Administration", "FOURNIS.DB").empty());
  ASSERT_TRUE(f.Fermer().ok());
  EXPECT_EQ(Rows("Administration", "FOURNIS.DB").size(), 1u);
}

TEST_F(ModuleDonnees, EditingDeletingAndKeyRoutines) {
  Create("Administration", *TrouverTable(kAliasAdministration, "REMISES.DB"));
  Composant& r = dm["tblRemise"];
  r.DefinirLectureSeule(false);
  ASSERT_TRUE(OuvrirTable(r, dialogs).ok());
  struct Row {
    int type;
    const char* four;
    const char* client;
  };
  for (Row x : {Row{2, "GX", ""}, Row{2, "GX", "C1"}, Row{2, "AB", ""}, Row{3, "GX", ""}, Row{32500, "GX", ""}}) {
    ASSERT_TRUE(r.Inserer().ok());
    ASSERT_TRUE(r.FixerValeur("Type", Value::Int(x.type)).ok());
    ASSERT_TRUE(r.FixerValeur("Fournisseur", Value::Text(x.four)).ok());
    if (*x.client) {
      ASSERT_TRUE(r.FixerValeur("Client", Value::Text(x.client)).ok());
    }
    ASSERT_TRUE(r.FixerValeur("TypeGroupe", Value::Int(0)).ok());
    ASSERT_TRUE(r.FixerValeur("R1", Value::Double(10)).ok());
    ASSERT_TRUE(r.Valider().ok());
  }
  auto count = [&](std::vector<Value> key) {
    bool any = false;
    pdx::Status st = FiltrerTable(r, dialogs, key, &any);
    EXPECT_TRUE(st.ok()) << st.ToString();
    int n = 0;
    for (; !r.Fin(); ++n) EXPECT_TRUE(r.Suivant().ok());
    EXPECT_EQ(any, n > 0);
    return n;
  };
  EXPECT_EQ(count({}), 4);  // 32500 is above 32000
  EXPECT_EQ(count({Value::Int(2)}), 3);
  EXPECT_EQ(count({Value::Int(2), Value::Text("GX")}), 2);
  EXPECT_EQ(count({Value::Int(4)}), 0);

  r.AnnulerPlage();
  bool found = false;
  ASSERT_TRUE(ChercherParCle(r, dialogs, {Value::Int(2), Value::Text("GX"), Value::Text("C1")}, &found).ok());
  ASSERT_TRUE(found);
  ASSERT_TRUE(r.Editer().ok());
  ASSERT_TRUE(EcrireChamp(r, "R2", "2,5").ok());
  ASSERT_TRUE(r.Valider().ok());
  ASSERT_TRUE(ChercherParCle(r, dialogs, {Value::Int(2), Value::Text("GX"), Value::Text("C1")}, &found).ok());
  std::string v;
  ASSERT_TRUE(LireChamp(r, "R2", &v).ok());
  EXPECT_EQ(v, "2.5");

  bool gone = false;
  ASSERT_TRUE(SupprimerParCle(r, {Value::Int(3)}, &gone).ok());
  EXPECT_TRUE(gone);
  ASSERT_TRUE(SupprimerParCle(r, {Value::Int(3)}, &gone).ok());
  EXPECT_FALSE(gone);
  EXPECT_EQ(count({}), 3);

  // Deleting while walking: each deletion moves to the next row.
  ASSERT_TRUE(FiltrerTable(r, dialogs, {Value::Int(2)}, &found).ok());
  while (!r.Fin()) ASSERT_TRUE(r.Supprimer().ok());
  EXPECT_EQ(count({}), 0);
  ASSERT_TRUE(r.Fermer().ok());
  EXPECT_EQ(Rows("Administration", "REMISES.DB").size(), 1u);  // the 32500 row

  // Read-only components refuse changes.
  Composant& a = dm["tblAgence"];
  Create("Administration", *TrouverTable(kAliasAdministration, "Agence.DB"));
  ASSERT_TRUE(OuvrirTable(a, dialogs).ok());
  EXPECT_TRUE(a.Inserer().IsInvalidArgument());
}

TEST_F(ModuleDonnees, TextRangeUpperBound) {
  Create("Administration", *TrouverTable(kAliasAdministration, "CLIENT.DB"));
  Composant& c = dm["tblClient"];
  ASSERT_TRUE(OuvrirTable(c, dialogs).ok());
  for (const char* code : {"A1", "ZZZZZZZ", "ZZZZZZZZ", "ZZZZZZZA"}) {
    ASSERT_TRUE(c.Inserer().ok());
    ASSERT_TRUE(EcrireChamp(c, "Code", code).ok());
    ASSERT_TRUE(c.Valider().ok());
  }
  bool any = false;
  ASSERT_TRUE(FiltrerTable(c, dialogs, {}, &any).ok());
  std::vector<std::string> codes;
  while (!c.Fin()) {
    std::string s;
    ASSERT_TRUE(LireChamp(c, 1, &s).ok());
    codes.push_back(s);
    ASSERT_TRUE(c.Suivant().ok());
  }
  EXPECT_EQ(codes, (std::vector<std::string>{"A1", "ZZZZZZZ"}));
}

TEST_F(ModuleDonnees, CopyByPositionAndCreateWhenMissing) {
  // Two layouts with the same types in another order of names.
  TableDef a;
  a.fichier = "A.DB";
  a.alias = kAliasAdministration;
  a.champs = ChampsDepuisTexte("Code A10, Nom A30, Ville A40, N S");
  a.cle = {"Code"};
  TableDef b = a;
  b.fichier = "B.DB";
  b.champs = ChampsDepuisTexte("Cle A10, Ville A30, Nom A40");
  Create("Administration", a);
  Create("Administration", b);
  Contexte ctx{&session, &host};
  Composant src(ctx, a, {"src"}), dst(ctx, b, {"dst"});
  ASSERT_TRUE(src.Ouvrir().ok());
  ASSERT_TRUE(dst.Ouvrir().ok());
  ASSERT_TRUE(src.InsererOuRemplacer({Value::Text("K1"), Value::Text("Martin"), Value::Text("Lyon"), Value::Int(4)}, 4).ok());
  ASSERT_TRUE(src.InsererOuRemplacer({Value::Text("K2"), Value::Text("Durand"), Value::Text("Nîmes")}, 3).ok());
  ASSERT_TRUE(dst.InsererOuRemplacer({Value::Text("K2"), Value::Text("old"), Value::Text("old")}, 3).ok());
  ASSERT_TRUE(src.Premier().ok());
  ASSERT_TRUE(CopierEnregistrement(src, dst, true).ok());   // K1: inserted
  ASSERT_TRUE(src.Suivant().ok());
  ASSERT_TRUE(CopierEnregistrement(src, dst, false).ok());  // K2: updated, source deleted
  ASSERT_TRUE(src.Fermer().ok());
  ASSERT_TRUE(dst.Fermer().ok());
  EXPECT_EQ(Rows("Administration", "B.DB"),
            (std::vector<std::vector<std::string>>{{"K1", "Martin", "Lyon"}, {"K2", "Durand", "Nîmes"}}));
  EXPECT_EQ(Rows("Administration", "A.DB").size(), 1u);

  // From a memory table, with conversion to the target's types.
  MemTable m("rxmdEssai", ChampsDepuisTexte("Code A10, Nom A30, Ville A40"));
  ASSERT_TRUE(m.Append({Value::Text("K3"), Value::Text("Petit"), Value::Text("Albi")}).ok());
  ASSERT_TRUE(dst.Ouvrir().ok());
  ASSERT_TRUE(CopierEnregistrement(m, 0, dst, false).ok());
  EXPECT_TRUE(m.empty());
  ASSERT_TRUE(dst.Fermer().ok());
  EXPECT_EQ(Rows("Administration", "B.DB").size(), 3u);

  // Perso.DB created in another named database from the component alone.
  fs::create_directories(t.file("Agence"));
  session.SetAlias("Agence", t.path() + "\\Agence");
  std::unique_ptr<Composant> nouveau;
  ASSERT_TRUE(CreerTableSiAbsente(dm["tblPerso"], "Agence", ctx, &nouveau).ok());
  ASSERT_TRUE(nouveau);
  EXPECT_EQ(nouveau->Alias(), "Agence");
  ASSERT_TRUE(nouveau->Ouvrir().ok());
  EXPECT_EQ(nouveau->NombreChamps(), 11);
  EXPECT_EQ(nouveau->table()->info().keyFieldCount, 5);
  ASSERT_TRUE(CreerTableSiAbsente(dm["tblPerso"], "Agence", ctx, &nouveau).ok());
  EXPECT_FALSE(nouveau);
}

TEST_F(ModuleDonnees, VatRatesFromTheTable) {
  Create("Administration", *TrouverTable(kAliasAdministration, "Tva.DB"));
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Open(env(), Dir("Administration"), "Tva.DB", {}, &w).ok());
    double now = DayNumber(2025, 6, 1);
    ASSERT_TRUE(w->Insert({Value::Int(1), Value::Int(1), Value::Double(now - 10), Value::Double(now + 10), Value::Double(20)}).ok());
    ASSERT_TRUE(w->Insert({Value::Int(2), Value::Int(2), Value::Double(now - 10), Value::Double(now - 1), Value::Double(7)}).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  SourceTauxTvaTable src(dm["tblTva"], dialogs);
  ParametresGeneraux p;
  ASSERT_TRUE(ChargerTauxTva(src, DayNumber(2025, 6, 1), &p).ok());
  EXPECT_EQ(p.tva[1].value, Fixed::FromInt(20));
  EXPECT_EQ(p.tva[2].value, Fixed::FromRaw(55000));
}

}  // namespace
}  // namespace corv

namespace corv {
namespace {

TEST_F(ModuleDonnees, WindowComponentsShareTheHandlers) {
  EXPECT_EQ(dm.NouveauComposant("_tblAgence", ""), nullptr);
  EXPECT_EQ(dm.Table("_tblAgence"), nullptr);
  auto own = dm.NouveauComposant("_tblAgence", "TFicheNettoyageClients");
  ASSERT_NE(own, nullptr);
  EXPECT_TRUE(own->LectureSeule());
  // An agency table at its 15-field layout is brought up to date by the window's own component.
  TableDef old = *TrouverTable(kAliasAdministration, "Agence.DB");
  old.champs.resize(15);
  Create("Administration", old);
  ASSERT_TRUE(OuvrirTable(*own, dialogs).ok());
  EXPECT_EQ(own->NombreChamps(), 24);
  EXPECT_FALSE(dm["tblAgence"].Actif());

  // Re-pointing the named database moves the component to the agency's file.
  ASSERT_TRUE(own->Fermer().ok());
  fs::create_directories(t.file("Lyon/Administration"));
  ASSERT_TRUE(ChangerRepertoireBase(session, kAliasAdministration, "Administration", t.file("Lyon")).ok());
  EXPECT_FALSE(OuvrirTable(*own, dialogs).ok());
  EXPECT_EQ(dialogs.Texts("information").back(), "Impossible d'ouvrir la table : Agence.DB\nDans le répertoire : " +
                                                      t.file("Lyon") + "\\Administration\\");
}

}  // namespace
}  // namespace corv

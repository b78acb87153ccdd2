// Files at older layouts brought to the current one by the data module's open.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "data/creation.h"
#include "data/dm.h"
#include "data/fonctions_bd.h"
#include "support/fault_env.h"
#include "support/scripted_dialogs.h"
#include "support/table_check.h"
#include "support/test_util.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

// What "pdx check" finds in a table ("" when clean).
using testutil::FindingsText;
using pdx::Value;

class MajTable : public ::testing::Test {
 protected:
  MajTable() {
    for (const char* d : {"Administration", "Dossiers"}) {
      fs::create_directories(t.file(d));
      session.SetAlias(std::string("Quintrel") + d, t.path() + "\\" + d);
    }
  }
  // An older layout: the first n fields of the current one, then adjustments.
  TableDef Old(const char* alias, const char* file, size_t n) {
    TableDef d = *TrouverTable(alias, file);
    d.champs.resize(n);
    return d;
  }
  void Fill(const char* dir, const TableDef& d, const std::vector<std::vector<Value>>& rows) {
    ASSERT_TRUE(CreerFichier(pdx::Env::Default(), t.file(dir), d).ok());
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), t.file(dir), d.fichier, {}, &w).ok());
    for (const auto& r : rows) {
      pdx::Status s = w->Insert(r);
      ASSERT_TRUE(s.ok()) << s.ToString();
    }
    ASSERT_TRUE(w->Close().ok());
  }
  std::unique_ptr<pdx::Table> Read(const char* dir, const std::string& file) {
    std::unique_ptr<pdx::Table> tb;
    EXPECT_TRUE(pdx::Table::Open(pdx::Env::Default(), t.file(dir), file, &tb).ok());
    return tb;
  }
  testutil::TempDir t;
  Session session;
  HostPaths host{pdx::Env::Default()};
  testutil::ScriptedDialogs dialogs;
  TDM dm{session, host, dialogs};
};

TEST_F(MajTable, ClientFromFortyNineFieldsInOneOpen) {
  TableDef old = Old(kAliasAdministration, "CLIENT.DB", 49);
  old.champs[0].taille = 7;
  old.champs[13].taille = 30;  // Mail
  old.champs[36].taille = 2;   // LivraisonCode
  old.champs[39].nom = "Ferme";
  std::vector<std::vector<Value>> rows;
  for (int i = 0; i < 300; ++i) {
    std::vector<Value> r(49);
    r[0] = Value::Text("C" + std::to_string(1000 + i));
    r[1] = Value::Text("Société " + std::to_string(i));
    r[3] = Value::Text(std::string(static_cast<size_t>(i % 50), 'm'));  // memo
    r[13] = Value::Text("a@b.fr");
    r[36] = Value::Text("L1");
    r[39] = Value::Int(i % 3);
    r[47] = Value::Double(2.5);
    rows.push_back(r);
  }
  Fill("Administration", old, rows);

  Composant& c = dm["tblClient"];
  ASSERT_TRUE(OuvrirTable(c, dialogs).ok()) << dialogs.Texts("information")[0];
  EXPECT_EQ(c.NombreChamps(), 80);
  EXPECT_EQ(c.NombreEnregistrements(), 300u);
  ASSERT_TRUE(c.Fermer().ok());
  auto tb = Read("Administration", "CLIENT.DB");
  EXPECT_EQ(ChampsDuFichier(tb->info()), TrouverTable(kAliasAdministration, "CLIENT.DB")->champs);
  auto got = testutil::ReadRows(pdx::Env::Default(), t.file("Administration"), "CLIENT.DB");
  ASSERT_EQ(got.size(), 300u);
  for (size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i][0], "C" + std::to_string(1000 + i));
    EXPECT_EQ(got[i][3], i % 50 ? std::string(i % 50, 'm') : "<blank>");
    EXPECT_EQ(got[i][39], std::to_string(i % 3));
    EXPECT_EQ(got[i][47], "2.5");
    for (int z : {53, 58, 60, 63}) EXPECT_EQ(got[i][static_cast<size_t>(z)], "0") << z;  // MargeDebloque, Costume, FlagAccord, Type
    EXPECT_EQ(got[i][49], "<blank>");  // FraisDePort
    EXPECT_EQ(got[i][79], "<blank>");  // DateMaj
  }
  EXPECT_EQ(FindingsText(pdx::Env::Default(), t.file("Administration"), "CLIENT.DB"), "");
  EXPECT_FALSE(fs::exists(t.file("Administration/.cvmaj-CLIENT")));

  // A second open changes nothing.
  std::string bytes = testutil::ReadFile(t.file("Administration/CLIENT.DB"));
  ASSERT_TRUE(OuvrirTable(c, dialogs).ok());
  ASSERT_TRUE(c.Fermer().ok());
  EXPECT_EQ(testutil::ReadFile(t.file("Administration/CLIENT.DB")), bytes);
}

TEST_F(MajTable, TypeChangesAndSecondaryIndexesFollow) {
  // FOURNIS.DB at 50 fields with Franco still a number.
  TableDef f = Old(kAliasAdministration, "FOURNIS.DB", 50);
  f.champs[46] = {"Franco", pdx::FieldType::kNumber, 0};
  Fill("Administration", f, {{Value::Text("GX"), Value::Text("Fournisseur X")}, {Value::Text("AB")}});
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), t.file("Administration"), "FOURNIS.DB", {}, &w).ok());
    std::vector<Value> r;
    ASSERT_TRUE(w->Get(w->Rows()[1], &r).ok());
    r[46] = Value::Double(150);
    ASSERT_TRUE(w->Update(w->Rows()[1], r).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  ASSERT_TRUE(OuvrirTable(dm["tblFournisseur"], dialogs).ok());
  EXPECT_TRUE(dm["tblFournisseur"].Fermer().ok());
  auto rows = testutil::ReadRows(pdx::Env::Default(), t.file("Administration"), "FOURNIS.DB");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][0], "GX");
  EXPECT_EQ(rows[1][46], "150");
  EXPECT_EQ(rows[0][46], "<blank>");
  EXPECT_EQ(Read("Administration", "FOURNIS.DB")->info().fields.size(), 54u);

  // Message.DB at 7 fields keeps its MessageDate index over the widened label.
  TableDef m = Old(kAliasAdministration, "Message.DB", 7);
  m.champs[3].taille = 50;
  Fill("Administration", m,
       {{Value::Int(0), Value::Int(1), Value::Int(1), Value::Text("Bonjour"), Value::Double(45000), Value::Int(70000)},
        {Value::Int(5), Value::Int(2), Value::Int(1), Value::Text("Tarifs"), Value::Double(45100)}});
  Composant& msg = dm["tblMessage"];
  ASSERT_TRUE(OuvrirTable(msg, dialogs).ok());
  EXPECT_EQ(msg.NombreChamps(), 12);
  EXPECT_EQ(msg.NombreEnregistrements(), 2u);
  EXPECT_TRUE(msg.Fermer().ok());
  auto tb = Read("Administration", "Message.DB");
  EXPECT_EQ(IndexDuFichier(tb->info()), (std::vector<std::string>{"MessageDate"}));
  EXPECT_EQ(tb->info().fields[3].size, 255);
  EXPECT_EQ(FindingsText(pdx::Env::Default(), t.file("Administration"), "Message.DB"), "");

  // LIGNE.DB at 49 fields: Plus becomes a number, Tva and NumeroUnique appended.
  TableDef l = Old(kAliasDossiers, "LIGNE.DB", 49);
  l.champs[22].type = pdx::FieldType::kShort;
  std::vector<Value> lr(49);
  lr[0] = Value::Text("D1");
  lr[1] = Value::Int(0);
  lr[2] = Value::Int(1);
  lr[22] = Value::Int(-7);
  Fill("Dossiers", l, {lr});
  ASSERT_TRUE(OuvrirTable(dm["tblLigne"], dialogs).ok());
  EXPECT_TRUE(dm["tblLigne"].Fermer().ok());
  auto lrows = testutil::ReadRows(pdx::Env::Default(), t.file("Dossiers"), "LIGNE.DB");
  ASSERT_EQ(lrows.size(), 1u);
  EXPECT_EQ(lrows[0][22], "-7");
  EXPECT_EQ(Read("Dossiers", "LIGNE.DB")->info().fields[22].type, pdx::FieldType::kNumber);
  EXPECT_EQ(Read("Dossiers", "LIGNE.DB")->info().fields.size(), 51u);
}

TEST_F(MajTable, AFailedUpgradeLeavesTheTableAsItWas) {
  TableDef old = Old(kAliasAdministration, "REMISES.DB", 7);
  Fill("Administration", old, {{Value::Int(2), Value::Text("GX"), Value::Text(""), Value::Int(0), Value::Text(""), Value::Double(10)}});
  std::string db = testutil::ReadFile(t.file("Administration/REMISES.DB"));
  std::string px = testutil::ReadFile(t.file("Administration/REMISES.PX"));

  pdx::FaultEnv faults(pdx::Env::Default());
  HostPaths failing(&faults);
  TDM dm2(session, failing, dialogs);
  // Every write of the upgrade in turn fails: the table stays as it was.
  int failures = 0;
  for (int n = 1; n <= 200; ++n) {
    faults.Reset();
    faults.FailNth(pdx::FaultEnv::Op::kWrite, n);
    pdx::Status s = dm2["tblRemise"].Ouvrir();
    dm2["tblRemise"].Fermer().IgnoreError();  // the open under a failing write is what is tested
    if (s.ok()) break;
    ++failures;
    EXPECT_NE(s.message().find("REMISES"), std::string::npos) << s.ToString();
    EXPECT_EQ(testutil::ReadFile(t.file("Administration/REMISES.DB")), db) << "write " << n;
    EXPECT_EQ(testutil::ReadFile(t.file("Administration/REMISES.PX")), px) << "write " << n;
  }
  EXPECT_GE(failures, 1);
  faults.Reset();
  pdx::Status last = dm2["tblRemise"].Ouvrir();
  ASSERT_TRUE(last.ok()) << last.ToString() << " after " << failures << " failures";
  EXPECT_EQ(dm2["tblRemise"].NombreChamps(), 8);
  EXPECT_EQ(dm2["tblRemise"].NombreEnregistrements(), 1u);
}


// A crash at any moment of an upgrade that both adds fields and assigns zeros:
// the next open always ends with the new layout AND its zeros, never the new
// layout with the assigned fields left blank.
TEST_F(MajTable, ACrashAnywhereNeverLeavesTheNewFieldsWithoutTheirZeros) {
  TableDef old = Old(kAliasAdministration, "CLIENT.DB", 49);
  std::vector<std::vector<Value>> rows;
  for (int i = 0; i < 5; ++i) {
    std::vector<Value> r(49);
    r[0] = Value::Text("C" + std::to_string(i));
    r[3] = Value::Text("note " + std::to_string(i));
    rows.push_back(r);
  }
  Fill("Administration", old, rows);
  const std::string admin = t.file("Administration");
  std::map<std::string, std::string> saved;
  for (const auto& e : fs::directory_iterator(admin)) saved[e.path().filename().string()] = testutil::ReadFile(e.path().string());

  pdx::FaultEnv faults(pdx::Env::Default());
  HostPaths crashing(&faults);
  int crashes = 0;
  for (int n = 1; n <= 400; ++n) {
    SCOPED_TRACE("crash at operation " + std::to_string(n));
    for (const auto& e : fs::directory_iterator(admin)) fs::remove(e.path());
    for (const auto& [name, bytes] : saved) testutil::WriteFile(admin + "/" + name, bytes);
    faults.Reset();
    faults.CrashAt(n);
    {
      TDM dying(session, crashing, dialogs);
      // Killed midway: what these leave on disk is what the checks below look at.
      dying["tblClient"].Ouvrir().IgnoreError();
      dying["tblClient"].Fermer().IgnoreError();
    }
    bool crashed = faults.crashed();
    TDM after(session, host, dialogs);
    pdx::Status s = after["tblClient"].Ouvrir();
    ASSERT_TRUE(s.ok()) << s.ToString();
    EXPECT_EQ(after["tblClient"].NombreChamps(), 80);
    EXPECT_TRUE(after["tblClient"].Fermer().ok());
    auto got = testutil::ReadRows(pdx::Env::Default(), admin, "CLIENT.DB");
    ASSERT_EQ(got.size(), 5u);
    for (const auto& r : got)
      for (int z : {53, 58, 60, 63}) ASSERT_EQ(r[static_cast<size_t>(z)], "0") << "field " << z + 1;
    if (!crashed) break;
    ++crashes;
  }
  EXPECT_GE(crashes, 3);
}
}  // namespace
}  // namespace corv

namespace corv {
namespace {

// A value of a field's type for row i (key fields stay distinct).
Value Sample(const ChampDef& c, int i) {
  switch (c.type) {
    case pdx::FieldType::kAlpha: return Value::Text(("K" + std::to_string(i)).substr(0, static_cast<size_t>(c.taille)));
    case pdx::FieldType::kShort: case pdx::FieldType::kLong: return Value::Int(i);
    case pdx::FieldType::kNumber: case pdx::FieldType::kMoney: return Value::Double(i + 0.5);
    case pdx::FieldType::kDate: return Value::Double(45000 + i);
    case pdx::FieldType::kMemo: return Value::Text("memo " + std::to_string(i));
    default: return Value::Blank();
  }
}

TEST_F(MajTable, EveryTableWithRulesFromItsOldestFieldCount) {
  fs::create_directories(t.file("Tarifs"));
  session.SetAlias(kAliasTarifs, t.path() + "\\Tarifs");
  int tables = 0;
  for (const auto& d : Dictionnaire()) {
    size_t oldest = d.champs.size();
    for (const auto& r : d.regles)
      for (const auto& c : r.si)
        if (c.sorte == ConditionMaj::Sorte::kNombre) oldest = std::min(oldest, static_cast<size_t>(c.valeurs[0]));
    if (oldest == d.champs.size() || d.composants[0].fenetre != "") continue;
    SCOPED_TRACE(d.alias + " " + d.fichier + " from " + std::to_string(oldest));
    const char* dir = d.alias == kAliasDossiers ? "Dossiers" : d.alias == kAliasTarifs ? "Tarifs" : "Administration";
    TableDef old = d;
    old.champs.resize(oldest);
    std::erase_if(old.index, [&](const IndexDef& ix) {
      for (const auto& f : ix.champs)
        if (old.NumeroChamp(f) == 0) return true;
      return false;
    });
    std::vector<std::vector<Value>> rows;
    for (int i = 1; i <= 3; ++i) {
      std::vector<Value> r;
      for (const auto& c : old.champs) r.push_back(Sample(c, i));
      rows.push_back(r);
    }
    Fill(dir, old, rows);
    Composant& c = dm[d.composants[0].nom];
    ASSERT_TRUE(c.Ouvrir().ok()) << d.composants[0].nom;
    EXPECT_EQ(c.NombreEnregistrements(), 3u);
    ASSERT_TRUE(c.Fermer().ok());
    auto tb = Read(dir, d.fichier);
    EXPECT_EQ(ChampsDuFichier(tb->info()), d.champs);
    auto got = testutil::ReadRows(pdx::Env::Default(), t.file(dir), d.fichier);
    ASSERT_EQ(got.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
      for (size_t f = 0; f < oldest; ++f)
        EXPECT_EQ(got[i][f], testutil::ValueText(rows[i][f], old.champs[f].type)) << d.champs[f].nom;
    EXPECT_EQ(FindingsText(pdx::Env::Default(), t.file(dir), d.fichier), "");
    ++tables;
  }
  EXPECT_GE(tables, 18);
}

}  // namespace
}  // namespace corv

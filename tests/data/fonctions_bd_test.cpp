#include "data/fonctions_bd.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "paradox/env_wrapper.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

TEST(ChangerRepertoireBase, BuildsRootSubdirectoryAndBackslash) {
  Session s;
  EXPECT_TRUE(ChangerRepertoireBase(s, kAliasAdministration, "Administration", "D:\\Agences\\Lyon").IsNotFound());
  s.SetAlias(kAliasAdministration, "C:\\Siege\\Administration");
  ASSERT_TRUE(ChangerRepertoireBase(s, kAliasAdministration, "Administration", "D:\\Agences\\Lyon").ok());
  EXPECT_EQ(s.Directory(kAliasAdministration), "D:\\Agences\\Lyon\\Administration\\");
  ASSERT_TRUE(ChangerRepertoireBase(s, "quintreladministration", "Administration", "D:\\Agences\\Lyon\\").ok());
  EXPECT_EQ(s.Directory(kAliasAdministration), "D:\\Agences\\Lyon\\\\Administration\\");
  EXPECT_EQ(s.size(), 1u);
  // The doubled backslash reaches the same host directory.
  testutil::TempDir t;
  fs::create_directories(t.file("Lyon/Administration"));
  HostPaths h(pdx::Env::Default());
  EXPECT_TRUE(h.DirExists(t.path() + "\\Lyon\\\\Administration\\"));
}

// The sample "country" table (keyed on Name A24) as a component of an ad hoc
// table definition.
class FonctionsBd : public ::testing::Test {
 protected:
  void SetUp() override {
    session.SetAlias("Essai", t.path() + "\\PAYS");
    if (testutil::SamplesDir().empty()) return;
    for (const char* f : {"country.db", "country.px"})
      testutil::CopyFile(testutil::SamplesDir() + "/dbdemos/" + f, t.file(std::string("Pays/") + f));
  }
  TableDef Def(const std::string& file) {
    TableDef d;
    d.fichier = file;
    d.alias = "Essai";
    d.champs = ChampsDepuisTexte("Name A24, Capital A24, Continent A24, Area N, Population N");
    d.cle = {"Name"};
    return d;
  }
  FonctionsBd() { fs::create_directories(t.file("Pays")); }
  testutil::TempDir t;
  Session session;
  HostPaths host{pdx::Env::Default()};
  Contexte ctx{&session, &host};
  testutil::ScriptedDialogs dialogs;
};

TEST_F(FonctionsBd, OuvrirTableReportsFileAndDirectory) {
  TableDef d = Def("Absent.DB");
  Composant c(ctx, d, {"tblAbsent"});
  EXPECT_FALSE(OuvrirTable(c, dialogs).ok());
  EXPECT_FALSE(c.Actif());
  EXPECT_EQ(dialogs.Texts("information"),
            (std::vector<std::string>{"Impossible d'ouvrir la table : Absent.DB\nDans le répertoire : " + t.path() +
                                      "\\PAYS"}));
  bool found = true;
  EXPECT_FALSE(ChercherParCle(c, dialogs, {pdx::Value::Text("x")}, &found).ok());
  EXPECT_FALSE(found);
}

TEST_F(FonctionsBd, RangesKeysAndFieldText) {
  REQUIRE_SAMPLES();
  TableDef d = Def("COUNTRY.DB");  // another case than on disk
  Composant c(ctx, d, {"tblPays"});
  bool ok = false;
  ASSERT_TRUE(FiltrerTable(c, dialogs, {}, &ok).ok());
  EXPECT_TRUE(c.Actif());
  EXPECT_TRUE(ok);
  int n = 0;
  while (!c.Fin()) {
    ++n;
    ASSERT_TRUE(c.Suivant().ok());
  }
  EXPECT_EQ(n, 18);

  ASSERT_TRUE(FiltrerTable(c, dialogs, {pdx::Value::Text("Canada")}, &ok).ok());
  ASSERT_TRUE(ok);
  std::string capital;
  ASSERT_TRUE(LireChamp(c, "capital", &capital).ok());
  EXPECT_EQ(capital, "Ottawa");
  ASSERT_TRUE(c.Suivant().ok());
  EXPECT_TRUE(c.Fin());
  ASSERT_TRUE(FiltrerTable(c, dialogs, {pdx::Value::Text("Atlantis")}, &ok).ok());
  EXPECT_FALSE(ok);

  // A key search stays inside the range in force.
  bool found = true;
  ASSERT_TRUE(ChercherParCle(c, dialogs, {pdx::Value::Text("Brazil")}, &found).ok());
  EXPECT_FALSE(found);
  c.AnnulerPlage();
  ASSERT_TRUE(ChercherParCle(c, dialogs, {pdx::Value::Text("Brazil")}, &found).ok());
  ASSERT_TRUE(found);
  std::string v;
  ASSERT_TRUE(LireChamp(c, 2, &v).ok());
  EXPECT_EQ(v, "Brasilia");
  ASSERT_TRUE(ChercherParCle(c, dialogs, {pdx::Value::Text("Nowhere")}, &found).ok());
  EXPECT_FALSE(found);
  EXPECT_TRUE(LireChamp(c, "Nope", &v).IsInvalidArgument());
  EXPECT_TRUE(dialogs.shown().empty());
}

// The engine's network directory ("NetDir") reaches the writer's lock check:
// its "PDOXUSRS.NET" held by the agencies' program refuses the write.
TEST_F(FonctionsBd, TheNetworkControlFileHeldRefusesTheWriter) {
  REQUIRE_SAMPLES();
  struct NetHeld : pdx::EnvWrapper {
    using EnvWrapper::EnvWrapper;
    pdx::Status ProbeFileLock(const std::string& path, pdx::LockProbe* probe) override {
      const bool net = path.size() >= 12 && path.substr(path.size() - 12) == "PDOXUSRS.NET";
      *probe = net ? pdx::LockProbe::kHeld : pdx::LockProbe::kFree;
      return pdx::Status::OK();
    }
  } env(pdx::Env::Default());
  HostPaths h(&env);
  Contexte c2{&session, &h};
  fs::create_directories(t.file("net"));
  testutil::WriteFile(t.file("net/PDOXUSRS.NET"), "x");
  pdx::TableWriter* w = nullptr;
  const TableDef d = Def("COUNTRY.DB");  // the component keeps a reference to it
  {
    Composant c(c2, d, {"tblPays"});
    ASSERT_TRUE(c.Ouvrir().ok());
    EXPECT_TRUE(c.Ecrivain(&w).ok());  // no network directory configured
  }
  session.SetNetDir(t.path() + "\\net");
  Composant c(c2, d, {"tblPays"});
  ASSERT_TRUE(c.Ouvrir().ok());
  pdx::Status s = c.Ecrivain(&w);
  EXPECT_TRUE(s.IsBusy()) << s.ToString();
  EXPECT_NE(s.message().find("PDOXUSRS.NET"), std::string::npos) << s.ToString();
}

TEST(LireChamp, MemoryTableValuesAsText) {
  MemTable m("rxmdEssai", ChampsDepuisTexte("Code A10, N S, R N, Existe L"));
  ASSERT_TRUE(m.Append({pdx::Value::Text("C1"), pdx::Value::Int(-3), pdx::Value::Double(2.5), pdx::Value::Bool(true)}).ok());
  std::string s;
  ASSERT_TRUE(LireChamp(m, 0, "n", &s).ok());
  EXPECT_EQ(s, "-3");
  ASSERT_TRUE(LireChamp(m, 0, "R", &s).ok());
  EXPECT_EQ(s, "2.5");
  ASSERT_TRUE(LireChamp(m, 0, "Existe", &s).ok());
  EXPECT_EQ(s, "true");
  EXPECT_TRUE(LireChamp(m, 1, "Code", &s).IsInvalidArgument());
}

}  // namespace
}  // namespace corv

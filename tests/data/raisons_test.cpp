// A table that cannot be opened: the caller learns why from the engine's kind
// of error, while the user still sees the one information box.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/fonctions_bd.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

TEST(StatusContext, KeepsTheKindAndPutsTheContextFirst) {
  pdx::Status s = pdx::Status::Busy("table X: in use").WithContext("opening X of agency 12");
  EXPECT_TRUE(s.IsBusy());
  EXPECT_EQ(s.message(), "opening X of agency 12: table X: in use");
  EXPECT_TRUE(pdx::Status::Corruption("bad").WithContext("c").IsCorruption());
  EXPECT_TRUE(pdx::Status::NotFound("gone").WithContext("c").IsNotFound());
  EXPECT_TRUE(pdx::Status::OK().WithContext("c").ok());
  EXPECT_EQ(pdx::Status::OK().WithContext("c").message(), "");
}

class Raisons : public ::testing::Test {
 protected:
  Raisons() {
    fs::create_directories(t.file("Pays"));
    session.SetAlias("Essai", t.path() + "\\PAYS");
  }
  TableDef Def(const std::string& file) {
    TableDef d;
    d.fichier = file;
    d.alias = "Essai";
    d.champs = ChampsDepuisTexte("Name A24, Capital A24");
    d.cle = {"Name"};
    return d;
  }
  testutil::TempDir t;
  Session session;
  HostPaths host{pdx::Env::Default()};
  Contexte ctx{&session, &host};
  testutil::ScriptedDialogs dialogs;
};

TEST_F(Raisons, MissingAndDamagedTablesAreToldApart) {
  const TableDef defAbsent = Def("Absent.DB");  // a component keeps a reference
  Composant absent(ctx, defAbsent, {"tblAbsent"});
  pdx::Status raison = OuvrirTable(absent, dialogs);
  EXPECT_TRUE(raison.IsNotFound()) << raison.ToString();
  bool nonVide = true;
  pdx::Status s = FiltrerTable(absent, dialogs, {}, &nonVide);
  EXPECT_TRUE(s.IsNotFound()) << s.ToString();
  EXPECT_EQ(s.message().rfind("Absent.DB : la table ne peut pas être ouverte: ", 0), 0u) << s.message();
  EXPECT_FALSE(nonVide);

  testutil::WriteFile(t.file("Pays/Abime.DB"), std::string(3000, '\x7f'));
  const TableDef defAbime = Def("Abime.DB");
  Composant abime(ctx, defAbime, {"tblAbime"});
  raison = OuvrirTable(abime, dialogs);
  EXPECT_TRUE(raison.IsCorruption()) << raison.ToString();
  bool trouve = true;
  s = ChercherParCle(abime, dialogs, {pdx::Value::Text("x")}, &trouve);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
  EXPECT_FALSE(trouve);
  // The user sees the same box for each.
  EXPECT_EQ(dialogs.Texts("information").size(), 4u);
}

}  // namespace
}  // namespace corv

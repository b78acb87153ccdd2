#include "data/application.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/configuration.h"
#include "data/creation.h"
#include "data/demarrage.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

TEST(Application, StartsFromTheConfigurationBesideTheExecutable) {
  testutil::TempDir t;
  for (const char* d : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj"})
    fs::create_directories(t.file(std::string("data/") + d));
  fs::create_directories(t.file("bin"));
  testutil::WriteFile(t.file("bin/qvrbde.ini"), "[Alias]\r\nQuintrel=" + t.file("data") + "\r\n");
  for (const auto& d : Dictionnaire())
    if (d.alias == kAliasTarifs) {
      ASSERT_TRUE(CreerFichier(pdx::Env::Default(), t.file("data/Tarifs"), d).ok());
    }
  testutil::ScriptedDialogs dialogs;
  Application app(pdx::Env::Default(), t.file("bin/Corvanes"), dialogs);
  EXPECT_EQ(app.dm(), nullptr);
  ASSERT_TRUE(app.Demarrer().ok());
  ASSERT_NE(app.dm(), nullptr);
  EXPECT_EQ(app.chemins().FichierIniCorvanes(), t.file("data") + "\\Administration\\Corvanes.ini");
  for (const auto& c : app.dm()->Composants()) EXPECT_FALSE(c->Actif()) << c->Nom();

  EXPECT_EQ(app.InitialiserFenetrePrincipale(), "Version 4.2 Build 0.2 (L) du 10/11/2023");
  // No "Tva.DB" at head office: reported once by OuvrirTable; the defaults stay.
  EXPECT_EQ(dialogs.Texts("information").size(), 1u);
  EXPECT_EQ(app.parametres().tva[1].value, Fixed::FromRaw(196000));
  EXPECT_TRUE((*app.dm())["tblProduitFns"].Actif());

  // A configuration naming a missing directory ends the start-up.
  testutil::ScriptedDialogs d2;
  Application bad(pdx::Env::Default(), t.file("bin/Corvanes"), d2);
  testutil::WriteFile(t.file("other.ini"), "[Alias]\r\nQuintrel=" + t.file("none") + "\r\n");
  pdx::Status s = bad.Demarrer(t.file("other.ini"));
  EXPECT_TRUE(s.IsNotFound()) << s.ToString();
  EXPECT_EQ(bad.dm(), nullptr);
  EXPECT_TRUE(d2.shown().empty()) << "the program shows the failure, once";
  SignalerEchecDemarrage(s, d2);
  EXPECT_EQ(d2.Texts("warning").size(), 1u);
}

TEST(Configuration, TransferOptionsAndImportPeriod) {
  IniFile empty;
  OptionsTransfertRemise o = LireOptionsTransfertRemise(empty, kSectionRemiseAchat);
  EXPECT_TRUE(o.suppressionRemisesAgence);
  EXPECT_TRUE(o.ajoutFournisseursSansRemises);
  EXPECT_FALSE(o.inclureFournisseursZoneLibre);
  EXPECT_FALSE(o.afficherInfosDetaillees);
  EXPECT_EQ(LirePeriodeImport(empty), 0);

  IniFile ini = IniFile::FromText(
      "[TransfertRemiseVente]\nSuppressionRemisesAgence=0\nInclureFournisseursZoneLibre=-1\n[Client]\nPeriode=6\n");
  o = LireOptionsTransfertRemise(ini, kSectionRemiseVente);
  EXPECT_FALSE(o.suppressionRemisesAgence);
  EXPECT_TRUE(o.inclureFournisseursZoneLibre);
  EXPECT_TRUE(LireOptionsTransfertRemise(ini, kSectionRemiseAchat).suppressionRemisesAgence);
  EXPECT_EQ(LirePeriodeImport(ini), 6);
  o.afficherInfosDetaillees = true;
  EcrireOptionsTransfertRemise(ini, kSectionRemiseAchat, o);
  EXPECT_TRUE(LireOptionsTransfertRemise(IniFile::FromText(ini.ToText()), kSectionRemiseAchat).afficherInfosDetaillees);
}

}  // namespace
}  // namespace corv

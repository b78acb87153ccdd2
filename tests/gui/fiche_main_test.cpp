#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <filesystem>

#include "forms/fiche_main.h"
#include "gui_support.h"
#include "util/ini.h"

namespace guitest {
namespace {

using corv::TFicheMainCorvane;

namespace fs = std::filesystem;

TEST(FicheMain, LayoutCaptionsAndVersion) {
  Installation inst;
  TFicheMainCorvane w(inst.app());
  EXPECT_EQ(w.windowTitle(), "Corvanes");
  EXPECT_EQ(w.size(), QSize(708, 793));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());  // not resizable
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
  auto* panel = Trouver<QWidget>(&w, "Panel1");
  EXPECT_EQ(panel->geometry(), QRect(8, 8, 681, 729));
  struct T {
    const char *img, *lb, *texte;
    QRect r;
  } tuiles[] = {{"imgAgence", "lbAgence", "AGENCE", {20, 20, 640, 100}},
                {"imgTransfertRemiseAchat", "lbTransfertRemiseAchat", "TRANSFERT DES CONDITIONS D'ACHAT", {20, 140, 200, 100}},
                {"imgTransfertRemiseVente", "lbTransfertRemiseVente", "TRANSFERT DES CONDITIONS DE VENTE", {240, 140, 200, 100}},
                {"imgTransfertPerso", "lbTransfertPerso", "TRANSFERT DES PERSONNALISATIONS", {460, 140, 200, 100}},
                {"imgTransfertMessagerie", "lbTransfertMessagerie", "TRANSFERT DE LA MESSAGERIE", {20, 260, 200, 100}},
                {"imgTransfertDocument", "lbTransfertDocument", "TRANSFERT DES DOCUMENTS", {240, 260, 200, 100}},
                {"imgNettoyageClient", "lbNettoyageClients", "NETTOYAGE DES CLIENTS", {460, 260, 200, 100}},
                {"imgStats", "lbStats", "STATISTIQUES", {20, 373, 640, 100}},
                {"imgImpression", "lImpression", "CONFIGURATION DE L'IMPRESSION", {20, 485, 640, 100}}};
  for (const T& t : tuiles) {
    auto* img = Trouver<QLabel>(&w, t.img);
    auto* lb = Trouver<QLabel>(&w, t.lb);
    if (!img || !lb) continue;
    EXPECT_EQ(img->geometry(), t.r) << t.img;
    QImage pix = img->pixmap().toImage();
    EXPECT_EQ(pix.pixelColor(5, 5), QColor(42, 114, 194)) << t.img;
    EXPECT_EQ(lb->text(), QString::fromUtf8(t.texte));
    EXPECT_TRUE(lb->font().bold());
    EXPECT_EQ(lb->font().pixelSize(), 15);
    EXPECT_EQ(lb->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_TRUE(t.r.contains(lb->geometry())) << t.lb;  // the caption sits on its picture
  }
  EXPECT_EQ(Trouver<QLabel>(&w, "LabelVersion")->text(), "Version 4.2 Build 0.2 (L) du 10/11/2023");
  // The catalogue tables were opened at construction.
  EXPECT_TRUE((*inst.app().dm())["tblProduitFns"].Actif());
}

TEST(FicheMain, CaptionAndBlueAroundOpenTheSameWindow) {
  Installation inst;
  TFicheMainCorvane w(inst.app());
  w.show();
  ModalesEnregistrees modales([](QDialog&) { return 0; });
  auto* img = Trouver<QLabel>(&w, "imgTransfertRemiseAchat");
  auto* lb = Trouver<QLabel>(&w, "lbTransfertRemiseAchat");
  QTest::mouseClick(lb, Qt::LeftButton, {}, lb->rect().center());
  QTest::mouseClick(img, Qt::LeftButton, {}, QPoint(3, 3));  // the blue corner, outside the caption
  auto* vente = Trouver<QLabel>(&w, "imgTransfertRemiseVente");
  QTest::mouseClick(vente, Qt::LeftButton, {}, QPoint(3, 3));
  auto* stats = Trouver<QLabel>(&w, "lbStats");
  stats->setFocus();
  QTest::keyClick(stats, Qt::Key_Return);  // the keyboard runs a tile too
  ASSERT_EQ(modales.vues().size(), 4u);
  EXPECT_EQ(modales.vues()[0].objet, "TFicheCopieRemiseAchatVersAgence");
  EXPECT_EQ(modales.vues()[0].titre, "Copie des Remises Achat vers les agences");
  EXPECT_EQ(modales.vues()[1].titre, modales.vues()[0].titre);
  EXPECT_EQ(modales.vues()[2].titre, "Copie des Remises Vente vers les agences");
  EXPECT_EQ(modales.vues()[3].titre, "Statistiques");
  // The tiles are back where they were after the press effect.
  EXPECT_EQ(img->geometry(), QRect(20, 140, 200, 100));
  EXPECT_TRUE(inst.dialogs().shown().empty());
}

TEST(FicheMain, AgencyTileOpensTheAgencyCard) {
  Installation inst;
  TFicheMainCorvane w(inst.app());
  w.show();
  ModalesEnregistrees modales([&](QDialog& d) {
    d.show();
    Evenements();
    inst.dialogs().AnswerYes(false);  // closing: do not save
    return 0;
  });
  auto* lb = Trouver<QLabel>(&w, "lbAgence");
  QTest::mouseClick(lb, Qt::LeftButton, {}, lb->rect().center());
  ASSERT_EQ(modales.vues().size(), 1u);
  EXPECT_EQ(modales.vues()[0].objet, "FicheAgence");
  EXPECT_EQ(modales.vues()[0].titre, "Fiche Agence");
}

TEST(FicheMain, PrintTileWithoutModuleLeavesTheExchangeFileAndShowsNothing) {
  Installation inst;
  testutil::TempDir tmp;
  const char* avant = getenv("TMPDIR");
  std::string ancien = avant ? avant : "";
  setenv("TMPDIR", tmp.path().c_str(), 1);
  {
    TFicheMainCorvane w(inst.app());
    w.show();
    inst.dialogs().Clear();
    auto* img = Trouver<QLabel>(&w, "imgImpression");
    QTest::mouseClick(img, Qt::LeftButton, {}, QPoint(3, 3));
  }
  if (avant) setenv("TMPDIR", ancien.c_str(), 1);
  else unsetenv("TMPDIR");
  EXPECT_TRUE(inst.dialogs().shown().empty());
  std::vector<fs::path> fichiers;
  for (const auto& e : fs::directory_iterator(tmp.path())) fichiers.push_back(e.path());
  ASSERT_EQ(fichiers.size(), 1u);
  EXPECT_EQ(fichiers[0].filename().string().substr(0, 3), "kzt");
  corv::IniFile ini;
  ASSERT_TRUE(corv::IniFile::Load(pdx::Env::Default(), fichiers[0].string(), &ini).ok());
  EXPECT_TRUE(ini.HasKey("Configuration", "Agence"));
  EXPECT_EQ(ini.ReadString("Configuration", "Agence", "x"), "x");  // present and empty
  EXPECT_TRUE(ini.HasKey("Configuration", "Utilisateur"));
  EXPECT_TRUE(ini.ReadBool("Droits", "Impression_Configuration", false));
  EXPECT_TRUE(ini.HasKey("FichierXml", "Path"));
}

}  // namespace
}  // namespace guitest

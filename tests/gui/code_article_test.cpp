// The article-code window, run offscreen on a small demo installation.
#include <gtest/gtest.h>
#include <filesystem>
#include <memory>

#include "data/application.h"
#include "data/dm.h"
#include "paradox/table.h"
#include "support/scripted_dialogs.h"
#include "gui_support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include "forms/fenetres.h"
#include "forms/fiche_code_article.h"

namespace {

using corv::TFicheCodeArticle;

class DemoCodes : public guitest::Installation {
 public:
  std::string CodeArticleDb() const { return testutil::ReadFile(Administration() + "/CodeArticle.DB"); }
  uint32_t Lignes() const {
    std::unique_ptr<pdx::Table> t;
    EXPECT_TRUE(pdx::Table::Open(pdx::Env::Default(), Administration(), "CodeArticle.DB", &t).ok());
    return t ? t->info().recordCount : 0;
  }
};

struct Fenetre {
  explicit Fenetre(DemoCodes& d) : f(*d.app().dm(), d.app().host(), d.dialogs()) {
    f.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
    grille = f.findChild<QTableWidget*>("sgCodes");
    EXPECT_NE(grille, nullptr);
  }
  QLineEdit* Ed(const char* champ) {
    auto* e = f.findChild<QLineEdit*>(QString("ed") + champ);
    EXPECT_NE(e, nullptr) << champ;
    return e;
  }
  void Cliquer(const char* bouton) {
    auto* b = f.findChild<QPushButton*>(bouton);
    ASSERT_NE(b, nullptr) << bouton;
    ASSERT_TRUE(b->isEnabled()) << bouton;
    QTest::mouseClick(b, Qt::LeftButton);
  }
  QString Cellule(int r, int c) { return grille->item(r, c) ? grille->item(r, c)->text() : QString(); }
  TFicheCodeArticle f;
  QTableWidget* grille = nullptr;
};

TEST(FicheCodeArticle, GridAndEdits) {
  DemoCodes demo;
  Fenetre w(demo);
  EXPECT_EQ(w.f.windowTitle(), "Gestion des Codes Article");
  const int n = static_cast<int>(demo.Lignes());
  ASSERT_GT(n, 0);
  ASSERT_EQ(w.grille->rowCount(), n);
  ASSERT_EQ(w.grille->columnCount(), 14);
  EXPECT_EQ(w.grille->horizontalHeaderItem(3)->text(), "Modèle");
  EXPECT_EQ(w.f.findChild<QLabel*>("lbNombre")->text(), QString::number(n) + " codes article");
  // Sorted by key, the first row selected and shown in the edits.
  for (int r = 1; r < n; ++r) EXPECT_LE(w.Cellule(r - 1, 0), w.Cellule(r, 0));
  EXPECT_EQ(w.f.LigneCourante(), 0);
  EXPECT_EQ(w.Ed("Fournisseur")->text(), w.Cellule(0, 0));
  EXPECT_EQ(w.Ed("CodeArticle")->text(), w.Cellule(0, 6));
  EXPECT_EQ(w.Ed("Famille")->maxLength(), 2);

  // A new row from the edits.
  w.Ed("Fournisseur")->setText("AA");
  w.Ed("Tarif")->setText("09");
  w.Ed("CodeArticle")->setText("NEUF");
  w.Cliquer("btnAjouter");
  ASSERT_EQ(w.grille->rowCount(), n + 1);
  EXPECT_EQ(w.f.LigneCourante(), 0);
  EXPECT_EQ(w.Cellule(0, 6), "NEUF");
  EXPECT_EQ(demo.Lignes(), static_cast<uint32_t>(n + 1));

  // The same key again: refused with a clear message, nothing changes.
  w.Cliquer("btnAjouter");
  ASSERT_EQ(demo.dialogs().Texts("error").size(), 1u);
  EXPECT_NE(demo.dialogs().Texts("error")[0].find("existe déjà"), std::string::npos);
  EXPECT_EQ(w.grille->rowCount(), n + 1);

  // Changed in place.
  w.Ed("Libelle")->setText("Libellé changé");
  w.Cliquer("btnModifier");
  EXPECT_EQ(w.Cellule(0, 7), "Libellé changé");
  EXPECT_EQ(w.Cellule(0, 0), "AA");

  // Deleted after confirmation only.
  demo.dialogs().AnswerYes(false);
  w.Cliquer("btnSupprimer");
  EXPECT_EQ(w.grille->rowCount(), n + 1);
  demo.dialogs().AnswerYes(true);
  w.Cliquer("btnSupprimer");
  EXPECT_EQ(w.grille->rowCount(), n);
  EXPECT_NE(w.Cellule(0, 0), "AA");
  EXPECT_EQ(demo.Lignes(), static_cast<uint32_t>(n));
  EXPECT_EQ(w.f.LigneCourante(), 0);

  w.Cliquer("btnFermer");
  EXPECT_FALSE(w.f.isVisible());
  EXPECT_TRUE((*demo.app().dm())["tblCodeArticle"].LectureSeule());
}

TEST(FicheCodeArticle, ExportAndImportThroughTheChosenDirectory) {
  DemoCodes demo;
  Fenetre w(demo);
  const int n = w.grille->rowCount();
  testutil::TempDir dir;

  demo.dialogs().AnswerText(dir.path());
  w.Cliquer("btnExporter");
  std::string csv = testutil::ReadFile(dir.file("export_code_article.csv"));
  EXPECT_EQ(csv.rfind("Fournisseur;Groupe;Famille;Modele;Tarif;", 0), 0u);
  EXPECT_EQ(demo.dialogs().Texts("directory").size(), 1u);

  // Cancelling the chooser does nothing.
  demo.dialogs().AnswerText("", true);
  w.Cliquer("btnImporter");
  EXPECT_TRUE(demo.dialogs().Texts("error").empty());

  // A bad line: nothing written, the grid unchanged.
  const std::string avant = demo.CodeArticleDb();
  testutil::WriteFile(dir.file("import_code_article.csv"),
                      "Fournisseur;Groupe;Famille;Modele;Tarif;CodeArticle\r\nZZ;1;FE;A1;01;X\r\nZZ;1;FE;A1;02;"
                      "X\r\nZZ;un;FE;A1;03;X\r\n");
  demo.dialogs().AnswerText(dir.path());
  w.Cliquer("btnImporter");
  ASSERT_EQ(demo.dialogs().Texts("error").size(), 1u);
  EXPECT_NE(demo.dialogs().Texts("error")[0].find("Ligne 4, champ « Groupe »"), std::string::npos);
  EXPECT_EQ(demo.CodeArticleDb(), avant);
  EXPECT_EQ(w.grille->rowCount(), n);

  testutil::WriteFile(dir.file("import_code_article.csv"),
                      "Fournisseur;Groupe;Famille;Modele;Tarif;CodeArticle\r\nZZ;1;FE;A1;01;X\r\nZZ;1;FE;A1;02;X\r\n");
  demo.dialogs().AnswerText(dir.path());
  w.Cliquer("btnImporter");
  EXPECT_EQ(demo.dialogs().Texts("information").back(), "Importation terminée : 0 code article remplacé, 2 ajoutés.");
  EXPECT_EQ(w.grille->rowCount(), n + 2);
  EXPECT_EQ(w.Cellule(n, 0), "ZZ");
}

TEST(FicheCodeArticle, MissingTableLeavesOnlyClosing) {
  DemoCodes demo;
  std::filesystem::remove(demo.Administration() + "/CodeArticle.DB");
  Fenetre w(demo);
  EXPECT_EQ(demo.dialogs().Texts("information").size(), 1u) << "the table that could not be opened";
  EXPECT_FALSE(w.f.findChild<QPushButton*>("btnAjouter")->isEnabled());
  EXPECT_FALSE(w.f.findChild<QPushButton*>("btnImporter")->isEnabled());
  EXPECT_TRUE(w.f.findChild<QPushButton*>("btnFermer")->isEnabled());
}

}  // namespace

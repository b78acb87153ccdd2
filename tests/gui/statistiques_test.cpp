// The statistics window on the demo installation: each tab's rows against the
// core's list of the same run, sorting by a clicked column, the details of the
// selected row, the export against corvanes-batch's, the period, the controls
// during a search and the layout rules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <set>

#include "forms/champ_date.h"
#include "forms/fenetres_taches.h"
#include "forms/fiche_statistique.h"
#include "forms/liste_rapport.h"
#include "forms/onglet_statistique.h"
#include "forms/qt_dialogs.h"
#include "gui_support.h"
#include "support/classeur_lu.h"
#include "stats/classeur.h"
#include "stats/collecte.h"
#include "stats/export.h"
#include "util/dates.h"

namespace guitest {
namespace {

namespace fs = std::filesystem;
using corv::Calcul;
using corv::ListeStat;
using corv::OngletStatistique;
using corv::TFicheStatistiqueAgence;
using V = std::vector<std::string>;

// The list the core gives for a run of that computation, sorted by column 0.
ListeStat ListeDuCoeur(corv::Application& app, Calcul calcul, corv::Periode periode = {}) {
  corv::OptionsStatistiques o;
  o.calcul = calcul;
  o.periode = periode;
  corv::NullRunReport report;
  corv::ResultatStatistiques r;
  EXPECT_TRUE(corv::CollecterStatistiques(app, report, o, &r).ok());
  return corv::ListePour(r);
}

V Textes(const corv::LigneStat& l) {
  V t{l.libelle};
  t.insert(t.end(), l.cellules.begin(), l.cellules.end());
  return t;
}

std::vector<V> Lignes(corv::ListeRapport* lw) {
  std::vector<V> v;
  for (int i = 0; i < lw->topLevelItemCount(); ++i) v.push_back(lw->Textes(i));
  return v;
}

std::vector<V> Lignes(const std::vector<corv::LigneStat>& lignes) {
  std::vector<V> v;
  for (const auto& l : lignes) v.push_back(Textes(l));
  return v;
}

void Rechercher(TFicheStatistiqueAgence& f, OngletStatistique* o) {
  f.PageControl->setCurrentWidget(o);
  QTest::mouseClick(o->btnRechercher, Qt::LeftButton);
  f.AttendreFin();
}

void CliquerColonne(corv::ListeRapport* lw, int colonne) {
  QHeaderView* h = lw->header();
  lw->scrollToItem(lw->topLevelItem(0));
  h->setOffset(0);
  QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                    QPoint(h->sectionViewportPosition(colonne) + h->sectionSize(colonne) / 2, h->height() / 2));
}

void CliquerLigne(corv::ListeRapport* lw, int ligne) {
  QTreeWidgetItem* item = lw->topLevelItem(ligne);
  ASSERT_NE(item, nullptr);
  QRect r = lw->visualItemRect(item);
  QTest::mouseClick(lw->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 10, r.center().y()));
}

int Ligne(corv::ListeRapport* lw, const std::string& libelle) {
  for (int i = 0; i < lw->topLevelItemCount(); ++i)
    if (lw->topLevelItem(i)->text(0).toStdString() == libelle) return i;
  return -1;
}

class Statistiques : public ::testing::Test {
 protected:
  Statistiques() : f(inst.app()) {
    f.DefinirParallele(2);
    f.show();
    Evenements();
  }
  Installation inst;
  TFicheStatistiqueAgence f;
};

TEST_F(Statistiques, EachTabShowsTheCoreRowsThenTotalWithTheWaitCursor) {
  EXPECT_EQ(f.windowTitle(), "Statistiques");
  EXPECT_EQ(f.PageControl->currentWidget(), f.tsStatsCommunes);
  EXPECT_EQ(f.PageControl->tabText(0), "Stats des agences");
  EXPECT_EQ(f.PageControl->tabText(1), "Stats achats/ventes");
  EXPECT_EQ(f.PageControl->tabText(2), "Stats des fournisseurs");
  for (Calcul c : {Calcul::kAgences, Calcul::kAchats, Calcul::kFournisseurs}) {
    SCOPED_TRACE(static_cast<int>(c));
    OngletStatistique* o = f.Onglet(c);
    Rechercher(f, o);
    const ListeStat attendu = ListeDuCoeur(inst.app(), c);
    EXPECT_EQ(Lignes(o->lwListe), Lignes(attendu.lignes));
    ASSERT_GE(o->lwListe->topLevelItemCount(), 2);
    EXPECT_EQ(o->lwListe->Textes(o->lwListe->topLevelItemCount() - 1)[0], "TOTAL");
    QTreeWidgetItem* h = o->lwListe->headerItem();
    ASSERT_EQ(h->columnCount(), static_cast<int>(attendu.colonnes.size()));
    for (int k = 0; k < h->columnCount(); ++k)
      EXPECT_EQ(h->text(k).toStdString(), attendu.colonnes[static_cast<size_t>(k)]);
    // Report style: first column to the left, figures to the right, whole rows.
    QTreeWidgetItem* premier = o->lwListe->topLevelItem(0);
    EXPECT_TRUE(premier->textAlignment(0) & Qt::AlignLeft);
    EXPECT_TRUE(premier->textAlignment(1) & Qt::AlignRight);
    EXPECT_EQ(o->lwListe->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(o->lwListe->editTriggers(), QAbstractItemView::NoEditTriggers);
    // No figure is cut: every column is wider than its texts.
    const QFontMetrics fm(o->lwListe->font());
    for (int k = 0; k < h->columnCount(); ++k)
      for (int i = 0; i < o->lwListe->topLevelItemCount(); ++i)
        EXPECT_GT(o->lwListe->header()->sectionSize(k), fm.horizontalAdvance(o->lwListe->topLevelItem(i)->text(k)));
  }
  // The demo's agencies with a directory (the last one has none): 4 rows + TOTAL.
  EXPECT_EQ(f.tsStatsCommunes->lwListe->topLevelItemCount(), 5);
  EXPECT_EQ(Lignes(f.tsStatsCommunes->lwListe)[1],
            (V{"Agence de Lyon", "3", "46\u00A0717,21", "1", "11\u00A0108,89", "25,00", "19,21"}));
  EXPECT_EQ(inst.dialogs().waitDepth(), 0);
  EXPECT_GE(inst.dialogs().maxWaitDepth(), 1);
  EXPECT_TRUE(inst.dialogs().shown().empty());
}

TEST_F(Statistiques, APeriodReachesTheRunAndEmptyDatesAreNoBound) {
  OngletStatistique* o = f.tsStatsCommunes;
  EXPECT_EQ(o->dtDebut->Jour(), 0);
  EXPECT_EQ(o->dtFin->Jour(), 0);
  o->dtDebut->DefinirDate(QDate(2100, 1, 1));
  EXPECT_EQ(o->dtDebut->Jour(), corv::DayNumber(2100, 1, 1));
  Rechercher(f, o);
  const V total = Lignes(o->lwListe).back();
  EXPECT_EQ(total, (V{"TOTAL", "0", "0,00", "0", "0,00", "0", "0"}));
  // Unticked again: the whole history counts.
  QTest::mouseClick(o->dtDebut->coche(), Qt::LeftButton);
  EXPECT_TRUE(o->dtDebut->Vide());
  EXPECT_FALSE(o->dtDebut->edition()->isEnabled());
  EXPECT_EQ(o->dtDebut->edition()->text(), "(aucune)");
  o->dtFin->DefinirDate(QDate(2026, 12, 31));
  Rechercher(f, o);
  EXPECT_EQ(Lignes(o->lwListe),
            Lignes(ListeDuCoeur(inst.app(), Calcul::kAgences, {0, corv::DayNumber(2026, 12, 31)}).lignes));
  EXPECT_NE(Lignes(o->lwListe).back()[1], "0");
}

TEST_F(Statistiques, AClickedColumnSortsTheListAndKeepsTheSelection) {
  corv::ListeRapport* lw = f.tsStatsCommunes->lwListe;
  Rechercher(f, f.tsStatsCommunes);
  const int lyon = Ligne(lw, "Agence de Lyon");
  ASSERT_GE(lyon, 0);
  CliquerLigne(lw, lyon);
  CliquerColonne(lw, 1);  // "Nb devis": largest first, the total at the top
  std::vector<V> l = Lignes(lw);
  EXPECT_EQ(l.front()[0], "TOTAL");
  for (size_t i = 1; i < l.size(); ++i)
    EXPECT_GE(corv::ValeurCellule(l[i - 1][1]), corv::ValeurCellule(l[i][1])) << i;
  EXPECT_EQ(lw->Textes(lw->indexOfTopLevelItem(lw->selectedItems().value(0)))[0], "Agence de Lyon");
  CliquerColonne(lw, 4);  // "Total commande HT (€)": Lyon's order ahead of the agencies without one
  l = Lignes(lw);
  EXPECT_EQ(l[0][0], "TOTAL");
  EXPECT_EQ(l[1][0], "Agence de Lyon");
  EXPECT_EQ(f.tsStatsCommunes->liste().colonneTri, 4);
  // A new search keeps the list's sort column.
  Rechercher(f, f.tsStatsCommunes);
  EXPECT_EQ(f.tsStatsCommunes->liste().colonneTri, 4);
  EXPECT_EQ(lw->header()->sortIndicatorSection(), 4);
  l = Lignes(lw);
  // Lyon's orders are all the orders: Lyon and the total lead, in either order.
  EXPECT_EQ(l[0][4], l[1][4]);
  EXPECT_EQ((std::set<std::string>{l[0][0], l[1][0]}), (std::set<std::string>{"TOTAL", "Agence de Lyon"}));
  EXPECT_EQ(corv::ValeurCellule(l[2][4]), 0);
  CliquerColonne(lw, 0);  // names ascending, the total last
  l = Lignes(lw);
  EXPECT_EQ(l.back()[0], "TOTAL");
  for (size_t i = 1; i + 1 < l.size(); ++i) EXPECT_LE(QString::compare(QString::fromStdString(l[i - 1][0]),
                                                                       QString::fromStdString(l[i][0]),
                                                                       Qt::CaseInsensitive),
                                                      0);
}

TEST_F(Statistiques, TheSelectedRowFillsTheDetailsAndTotalEmptiesThem) {
  OngletStatistique* o = f.tsStatsClients;
  Rechercher(f, o);
  auto* gb = Trouver<QGroupBox>(&f, "gbDetailAchat");
  auto* detail = Trouver<corv::ListeRapport>(&f, "lwDetailAchat");
  EXPECT_EQ(gb->title(), "Détail des achats de l'agence");
  EXPECT_EQ(detail->topLevelItemCount(), 0);
  const int lyon = Ligne(o->lwListe, "Agence de Lyon");
  ASSERT_GE(lyon, 0);
  CliquerLigne(o->lwListe, lyon);
  EXPECT_EQ(gb->title(), "Détail des achats de l'agence Agence de Lyon");
  const ListeStat& l = o->liste();
  const std::vector<V> attendu = Lignes(l.Details(static_cast<size_t>(o->lwListe->IndexSelectionne())));
  ASSERT_FALSE(attendu.empty());
  EXPECT_EQ(Lignes(detail), attendu);
  EXPECT_EQ(detail->headerItem()->text(0), "Fournisseur");
  // The detail list sorts by its own clicked column.
  CliquerColonne(detail, 2);
  const std::vector<V> triee = Lignes(detail);
  for (size_t i = 1; i < triee.size(); ++i)
    EXPECT_GE(corv::ValeurCellule(triee[i - 1][2]), corv::ValeurCellule(triee[i][2]));
  CliquerLigne(o->lwListe, o->lwListe->topLevelItemCount() - 1);  // TOTAL
  EXPECT_EQ(gb->title(), "Détail des achats de l'agence");
  EXPECT_EQ(detail->topLevelItemCount(), 0);
  CliquerLigne(o->lwListe, lyon);
  EXPECT_GT(detail->topLevelItemCount(), 0);
  o->lwListe->clearSelection();
  EXPECT_EQ(gb->title(), "Détail des achats de l'agence");
  EXPECT_EQ(detail->topLevelItemCount(), 0);

  // Suppliers: their agencies, captioned by name.
  OngletStatistique* fns = f.tsStatsFournisseurs;
  Rechercher(f, fns);
  const int zl = Ligne(fns->lwListe, "zLibre menuiserie");
  ASSERT_GE(zl, 0);
  CliquerLigne(fns->lwListe, zl);
  EXPECT_EQ(Trouver<QGroupBox>(&f, "gbDetailFns")->title(), "Détail du fournisseur zLibre menuiserie");
  const std::vector<V> agences = Lignes(Trouver<corv::ListeRapport>(&f, "lwDetailFns"));
  ASSERT_EQ(agences.size(), 1u);
  EXPECT_EQ(agences[0][0], "Agence de Lyon");
  EXPECT_EQ(agences[0][1], "4");
}

std::string Batch() { return std::string(CORVANES_BINARY_DIR) + "/corvanes-batch"; }

TEST_F(Statistiques, ExportsEqualTheCommandLinesWithAndWithoutDetails) {
  if (!fs::exists(Batch())) GTEST_SKIP() << "corvanes-batch not built at " << Batch() << " (build the target first)";
  testutil::TempDir tmp;
  struct Cas {
    Calcul calcul;
    const char* commande;
    bool details;
  };
  for (Cas c : {Cas{Calcul::kAgences, "agences", false}, Cas{Calcul::kAchats, "achats", true},
                Cas{Calcul::kAchats, "achats", false}, Cas{Calcul::kFournisseurs, "fournisseurs", true}}) {
    SCOPED_TRACE(c.commande + std::string(c.details ? " --detail" : ""));
    OngletStatistique* o = f.Onglet(c.calcul);
    Rechercher(f, o);
    inst.dialogs().Clear();
    const std::string nom = tmp.file(std::string("fenetre_") + c.commande + (c.details ? "_detail" : ""));
    if (c.calcul != Calcul::kAgences) inst.dialogs().AnswerYes(c.details);
    inst.dialogs().AnswerText(nom);  // no extension: ".csv" is added
    QTest::mouseClick(o->btnExport, Qt::LeftButton);
    const auto& vu = inst.dialogs().shown();
    size_t k = 0;
    if (c.calcul != Calcul::kAgences) {
      ASSERT_GE(vu.size(), 1u);
      EXPECT_EQ(vu[0].what, "question");
      EXPECT_EQ(vu[0].caption, "Export");
      EXPECT_EQ(vu[0].text, corv::QuestionDetail(c.calcul));
      k = 1;
    }
    ASSERT_EQ(vu.size(), k + 1);
    EXPECT_EQ(vu[k].what, "file");
    EXPECT_EQ(vu[k].text, "save Fichier csv (*.csv)|*.CSV|Classeur Excel (*.xlsx)|*.xlsx|Tout les fichiers (*.*)|*.*");
    EXPECT_TRUE(o->imgExport->isVisible());
    EXPECT_EQ(o->pbExport->value(), o->pbExport->maximum());
    EXPECT_EQ(o->pbExport->maximum(), o->lwListe->topLevelItemCount());

    const std::string ligne = tmp.file(std::string("batch_") + c.commande + (c.details ? "_detail" : "") + ".csv");
    std::string out;
    ASSERT_EQ(testutil::RunCommand("'" + Batch() + "' --ini '" + inst.app().FichierIni() + "' statistiques " +
                                       c.commande + " --csv '" + ligne + "'" + (c.details ? " --detail" : "") +
                                       " 2>&1",
                                   &out),
              0)
        << out;
    const std::string fenetre = testutil::ReadFile(nom + ".csv");
    EXPECT_EQ(fenetre, testutil::ReadFile(ligne));
    EXPECT_NE(fenetre.find("TOTAL;"), std::string::npos);
    EXPECT_EQ(fenetre.find("\r\n") != std::string::npos, true);
  }
}

TEST_F(Statistiques, ExportAsksBeforeReplacingAndDoesNothingOnAnEmptyList) {
  testutil::TempDir tmp;
  // Nothing searched yet: no question, no chooser.
  QTest::mouseClick(f.tsStatsClients->btnExport, Qt::LeftButton);
  EXPECT_TRUE(inst.dialogs().shown().empty());
  EXPECT_FALSE(f.tsStatsClients->imgExport->isVisible());

  Rechercher(f, f.tsStatsCommunes);
  const std::string chemin = tmp.file("stats.csv");
  testutil::WriteFile(chemin, "ancien");
  inst.dialogs().AnswerText(chemin);
  inst.dialogs().AnswerYes(false);  // do not replace
  QTest::mouseClick(f.tsStatsCommunes->btnExport, Qt::LeftButton);
  EXPECT_EQ(inst.dialogs().Texts("question"),
            V{"Attention, le fichier sélectionné existe déjà, voulez-vous le remplacer ?"});
  EXPECT_EQ(testutil::ReadFile(chemin), "ancien");
  EXPECT_FALSE(f.tsStatsCommunes->imgExport->isVisible());
  inst.dialogs().AnswerText(chemin);
  inst.dialogs().AnswerYes(true);
  QTest::mouseClick(f.tsStatsCommunes->btnExport, Qt::LeftButton);
  EXPECT_EQ(testutil::ReadFile(chemin).substr(0, 7), "Agence;");
  EXPECT_TRUE(f.tsStatsCommunes->imgExport->isVisible());
  // A new search hides the done mark.
  Rechercher(f, f.tsStatsCommunes);
  EXPECT_FALSE(f.tsStatsCommunes->imgExport->isVisible());
}

TEST_F(Statistiques, AWorkbookNameExportsTheListAsShownWithTotalLast) {
  if (!corv::ClasseurDisponible()) GTEST_SKIP() << "built without the workbook library";
  testutil::TempDir tmp;
  OngletStatistique* o = f.tsStatsFournisseurs;
  Rechercher(f, o);
  // Sorted on an amount: "TOTAL" comes at the top in the window.
  o->TrierListe(2);
  const std::vector<V> vues = Lignes(o->lwListe);
  ASSERT_GT(vues.size(), 2u);
  ASSERT_NE(vues.back()[0], "TOTAL");
  inst.dialogs().AnswerYes(true);  // with details
  inst.dialogs().AnswerText(tmp.file("fournisseurs.xlsx"));
  QTest::mouseClick(o->btnExport, Qt::LeftButton);
  EXPECT_TRUE(inst.dialogs().Texts("error").empty());
  EXPECT_TRUE(o->imgExport->isVisible());
  std::vector<testutil::FeuilleLue> feuilles;
  std::string erreur;
  ASSERT_TRUE(testutil::LireClasseur(tmp.file("fournisseurs.xlsx"), &feuilles, &erreur)) << erreur;
  ASSERT_EQ(feuilles.size(), 2u);
  EXPECT_EQ(feuilles[0].nom, "Stats des fournisseurs");
  EXPECT_EQ(feuilles[1].nom, "Détail du fournisseur");
  const testutil::FeuilleLue& p = feuilles[0];
  // Row 4 on: the window's rows in its order, "TOTAL" moved last, names as
  // text and every other cell a number.
  std::vector<V> attendues;
  for (const V& v : vues)
    if (v[0] != "TOTAL") attendues.push_back(v);
  for (const V& v : vues)
    if (v[0] == "TOTAL") attendues.push_back(v);
  for (size_t i = 0; i < attendues.size(); ++i) {
    const int r = 4 + static_cast<int>(i);
    ASSERT_NE(p.Cellule(r, 0), nullptr);
    EXPECT_EQ(p.Cellule(r, 0)->texte, attendues[i][0]);
    EXPECT_EQ(p.Cellule(r, 0)->gras, attendues[i][0] == "TOTAL");
    for (size_t c = 1; c < attendues[i].size(); ++c) {
      const testutil::CelluleLue* v = p.Cellule(r, static_cast<int>(c));
      ASSERT_NE(v, nullptr);
      EXPECT_TRUE(v->nombre) << attendues[i][c];
      EXPECT_DOUBLE_EQ(v->valeur, corv::ValeurCellule(attendues[i][c])) << attendues[i][c];
    }
  }
  EXPECT_EQ(p.derniereLigne, 3 + static_cast<int>(attendues.size()));
}

TEST(ChoixFichier, ANameWithoutExtensionTakesTheChosenFiltersOne) {
  const std::string filtre = corv::kFiltreExport;
  EXPECT_EQ(corv::AvecExtensionDuFiltre(filtre, 1, "/tmp/stats"), "/tmp/stats.xlsx");
  EXPECT_EQ(corv::AvecExtensionDuFiltre(filtre, 0, "/tmp/stats"), "/tmp/stats.csv");
  EXPECT_EQ(corv::AvecExtensionDuFiltre(filtre, 2, "/tmp/stats"), "/tmp/stats");  // "*.*"
  EXPECT_EQ(corv::AvecExtensionDuFiltre(filtre, 1, "/tmp/stats.csv"), "/tmp/stats.csv");
  EXPECT_EQ(corv::AvecExtensionDuFiltre(filtre, 1, "/tmp/v1.2/stats"), "/tmp/v1.2/stats.xlsx");
  EXPECT_EQ(corv::AvecExtensionDuFiltre(filtre, -1, "/tmp/stats"), "/tmp/stats");  // no filter reported
}

TEST_F(Statistiques, OneSearchAtATimeAndClosingStopsIt) {
  OngletStatistique* o = f.tsStatsClients;
  f.PageControl->setCurrentWidget(o);
  QTest::mouseClick(o->btnRechercher, Qt::LeftButton);
  // Until the run's end reaches the window, every search and export is off.
  EXPECT_TRUE(f.EnCours());
  for (Calcul c : {Calcul::kAgences, Calcul::kAchats, Calcul::kFournisseurs}) {
    EXPECT_FALSE(f.Onglet(c)->btnRechercher->isEnabled());
    EXPECT_FALSE(f.Onglet(c)->btnExport->isEnabled());
  }
  f.btnRechercherClick();  // ignored
  f.AttendreFin();
  EXPECT_FALSE(f.EnCours());
  EXPECT_TRUE(f.tsStatsCommunes->btnRechercher->isEnabled());
  EXPECT_EQ(f.tsStatsCommunes->lwListe->topLevelItemCount(), 0);
  EXPECT_GT(o->lwListe->topLevelItemCount(), 0);

  QTest::mouseClick(o->btnRechercher, Qt::LeftButton);
  f.close();  // asks the run to stop; the window closes when it has
  EXPECT_TRUE(f.isVisible());
  f.AttendreFin();
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(inst.dialogs().waitDepth(), 0);
  EXPECT_TRUE(inst.dialogs().shown().empty());
}

TEST_F(Statistiques, ATableThatCannotBeOpenedIsReportedOnTheWindowsThread) {
  // Lyon's documents are not a table any more.
  testutil::WriteFile(inst.Agence("LYO01") + "/Dossiers/PIECE.DB", std::string(100, 'x'));
  Rechercher(f, f.tsStatsCommunes);
  Evenements();
  bool vu = false;
  for (const auto& s : inst.dialogs().shown())
    if (s.text.find("PIECE") != std::string::npos) vu = true;
  EXPECT_TRUE(vu);
  const int lyon = Ligne(f.tsStatsCommunes->lwListe, "Agence de Lyon");
  ASSERT_GE(lyon, 0);
  EXPECT_EQ(f.tsStatsCommunes->lwListe->Textes(lyon)[1], "0");
}

// The layout rules of the window for its size.
void VerifierDisposition(TFicheStatistiqueAgence& f) {
  const int w = f.width(), h = f.height();
  EXPECT_EQ(f.PageControl->geometry(), QRect(8, 8, w - 16, h - 72));
  EXPECT_LE(f.btnFermer->geometry().bottom(), h);
  EXPECT_GE(f.btnFermer->y(), f.PageControl->geometry().bottom());
  for (Calcul c : {Calcul::kAgences, Calcul::kAchats, Calcul::kFournisseurs}) {
    SCOPED_TRACE(static_cast<int>(c));
    OngletStatistique* o = f.Onglet(c);
    const int tw = o->width(), th = o->height();
    const QRect liste = o->lwListe->geometry();
    EXPECT_EQ(liste.width(), c == Calcul::kAgences ? tw - 16 : tw / 3 * 2 - 2);
    const int droite = liste.x() + liste.width();
    EXPECT_EQ(o->btnRechercher->x() + o->btnRechercher->width(), droite);
    EXPECT_EQ(o->btnExport->x() + o->btnExport->width(), droite);
    EXPECT_EQ(o->btnExport->y(), th - o->btnExport->height() - o->pbExport->height() - 10);
    EXPECT_EQ(liste.height(), th - liste.y() - o->btnExport->height() - o->pbExport->height() - 16);
    EXPECT_EQ(o->pbExport->x(), o->btnExport->x());
    EXPECT_EQ(o->pbExport->y(), o->btnExport->y() + o->btnExport->height() + 2);
    EXPECT_EQ(o->imgExport->x(), o->pbExport->x() + o->pbExport->width() + 2);
    const int centre = liste.x() + liste.width() / 2;
    EXPECT_EQ(o->dtDebut->x() + o->dtDebut->width(), centre - 13);
    EXPECT_EQ(o->lbDebut->x() + o->lbDebut->width(), o->dtDebut->x() - 5);
    EXPECT_EQ(o->lbFin->x(), centre + 13);
    EXPECT_EQ(o->dtFin->x(), o->lbFin->x() + o->lbFin->width() + 5);
    // Nothing leaves the tab.
    for (QWidget* x : std::initializer_list<QWidget*>{o->lwListe, o->btnExport, o->pbExport, o->imgExport,
                                                       o->btnRechercher, o->dtDebut, o->dtFin})
      EXPECT_TRUE(o->rect().contains(x->geometry())) << x->objectName().toStdString();
    if (o->gbDetail) {
      const QRect gb = o->gbDetail->geometry();
      EXPECT_EQ(gb.x(), droite + 5);
      EXPECT_EQ(gb.width(), tw / 3 - 11);
      EXPECT_EQ(gb.height(), liste.height() + 8);
      EXPECT_TRUE(o->rect().contains(gb));
      EXPECT_FALSE(gb.intersects(liste));
    }
    EXPECT_FALSE(liste.intersects(o->btnExport->geometry()));
    EXPECT_FALSE(o->btnRechercher->geometry().intersects(liste));
    EXPECT_FALSE(o->imgExport->geometry().intersects(o->btnExport->geometry()));
  }
}

TEST_F(Statistiques, LayoutAtTheMinimumSizeAndALargerOne) {
  f.resize(900, 300);  // below the minimum: held at 1300 x 500
  Evenements();
  EXPECT_EQ(f.size(), QSize(1300, 500));
  for (int i = 0; i < 3; ++i) {
    f.PageControl->setCurrentIndex(i);
    Evenements();
  }
  VerifierDisposition(f);
  f.resize(1700, 950);
  Evenements();
  EXPECT_EQ(f.size(), QSize(1700, 950));
  VerifierDisposition(f);
}

TEST_F(Statistiques, TheMainMenuCreatesIt) {
  std::unique_ptr<QDialog> d = corv::CreerFenetreTache("TFicheStatistiqueAgence", inst.app(), nullptr);
  ASSERT_NE(dynamic_cast<TFicheStatistiqueAgence*>(d.get()), nullptr);
  EXPECT_EQ(d->windowTitle(), "Statistiques");
  EXPECT_GE(d->minimumWidth(), 1300);
  EXPECT_GE(d->minimumHeight(), 500);
}

}  // namespace
}  // namespace guitest

// The statistics workbook read back: every cell's value and type against the
// list, the formats, the frozen header, the bold "TOTAL", the detail sheet, the
// names and a failure that leaves the old file whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>

#include "demo/generateur.h"
#include "stats/classeur.h"
#include "stats/collecte.h"
#include "stats/export.h"
#include "support/classeur_lu.h"
#include "support/fault_env.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"
#include "util/dates.h"

namespace {

using corv::LigneStat;
using corv::ListeStat;
using testutil::CelluleLue;
using testutil::FeuilleLue;

const std::string kNbsp = "\xC2\xA0";

// A purchase list as the window shows it: grouped amounts, a negative margin,
// a ratio not computed ("0"), accents and an apostrophe in the names.
ListeStat Liste() {
  ListeStat l;
  l.calcul = corv::Calcul::kAchats;
  l.colonnes = {"Agence", "Nb produits vendus", "Total produits vendus HT (€)", "Coef de marge (%)",
                "Marge brut (€)"};
  l.colonnesDetail = {"Fournisseur", "Nb produits vendus", "Total produits vendus HT (€)", "Coef de marge (%)",
                      "Marge brut (€)"};
  l.periode.debut = corv::DayNumber(2026, 1, 1);
  l.periode.fin = corv::DayNumber(2026, 12, 31);
  LigneStat lyon{"Agence de Lyon", {"1234", "1" + kNbsp + "234" + kNbsp + "567,89", "12,50", "-3,07"}, false, {}};
  lyon.details = {{"Zinc & Cie", {"34", "4,00", "0", "0,00"}, false, {}},
                  {"L'Alu Atlantique", {"1200", "1" + kNbsp + "234" + kNbsp + "563,89", "12,51", "-3,07"}, false, {}}};
  LigneStat nimes{"Agence de Nîmes", {"0", "0,00", "0", "0,00"}, false, {}};
  LigneStat total{"TOTAL", {"1234", "1" + kNbsp + "234" + kNbsp + "567,89", "12,50", "-3,07"}, true, {}};
  l.lignes = {lyon, nimes, total};
  return l;
}

// The number a list shows, read here without the program's own parser.
double Nombre(std::string t) {
  std::string s;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t.compare(i, 2, kNbsp) == 0) {
      ++i;
      continue;
    }
    s.push_back(t[i] == ',' ? '.' : t[i]);
  }
  return std::strtod(s.c_str(), nullptr);
}

// One row of a sheet against the texts of the list: leading captions as text,
// then each cell as a number whose format matches how the list writes it.
void VerifierLigne(const FeuilleLue& f, int ligne, const std::vector<std::string>& textes, size_t captions,
                   bool gras) {
  for (size_t c = 0; c < textes.size(); ++c) {
    SCOPED_TRACE(f.nom + " row " + std::to_string(ligne) + " column " + std::to_string(c) + " \"" + textes[c] + "\"");
    const CelluleLue* v = f.Cellule(ligne, static_cast<int>(c));
    if (c < captions && textes[c].empty()) {
      EXPECT_TRUE(v == nullptr || (!v->nombre && v->texte.empty()));
      continue;
    }
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->gras, gras);
    if (c < captions) {
      EXPECT_FALSE(v->nombre);
      EXPECT_EQ(v->texte, textes[c]);
      continue;
    }
    ASSERT_TRUE(v->nombre);
    EXPECT_DOUBLE_EQ(v->valeur, Nombre(textes[c]));
    // "0" of a ratio not computed stays an integer, like the counts.
    EXPECT_EQ(v->format, textes[c].find(',') == std::string::npos ? "0" : "#,##0.00");
  }
}

void VerifierPeriode(const FeuilleLue& f, const corv::Periode& p) {
  ASSERT_NE(f.Cellule(0, 0), nullptr);
  EXPECT_EQ(f.Cellule(0, 0)->texte, "Début");
  EXPECT_EQ(f.Cellule(1, 0)->texte, "Fin");
  const double jours[] = {p.debut, p.fin};
  for (int r = 0; r < 2; ++r) {
    const CelluleLue* d = f.Cellule(r, 1);
    if (jours[r] == 0) {
      EXPECT_EQ(d, nullptr);
      continue;
    }
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->nombre);
    EXPECT_EQ(d->format, "dd/mm/yyyy");
    EXPECT_EQ(d->valeur, jours[r]);
  }
}

// Built with -DCORVANES_XLSX=OFF there is no workbook to read.
#define REQUIRE_XLSX()                                                                  \
  do {                                                                                  \
    if (!corv::ClasseurDisponible()) GTEST_SKIP() << "built without the workbook library"; \
  } while (0)

std::vector<FeuilleLue> Lire(const std::string& path) {
  std::vector<FeuilleLue> f;
  std::string erreur;
  EXPECT_TRUE(testutil::LireClasseur(path, &f, &erreur)) << erreur;
  return f;
}

TEST(ClasseurTest, EveryCellHoldsTheListsValueAsANumberWithItsFormat) {
  REQUIRE_XLSX();
  testutil::TempDir tmp;
  ListeStat l = Liste();
  // As the window shows it sorted on an amount: "TOTAL" first.
  std::rotate(l.lignes.begin(), l.lignes.begin() + 2, l.lignes.end());
  ASSERT_TRUE(l.lignes[0].total);
  std::vector<std::pair<int, int>> progres;
  ASSERT_TRUE(corv::EcrireClasseur(pdx::Env::Default(), tmp.file("s.xlsx"), l, true,
                                   [&](int k, int n) { progres.push_back({k, n}); })
                  .ok());
  EXPECT_EQ(progres, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  const std::vector<FeuilleLue> f = Lire(tmp.file("s.xlsx"));
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].nom, "Stats achats-ventes");
  EXPECT_EQ(f[1].nom, "Détail des achats de l'agence");

  // Main sheet: period, header on row 4 (frozen with the names), rows, TOTAL last.
  const FeuilleLue& p = f[0];
  VerifierPeriode(p, l.periode);
  VerifierLigne(p, 3, l.colonnes, l.colonnes.size(), true);
  EXPECT_EQ(p.lignesFigees, 4);
  EXPECT_EQ(p.colonnesFigees, 1);
  // The list's order, "TOTAL" moved last.
  const LigneStat* ordre[] = {&l.lignes[1], &l.lignes[2], &l.lignes[0]};
  for (int i = 0; i < 3; ++i) {
    std::vector<std::string> textes = {ordre[i]->libelle};
    textes.insert(textes.end(), ordre[i]->cellules.begin(), ordre[i]->cellules.end());
    VerifierLigne(p, 4 + i, textes, 1, ordre[i]->total);
  }
  EXPECT_EQ(p.Cellule(6, 0)->texte, "TOTAL");
  EXPECT_EQ(p.derniereLigne, 4 + 2);
  // Widths fit the longest text of each column (the names, the grouped amounts)
  // and at least the longest word of the header.
  EXPECT_GE(p.largeurs.at(0), 17.0);  // "Agence de Nîmes" and a margin
  EXPECT_GE(p.largeurs.at(2), 13.0);  // "1 234 567,89" and a margin
  EXPECT_GE(p.largeurs.at(1), 8.0);
  EXPECT_LT(p.largeurs.at(1), 20.0);  // "Nb produits vendus" wraps rather than widening its column

  // Detail sheet: the agency beside each supplier, in the detail list's order,
  // then the total of the detail columns.
  const FeuilleLue& d = f[1];
  VerifierPeriode(d, l.periode);
  std::vector<std::string> entete = {"Agence"};
  entete.insert(entete.end(), l.colonnesDetail.begin(), l.colonnesDetail.end());
  VerifierLigne(d, 3, entete, entete.size(), true);
  EXPECT_EQ(d.lignesFigees, 4);
  EXPECT_EQ(d.colonnesFigees, 2);
  int r = 4;
  for (size_t i = 0; i < l.lignes.size(); ++i)
    for (const LigneStat& det : l.Details(i)) {
      std::vector<std::string> textes = {l.lignes[i].libelle, det.libelle};
      textes.insert(textes.end(), det.cellules.begin(), det.cellules.end());
      VerifierLigne(d, r++, textes, 2, false);
    }
  EXPECT_EQ(r, 6);  // Lyon's two suppliers; Nîmes and TOTAL have none
  EXPECT_EQ(d.Cellule(4, 1)->texte, "L'Alu Atlantique");  // sorted by name as the detail list shows them
  std::vector<std::string> total = {"TOTAL", ""};
  total.insert(total.end(), l.lignes[0].cellules.begin(), l.lignes[0].cellules.end());
  VerifierLigne(d, r, total, 2, true);
  EXPECT_EQ(d.derniereLigne, r);

  std::vector<std::string> restes;
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(tmp.path(), &restes).ok());
  EXPECT_EQ(restes, std::vector<std::string>{"s.xlsx"});  // no temporary file left
}

// The desktop program runs under the user's locale: a French one writes
// decimals with a comma, which must not reach the sheet's XML.
TEST(ClasseurTest, NumbersAreWrittenWithAPointUnderACommaLocale) {
  REQUIRE_XLSX();
  testutil::TempDir tmp;
  char essai[16];
  bool ok = false;
  {
    testutil::CommaLocale fr;
    if (!fr.name()) GTEST_SKIP() << "no locale with a decimal comma is installed (fr_FR.UTF-8)";
    std::snprintf(essai, sizeof essai, "%.1f", 1.5);
    EXPECT_STREQ(essai, "1,5") << fr.name();  // the locale does use a comma
    ok = corv::EcrireClasseur(pdx::Env::Default(), tmp.file("s.xlsx"), Liste(), true).ok();
  }
  ASSERT_TRUE(ok);
  const std::vector<FeuilleLue> f = Lire(tmp.file("s.xlsx"));
  ASSERT_EQ(f.size(), 2u);
  EXPECT_DOUBLE_EQ(f[0].Cellule(4, 2)->valeur, 1234567.89);
  EXPECT_DOUBLE_EQ(f[0].Cellule(4, 4)->valeur, -3.07);
  std::map<std::string, std::string> membres;
  std::string erreur;
  ASSERT_TRUE(testutil::LireZip(tmp.file("s.xlsx"), &membres, &erreur)) << erreur;
  EXPECT_EQ(membres["xl/worksheets/sheet1.xml"].find("<v>1234567,89</v>"), std::string::npos);
  EXPECT_NE(membres["xl/worksheets/sheet1.xml"].find("<v>1234567.89</v>"), std::string::npos);
}

TEST(ClasseurTest, WithoutDetailsOrPeriodAndTheSheetNamesOfEachList) {
  REQUIRE_XLSX();
  testutil::TempDir tmp;
  ListeStat l = Liste();
  l.periode = {};
  l.calcul = corv::Calcul::kFournisseurs;
  ASSERT_TRUE(corv::EcrireClasseur(pdx::Env::Default(), tmp.file("f.xlsx"), l, false).ok());
  std::vector<FeuilleLue> f = Lire(tmp.file("f.xlsx"));
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].nom, "Stats des fournisseurs");
  VerifierPeriode(f[0], l.periode);
  EXPECT_EQ(f[0].derniereLigne, 6);
  EXPECT_EQ(corv::NomFeuilleDetail(corv::Calcul::kFournisseurs), "Détail du fournisseur");
  EXPECT_EQ(corv::NomFeuille(corv::Calcul::kAgences), "Stats des agences");

  // Details asked of a list that has none: one sheet.
  l.colonnesDetail.clear();
  l.calcul = corv::Calcul::kAgences;
  ASSERT_TRUE(corv::EcrireClasseur(pdx::Env::Default(), tmp.file("a.xlsx"), l, true).ok());
  f = Lire(tmp.file("a.xlsx"));
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].nom, "Stats des agences");
}

TEST(ClasseurTest, TheWindowsRoutineWritesAWorkbookForAnXlsxName) {
  REQUIRE_XLSX();
  testutil::TempDir tmp;
  testutil::ScriptedDialogs d;
  // The extension chooses the workbook, in any case; an existing file is asked for.
  d.AnswerText(tmp.file("Stats.XLSX"));
  EXPECT_EQ(corv::ExporterListe(pdx::Env::Default(), d, Liste(), true), corv::IssueExport::kFait);
  EXPECT_EQ(d.shown()[0].text, std::string("save ") + corv::kFiltreExport);
  EXPECT_NE(std::string(corv::kFiltreExport).find("Classeur Excel (*.xlsx)|*.xlsx"), std::string::npos);
  std::vector<FeuilleLue> f = Lire(tmp.file("Stats.XLSX"));
  EXPECT_EQ(f.size(), 2u);
  d.AnswerText(tmp.file("Stats.XLSX"));
  d.AnswerYes(true);
  EXPECT_EQ(corv::ExporterListe(pdx::Env::Default(), d, Liste(), false), corv::IssueExport::kFait);
  EXPECT_EQ(d.Texts("question").back(), "Attention, le fichier sélectionné existe déjà, voulez-vous le remplacer ?");
  EXPECT_EQ(Lire(tmp.file("Stats.XLSX")).size(), 1u);
  EXPECT_TRUE(d.Texts("error").empty());

  EXPECT_EQ(corv::NomFichierClasseur("/tmp/stats"), "/tmp/stats.xlsx");
  EXPECT_EQ(corv::NomFichierClasseur("/tmp/stats.xlsx"), "/tmp/stats.xlsx");
  EXPECT_EQ(corv::NomFichierClasseur("/tmp/stats.Xlsx"), "/tmp/stats.Xlsx");
  EXPECT_EQ(corv::NomFichierClasseur("/tmp/stats.csv"), "/tmp/stats.csv.xlsx");
}

TEST(ClasseurTest, AFailedRenameOrAnUnwritableDirectoryLeavesTheOldFileWhole) {
  REQUIRE_XLSX();
  testutil::TempDir tmp;
  const std::string cible = tmp.file("s.xlsx");
  testutil::WriteFile(cible, "ancien");
  pdx::FaultEnv env(pdx::Env::Default());
  env.FailNth(pdx::FaultEnv::Op::kRename, 1, true);
  testutil::ScriptedDialogs d;
  d.AnswerText(cible);
  d.AnswerYes(true);
  EXPECT_EQ(corv::ExporterListe(&env, d, Liste(), false), corv::IssueExport::kErreur);
  ASSERT_EQ(d.Texts("error").size(), 1u);
  EXPECT_EQ(d.Texts("error")[0].rfind(corv::kMessageErreurExport, 0), 0u);
  EXPECT_EQ(testutil::ReadFile(cible), "ancien");
  std::vector<std::string> restes;
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(tmp.path(), &restes).ok());
  EXPECT_EQ(restes, std::vector<std::string>{"s.xlsx"});

  // A directory that does not exist: the error names the file.
  const std::string absent = tmp.file("absent/s.xlsx");
  pdx::Status s = corv::EcrireClasseur(pdx::Env::Default(), absent, Liste(), false);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.ToString().find(absent), std::string::npos) << s.ToString();
}

// corvanes-batch --xlsx on a demo installation: the workbook holds the list the
// core computes, every cell of both sheets.
TEST(ClasseurTest, TheCommandLinesWorkbookHoldsTheComputedList) {
  REQUIRE_XLSX();
  const std::string batch = std::string(CORVANES_BINARY_DIR) + "/corvanes-batch";
  if (!pdx::Env::Default()->FileExists(batch)) GTEST_SKIP() << "corvanes-batch is not built at " << batch;
  testutil::TempDir tmp;
  corv::demo::Options o;
  o.repertoire = tmp.path() + "/demo";
  o.agences = 4;
  o.dossiers = 40;
  o.graine = 5;
  o.jour = corv::DayNumber(2026, 12, 8);
  corv::demo::Bilan b;
  ASSERT_TRUE(corv::demo::Generer(pdx::Env::Default(), o, &b).ok());
  const std::string cmd = batch + " --ini " + o.repertoire + "/qvrbde.ini statistiques ";
  std::string out;
  for (const char* faux : {"agences --xlsx", "agences --xlsx x --detail"})
    EXPECT_EQ(testutil::RunCommand(cmd + faux + " 2>/dev/null", &out), 2) << faux;
  ASSERT_EQ(testutil::RunCommand(cmd + "fournisseurs --fin 2026-06-30 --tri 2 --detail --xlsx " + tmp.path() +
                                     "/f --csv " + tmp.path() + "/f",
                                 &out),
            0);
  EXPECT_TRUE(pdx::Env::Default()->FileExists(tmp.path() + "/f.csv"));

  corv::Session session;
  corv::HostPaths host(pdx::Env::Default());
  host.AddPrefix("Q:", o.repertoire);
  session.SetAlias(corv::kAliasAdministration, "Q:\\Administration\\");
  session.SetAlias(corv::kAliasDossiers, "Q:\\Dossiers\\");
  testutil::ScriptedDialogs d;
  corv::RecordingRunReport rep;
  corv::OptionsStatistiques opt;
  opt.calcul = corv::Calcul::kFournisseurs;
  opt.periode.fin = corv::DayNumber(2026, 6, 30);
  corv::ResultatStatistiques r;
  ASSERT_TRUE(corv::CollecterStatistiques(session, host, d, rep, opt, &r).ok());
  ListeStat l = corv::ListePour(r);
  l.Trier(2);
  ASSERT_GT(l.lignes.size(), 2u);

  const std::vector<FeuilleLue> f = Lire(tmp.path() + "/f.xlsx");
  ASSERT_EQ(f.size(), 2u);
  VerifierPeriode(f[0], opt.periode);
  int ligne = 4;
  for (int totaux = 0; totaux < 2; ++totaux)
    for (const LigneStat& x : l.lignes) {
      if (x.total != (totaux == 1)) continue;
      std::vector<std::string> textes = {x.libelle};
      textes.insert(textes.end(), x.cellules.begin(), x.cellules.end());
      VerifierLigne(f[0], ligne++, textes, 1, x.total);
    }
  EXPECT_EQ(f[0].derniereLigne, ligne - 1);
  ligne = 4;
  for (size_t i = 0; i < l.lignes.size(); ++i)
    for (const LigneStat& det : l.Details(i)) {
      std::vector<std::string> textes = {l.lignes[i].libelle, det.libelle};
      textes.insert(textes.end(), det.cellules.begin(), det.cellules.end());
      VerifierLigne(f[1], ligne++, textes, 2, false);
    }
  EXPECT_GT(ligne, 4 + static_cast<int>(l.lignes.size()) - 1);  // suppliers have several agencies
  EXPECT_EQ(f[1].Cellule(ligne, 0)->texte, "TOTAL");
}

}  // namespace

// The export file: exact bytes, the name rule, the confirmation, and failures
// that leave the old file whole.
#include <gtest/gtest.h>

#include "support/fault_env.h"
#include "stats/classeur.h"
#include "stats/export.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace {

using corv::LigneStat;
using corv::ListeStat;

ListeStat Liste() {
  ListeStat l;
  l.calcul = corv::Calcul::kAchats;
  l.colonnes = {"Agence", "Nb produits vendus", "Marge brut (€)"};
  l.colonnesDetail = {"Fournisseur", "Nb produits vendus", "Marge brut (€)"};
  LigneStat lyon{"Lyon", {"3", "1\xC2\xA0" "234,50"}, false, {}};
  lyon.details = {{"Zinc", {"1", "4,00"}, false, {}}, {"Alu Atlantique", {"2", "1\xC2\xA0" "230,50"}, false, {}}};
  LigneStat nice{"Nice", {"0", "0,00"}, false, {}};
  LigneStat total{"TOTAL", {"3", "1\xC2\xA0" "234,50"}, true, {}};
  l.lignes = {lyon, nice, total};
  return l;
}

TEST(ExportTest, TextWithAndWithoutDetailsInCodePage1252WithCrLf) {
  testutil::TempDir tmp;
  const std::string f = tmp.file("s.csv");
  ASSERT_TRUE(corv::EcrireFichierExport(pdx::Env::Default(), f, corv::TexteExport(Liste(), false)).ok());
  EXPECT_EQ(testutil::ReadFile(f),
            "Agence;Nb produits vendus;Marge brut (\x80);\r\n"
            "Lyon;3;1\xA0" "234,50;\r\n"
            "Nice;0;0,00;\r\n"
            "TOTAL;3;1\xA0" "234,50;\r\n");
  int appels = 0, dernier = 0;
  const std::string t = corv::TexteExport(Liste(), true, [&](int k, int n) {
    ++appels;
    dernier = k;
    EXPECT_EQ(n, 3);
  });
  EXPECT_EQ(appels, 3);
  EXPECT_EQ(dernier, 3);
  ASSERT_TRUE(corv::EcrireFichierExport(pdx::Env::Default(), f, t).ok());
  // Details in the detail list's order (sorted by its first column).
  EXPECT_EQ(testutil::ReadFile(f),
            "Agence;Fournisseur;Nb produits vendus;Marge brut (\x80);\r\n"
            "Lyon;;3;1\xA0" "234,50;\r\n"
            ";Alu Atlantique;2;1\xA0" "230,50;\r\n"
            ";Zinc;1;4,00;\r\n"
            "Nice;;0;0,00;\r\n"
            "TOTAL;;3;1\xA0" "234,50;\r\n");
  std::vector<std::string> restes;
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(tmp.path(), &restes).ok());
  EXPECT_EQ(restes.size(), 1u);  // no temporary file left
}

TEST(ExportTest, FileNameRule) {
  EXPECT_EQ(corv::NomFichierExport("/tmp/stats"), "/tmp/stats.csv");
  EXPECT_EQ(corv::NomFichierExport("/tmp/stats.csv"), "/tmp/stats.csv");
  EXPECT_EQ(corv::NomFichierExport("/tmp/stats.txt"), "/tmp/stats.txt");
  EXPECT_EQ(corv::NomFichierExport("/tmp/stats.xlsx"), "/tmp/stats.xlsx.csv");
  EXPECT_EQ(corv::NomFichierExport("/tmp/v1.2/s"), "/tmp/v1.2/s.csv");  // a dot above the name is no extension
  EXPECT_EQ(corv::NomFichierExport("C:\\Bureau\\s"), "C:\\Bureau\\s.csv");
}

TEST(ExportTest, RoutineAsksBeforeReplacingAndAppendsTheExtension) {
  testutil::TempDir tmp;
  pdx::Env* env = pdx::Env::Default();
  testutil::ScriptedDialogs d;
  // Empty list: nothing is asked.
  ListeStat vide;
  EXPECT_EQ(corv::ExporterListe(env, d, vide, false), corv::IssueExport::kRien);
  EXPECT_TRUE(d.shown().empty());
  // Cancel in the chooser.
  d.AnswerText("", true);
  EXPECT_EQ(corv::ExporterListe(env, d, Liste(), false), corv::IssueExport::kRien);
  ASSERT_EQ(d.shown().size(), 1u);
  EXPECT_EQ(d.shown()[0].text,
            std::string("save ") + (corv::ClasseurDisponible() ? corv::kFiltreExport : corv::kFiltreExportTexte));
  // A new file: ".csv" appended, written.
  d.AnswerText(tmp.file("stats"));
  std::vector<std::pair<int, int>> progres;
  EXPECT_EQ(corv::ExporterListe(env, d, Liste(), false, [&](int k, int n) { progres.push_back({k, n}); }),
            corv::IssueExport::kFait);
  EXPECT_EQ(progres.front(), std::make_pair(0, 3));
  EXPECT_EQ(progres.back(), std::make_pair(3, 3));
  const std::string premier = testutil::ReadFile(tmp.file("stats.csv"));
  EXPECT_EQ(premier.substr(0, 7), "Agence;");
  // It exists now: refused, the file stays as it was.
  testutil::WriteFile(tmp.file("stats.csv"), "ancien");
  d.AnswerText(tmp.file("stats.csv"));
  d.AnswerYes(false);
  EXPECT_EQ(corv::ExporterListe(env, d, Liste(), true), corv::IssueExport::kRien);
  EXPECT_EQ(d.Texts("question").back(), "Attention, le fichier sélectionné existe déjà, voulez-vous le remplacer ?");
  EXPECT_EQ(d.shown().back().caption, "Fichier existant");
  EXPECT_EQ(testutil::ReadFile(tmp.file("stats.csv")), "ancien");
  // Accepted: replaced.
  d.AnswerText(tmp.file("stats.csv"));
  d.AnswerYes(true);
  EXPECT_EQ(corv::ExporterListe(env, d, Liste(), true), corv::IssueExport::kFait);
  EXPECT_NE(testutil::ReadFile(tmp.file("stats.csv")).find(";Zinc;"), std::string::npos);
  EXPECT_TRUE(d.Texts("error").empty());
}

TEST(ExportTest, AFailingWriteOrRenameLeavesTheOldFileWhole) {
  std::unique_ptr<pdx::Env> mem = pdx::NewMemEnv();
  ASSERT_TRUE(mem->CreateDir("/bureau").ok());
  pdx::FaultEnv env(mem.get());
  testutil::PutFile(mem.get(), "/bureau/s.csv", "ancien contenu");
  for (pdx::FaultEnv::Op op : {pdx::FaultEnv::Op::kWrite, pdx::FaultEnv::Op::kRename, pdx::FaultEnv::Op::kCreate}) {
    env.Reset();
    env.FailNth(op, 1, true);
    testutil::ScriptedDialogs d;
    d.AnswerText("/bureau/s.csv");
    d.AnswerYes(true);
    EXPECT_EQ(corv::ExporterListe(&env, d, Liste(), false), corv::IssueExport::kErreur);
    ASSERT_EQ(d.Texts("error").size(), 1u);
    EXPECT_EQ(d.Texts("error")[0].rfind(corv::kMessageErreurExport, 0), 0u) << d.Texts("error")[0];
    EXPECT_EQ(d.shown().back().caption, "Erreur Export");
    EXPECT_EQ(testutil::GetFile(mem.get(), "/bureau/s.csv"), "ancien contenu");
    std::vector<std::string> restes;
    ASSERT_TRUE(mem->GetChildren("/bureau", &restes).ok());
    EXPECT_EQ(restes.size(), 1u);
  }
}

TEST(ExportTest, ATextTheCodePageCannotHoldIsRefusedBeforeWriting) {
  testutil::TempDir tmp;
  ListeStat l = Liste();
  l.lignes[0].libelle = "Łódź";
  testutil::WriteFile(tmp.file("s.csv"), "ancien");
  pdx::Status s = corv::EcrireFichierExport(pdx::Env::Default(), tmp.file("s.csv"), corv::TexteExport(l, false));
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.ToString().find("Łódź"), std::string::npos);
  EXPECT_EQ(testutil::ReadFile(tmp.file("s.csv")), "ancien");
}

}  // namespace

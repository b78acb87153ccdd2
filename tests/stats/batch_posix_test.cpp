// corvanes-batch statistiques: exit codes, the printed list, and the CSV file
// equal to the window's export of the same list.
#include <gtest/gtest.h>

#include "demo/generateur.h"
#include "stats/collecte.h"
#include "stats/export.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"
#include "util/dates.h"

namespace {

const std::string kBatch = std::string(CORVANES_BINARY_DIR) + "/corvanes-batch";

TEST(BatchStatistiquesTest, ListCsvAndExitCodes) {
  if (!pdx::Env::Default()->FileExists(kBatch)) GTEST_SKIP() << "corvanes-batch is not built at " << kBatch;
  testutil::TempDir tmp;
  corv::demo::Options o;
  o.repertoire = tmp.path() + "/demo";
  o.agences = 4;
  o.dossiers = 40;
  o.graine = 3;
  o.jour = corv::DayNumber(2026, 12, 8);
  corv::demo::Bilan b;
  ASSERT_TRUE(corv::demo::Generer(pdx::Env::Default(), o, &b).ok());
  const std::string ini = o.repertoire + "/qvrbde.ini";
  const std::string cmd = kBatch + " --ini " + ini + " statistiques ";
  std::string out;
  for (const char* faux : {"", "clients", "agences --tri 7", "achats --debut 2026-02-30", "agences --csv",
                           "agences --csv x --detail", "achats --parallele 0", "achats --inconnue"})
    EXPECT_EQ(testutil::RunCommand(cmd + faux + " 2>/dev/null", &out), 2) << faux;

  const std::string csv = tmp.path() + "/achats";
  ASSERT_EQ(testutil::RunCommand(cmd + "achats --tri 1 --debut 2024-01-01 --csv " + csv + " --detail", &out), 0);
  std::string out2;
  ASSERT_EQ(testutil::RunCommand(cmd + "achats --tri 1 --debut 2024-01-01 --parallele 3", &out2), 0);
  EXPECT_EQ(out, out2);
  EXPECT_EQ(out.rfind("Agence ", 0), 0u) << out;
  EXPECT_NE(out.find("\nTOTAL "), std::string::npos);

  // The same list through the core, exported as the window does.
  corv::Session session;
  corv::HostPaths host(pdx::Env::Default());
  host.AddPrefix("Q:", o.repertoire);
  session.SetAlias(corv::kAliasAdministration, "Q:\\Administration\\");
  session.SetAlias(corv::kAliasDossiers, "Q:\\Dossiers\\");
  testutil::ScriptedDialogs d;
  corv::RecordingRunReport rep;
  corv::OptionsStatistiques opt;
  opt.calcul = corv::Calcul::kAchats;
  opt.periode.debut = corv::DayNumber(2024, 1, 1);
  corv::ResultatStatistiques r;
  ASSERT_TRUE(corv::CollecterStatistiques(session, host, d, rep, opt, &r).ok());
  corv::ListeStat l = corv::ListePour(r);
  l.Trier(1);
  const std::string attendu = tmp.path() + "/attendu.csv";
  ASSERT_TRUE(corv::EcrireFichierExport(pdx::Env::Default(), attendu, corv::TexteExport(l, true)).ok());
  EXPECT_EQ(testutil::ReadFile(csv + ".csv"), testutil::ReadFile(attendu));
  EXPECT_GT(l.lignes.size(), 2u);
  // An existing file is replaced without a question.
  ASSERT_EQ(testutil::RunCommand(cmd + "agences --csv " + csv + ".csv", &out), 0);
  EXPECT_EQ(testutil::ReadFile(csv + ".csv").rfind("Agence;Nb devis;", 0), 0u);
}

}  // namespace

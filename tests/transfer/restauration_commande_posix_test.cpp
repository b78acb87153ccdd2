// corvanes-batch restauration: listing, restoring a run or one agency, refusal
// while a table is in use, exit codes.
#include <gtest/gtest.h>
#include <unistd.h>

#include "paradox/writer.h"
#include "sauvegarde_support.h"
#include "transfer/sauvegarde.h"

namespace {

const std::string kBatch = std::string(CORVANES_BINARY_DIR) + "/corvanes-batch";

// Runs corvanes-batch; exit code, standard output in *out, standard error in *err.
int Batch(const std::string& args, std::string* out, std::string* err) {
  testutil::TempDir t;
  int rc = testutil::RunCommand(kBatch + " " + args + " 2>" + t.file("err"), out);
  *err = testutil::ReadFile(t.file("err"));
  return rc;
}

void Vider(const std::string& dir) {
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), dir, "REMISES.DB", {}, &w).ok());
  ASSERT_TRUE(w->Empty().ok());
  ASSERT_TRUE(w->Close().ok());
}

class Restauration : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kBatch.c_str(), X_OK) != 0) GTEST_SKIP() << "corvanes-batch not built at " << kBatch;
    demo_ = t3::NouvelleDemo(4, 3);
    codes_ = demo_->AgencesPropres();
    ASSERT_GE(codes_.size(), 2u);
  }
  std::string Ini() const { return "--ini " + demo_->ini() + " "; }
  std::unique_ptr<t3::Demo> demo_;
  std::vector<std::string> codes_;
};

TEST_F(Restauration, ListsRunsAndRestoresARunOrOneAgency) {
  std::string out, err;
  ASSERT_EQ(Batch(Ini() + "restauration --liste", &out, &err), 0) << err;
  EXPECT_EQ(out, "Aucune sauvegarde dans : " + demo_->dir + "/Sauvegardes\n");

  const std::string a = demo_->Administration(codes_[0]), b = demo_->Administration(codes_[1]);
  auto avantA = t3::Lignes(a, "REMISES.DB"), avantB = t3::Lignes(b, "REMISES.DB");
  ASSERT_FALSE(avantA.empty());
  corv::SauvegardeRun run(pdx::Env::Default(), corv::RacineSauvegardes(demo_->ini()), "conditions-achat", 1796720400);
  ASSERT_TRUE(run.SauverTable(codes_[0], "Agence A", "", a, "REMISES.DB").ok());
  ASSERT_TRUE(run.SauverTable(codes_[1], "Agence B", "", b, "REMISES.DB").ok());
  Vider(a);
  Vider(b);

  ASSERT_EQ(Batch(Ini() + "restauration --liste", &out, &err), 0) << err;
  EXPECT_NE(out.find(run.Nom() + " : conditions-achat, commencé le "), std::string::npos) << out;
  EXPECT_NE(out.find("2 agence(s) (" + codes_[0] + ", " + codes_[1] + "), 2 table(s)"), std::string::npos) << out;

  // One agency only.
  ASSERT_EQ(Batch(Ini() + "restauration " + run.Nom() + " --agence " + codes_[1], &out, &err), 0) << err;
  EXPECT_EQ(t3::Lignes(b, "REMISES.DB"), avantB);
  EXPECT_TRUE(t3::Lignes(a, "REMISES.DB").empty());
  EXPECT_NE(out.find(" => Agence  : Agence B - Table restaurée : REMISES.DB\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("Agence A"), std::string::npos) << out;

  // The whole run, refused while another writer has a table, then done.
  {
    std::unique_ptr<pdx::TableWriter> autre;
    ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), b, "REMISES.DB", {}, &autre).ok());
    EXPECT_EQ(Batch(Ini() + "restauration " + run.Nom(), &out, &err), 1);
    EXPECT_NE(err.find("Restauration refusée : la table " + b + "/REMISES.DB de l'agence Agence B"), std::string::npos)
        << err;
    EXPECT_TRUE(t3::Lignes(a, "REMISES.DB").empty());
  }
  // Nor while a transfer runs on the installation (it holds the runs' lock).
  {
    std::unique_ptr<pdx::FileLock> run_en_cours;
    ASSERT_TRUE(pdx::Env::Default()
                    ->LockFile(demo_->dir + "/Administration/" + corv::kFichierVerrouRun, &run_en_cours)
                    .ok());
    EXPECT_EQ(Batch(Ini() + "restauration " + run.Nom(), &out, &err), 1);
    EXPECT_NE(err.find("un transfert ou un nettoyage est en cours"), std::string::npos) << err;
    EXPECT_TRUE(t3::Lignes(a, "REMISES.DB").empty());
  }
  ASSERT_EQ(Batch(Ini() + "restauration " + run.Nom(), &out, &err), 0) << err;
  EXPECT_EQ(t3::Lignes(a, "REMISES.DB"), avantA);
  EXPECT_EQ(t3::Lignes(b, "REMISES.DB"), avantB);
  EXPECT_TRUE(t3::Controle(a, "REMISES.DB").empty());
  EXPECT_NE(out.find("Restauration terminée : 2 table(s) restaurée(s).\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nJournal du traitement : " + demo_->dir + "/Journaux/"), std::string::npos) << out;
}

TEST_F(Restauration, UsageErrorsAndUnknownNames) {
  std::string out, err;
  EXPECT_EQ(Batch(Ini() + "restauration", &out, &err), 2);
  EXPECT_NE(err.find("restauration --liste"), std::string::npos) << err;
  EXPECT_EQ(Batch(Ini() + "restauration --liste X", &out, &err), 2);
  EXPECT_EQ(Batch(Ini() + "restauration X --agence", &out, &err), 2);
  EXPECT_EQ(Batch(Ini() + "restauration X Y", &out, &err), 2);
  EXPECT_EQ(Batch(Ini() + "restauration --tout", &out, &err), 2);
  EXPECT_EQ(Batch(Ini() + "restauration --help", &out, &err), 0);
  EXPECT_NE(out.find("--agence CODE"), std::string::npos);

  EXPECT_EQ(Batch(Ini() + "restauration 2020-01-01_00-00-00_documents", &out, &err), 1);
  EXPECT_NE(err.find("Sauvegarde introuvable : 2020-01-01_00-00-00_documents"), std::string::npos) << err;
  corv::SauvegardeRun run(pdx::Env::Default(), corv::RacineSauvegardes(demo_->ini()), "messagerie", 1796720400);
  ASSERT_TRUE(run.SauverTable(codes_[0], "Agence A", "", demo_->Administration(codes_[0]), "REMISES.DB").ok());
  EXPECT_EQ(Batch(Ini() + "restauration " + run.Nom() + " --agence ZZZ", &out, &err), 1);
  EXPECT_NE(err.find("ne contient pas l'agence ZZZ"), std::string::npos) << err;
}

}  // namespace

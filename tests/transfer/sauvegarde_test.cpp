// Backups of the tables a real run changes, and their restoration.
#include "transfer/sauvegarde.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>

#include "demo/env_rapide.h"
#include "paradox/check.h"
#include "paradox/commit.h"
#include "support/fault_env.h"
#include "paradox/table.h"
#include "paradox/writer.h"
#include "support/test_util.h"
#include "support/field_defs.h"

namespace {

using pdx::FieldDesc;
using pdx::FieldType;
using pdx::Value;

// The real file system, without the disk syncs (what is checked is which files
// hold what, not their durability): the tests stay quick on a busy disk.
pdx::Env* Env() {
  static std::unique_ptr<pdx::Env> env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
  return env.get();
}


// A small conditions table with every kind of file: data, primary index, a
// secondary index, blobs and a validity file; its names in mixed case, as
// installations copied from Windows have them.
void CreerTable(const std::string& dir, int lignes) {
  pdx::TableDefinition def;
  def.fields = {testutil::Field("Fournisseur", FieldType::kAlpha, 2), testutil::Field("Client", FieldType::kAlpha, 10),
                testutil::Field("R1", FieldType::kNumber, 8), testutil::Field("Note", FieldType::kMemo, 10)};
  def.keyFieldCount = 2;
  def.indexes.push_back({"ParTaux", {"R1"}, false, false, false});
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(Env(), dir, "Remises.db", def, {}, &w).ok());
  for (int i = 0; i < lignes; ++i)
    ASSERT_TRUE(w->Insert({Value::Text("F" + std::to_string(i % 10)), Value::Text("C" + std::to_string(i)),
                           Value::Double(i * 0.5), Value::Text(std::string(40, static_cast<char>('a' + i % 26)))})
                    .ok());
  ASSERT_TRUE(w->Close().ok());
  testutil::WriteFile(dir + "/REMISES.val", "validity");
}

// Every file of the table in dir, by name, with its bytes.
std::map<std::string, std::string> Fichiers(const std::string& dir, const std::string& base = "Remises") {
  std::vector<std::string> noms;
  EXPECT_TRUE(corv::FichiersDeTable(Env(), dir, base, &noms).ok());
  std::map<std::string, std::string> m;
  for (const auto& n : noms) m[n] = testutil::ReadFile(dir + "/" + n);
  return m;
}

// A real run's change: rows deleted and added, an index added (a new file).
void Modifier(const std::string& dir) {
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Open(Env(), dir, "REMISES.DB", {}, &w).ok());
  auto rows = w->Rows();
  for (size_t i = 0; i < rows.size(); i += 2) ASSERT_TRUE(w->Delete(rows[i]).ok());
  ASSERT_TRUE(w->Insert({Value::Text("ZZ"), Value::Text("NOUVEAU"), Value::Double(99), Value::Text("n")}).ok());
  ASSERT_TRUE(w->AddIndex({"ParClient", {"Client"}, false, false, false}).ok());
  ASSERT_TRUE(w->Close().ok());
}

void VerifierPropre(const std::string& dir) {
  std::vector<pdx::CheckFinding> findings;
  ASSERT_TRUE(pdx::CheckTable(Env(), dir, "REMISES.DB", &findings).ok());
  for (const auto& f : findings) ADD_FAILURE() << f.file << ": " << f.what;
}

struct Installation {
  testutil::TempDir tmp;
  std::string racine = tmp.path() + "/Sauvegardes";
  std::string agence(const std::string& code) {
    std::string d = tmp.path() + "/Agences/" + code + "/Administration";
    std::filesystem::create_directories(d);
    return d;
  }
};

TEST(Sauvegarde, RestorationPutsBackEveryFileOfTheTableAndDropsFilesAddedSince) {
  Installation inst;
  std::string lyon = inst.agence("LYO01");
  CreerTable(lyon, 60);
  auto avant = Fichiers(lyon);
  ASSERT_GE(avant.size(), 5u);  // .db .px .x/.y of the index .mb .val
  EXPECT_TRUE(avant.count("REMISES.val"));

  corv::SauvegardeRun run(Env(), inst.racine, "conditions-achat", 1796720400);
  ASSERT_TRUE(run.SauverTable("LYO01", "Lyon", "", lyon, "REMISES.DB").ok());
  Modifier(lyon);
  auto apres = Fichiers(lyon);
  EXPECT_GT(apres.size(), avant.size());
  EXPECT_NE(apres, avant);

  corv::RunSauve lu;
  ASSERT_TRUE(corv::LireSauvegarde(Env(), inst.racine, run.Nom(), &lu).ok());
  ASSERT_EQ(lu.agences.size(), 1u);
  EXPECT_EQ(lu.agences[0].code, "LYO01");
  EXPECT_EQ(lu.agences[0].nom, "Lyon");
  ASSERT_EQ(lu.agences[0].tables.size(), 1u);
  EXPECT_EQ(lu.agences[0].tables[0].fichier, "Remises.db");
  EXPECT_EQ(lu.sorte, "conditions-achat");

  corv::RecordingRunReport rapport;
  int n = 0;
  pdx::Status s = corv::Restaurer(Env(), nullptr, lu, "", rapport, &n);
  ASSERT_TRUE(s.ok()) << s.ToString();
  EXPECT_EQ(n, 1);
  EXPECT_EQ(Fichiers(lyon), avant);
  VerifierPropre(lyon);
  EXPECT_FALSE(pdx::NeedsRecovery(Env(), lyon, "Remises"));
  ASSERT_FALSE(rapport.messages.empty());
  EXPECT_EQ(rapport.messages.back(), "Restauration terminée : 1 table(s) restaurée(s).");
  EXPECT_NE(std::find(rapport.messages.begin(), rapport.messages.end(),
                      " => Agence  : Lyon - Table restaurée : Remises.db"),
            rapport.messages.end());

  // What the restoration replaced was saved as a run of its own: restoring it
  // undoes the restoration.
  std::vector<corv::RunSauve> runs;
  ASSERT_TRUE(corv::ListerSauvegardes(Env(), inst.racine, &runs).ok());
  ASSERT_EQ(runs.size(), 2u);
  const corv::RunSauve& annulation = runs[0].sorte == "avant-restauration" ? runs[0] : runs[1];
  EXPECT_EQ(annulation.sorte, "avant-restauration");
  EXPECT_EQ(rapport.messages.at(1), "État des tables avant la restauration sauvegardé dans : " + annulation.nom);
  ASSERT_TRUE(corv::Restaurer(Env(), nullptr, annulation, "", rapport).ok());
  EXPECT_EQ(Fichiers(lyon), apres);
}

TEST(Sauvegarde, EachTableIsSavedOnceARunAndAgainByTheNextRun) {
  Installation inst;
  std::string lyon = inst.agence("LYO01");
  CreerTable(lyon, 20);
  auto avant = Fichiers(lyon);
  corv::SauvegardeRun run(Env(), inst.racine, "messagerie", 1796720400);
  EXPECT_TRUE(run.Nom().empty());
  EXPECT_FALSE(Env()->DirExists(inst.racine));  // nothing written before the first table
  ASSERT_TRUE(run.SauverTable("LYO01", "Lyon", "", lyon, "REMISES.DB").ok());
  Modifier(lyon);
  // Asked again (a second phase of the same run, another spelling): the backup keeps the first state.
  ASSERT_TRUE(run.SauverTable("LYO01", "Lyon", "", lyon, "remises.db").ok());
  EXPECT_EQ(run.TablesSauvees(), 1u);
  for (const auto& [nom, octets] : avant)
    EXPECT_EQ(testutil::ReadFile(run.Repertoire() + "/LYO01/" + nom), octets) << nom;

  // The next run, in the same second, gets its own folder and the state of now.
  auto maintenant = Fichiers(lyon);
  corv::SauvegardeRun suivant(Env(), inst.racine, "messagerie", 1796720400);
  ASSERT_TRUE(suivant.SauverTable("LYO01", "Lyon", "", lyon, "REMISES.DB").ok());
  EXPECT_NE(suivant.Nom(), run.Nom());
  for (const auto& [nom, octets] : maintenant)
    EXPECT_EQ(testutil::ReadFile(suivant.Repertoire() + "/LYO01/" + nom), octets) << nom;
}

TEST(Sauvegarde, ATableAbsentBeforeTheRunIsRemovedByTheRestoration) {
  Installation inst;
  std::string lyon = inst.agence("LYO01");
  corv::SauvegardeRun run(Env(), inst.racine, "messagerie", 1796720400);
  ASSERT_TRUE(run.SauverTable("LYO01", "Lyon", "", lyon, "REMISES.DB").ok());
  CreerTable(lyon, 3);
  corv::RunSauve lu;
  ASSERT_TRUE(corv::LireSauvegarde(Env(), inst.racine, run.Nom(), &lu).ok());
  ASSERT_EQ(lu.agences.at(0).tables.size(), 1u);
  EXPECT_TRUE(lu.agences[0].tables[0].fichiers.empty());
  corv::RecordingRunReport rapport;
  ASSERT_TRUE(corv::Restaurer(Env(), nullptr, lu, "", rapport).ok());
  EXPECT_TRUE(Fichiers(lyon).empty());
}

TEST(Sauvegarde, ListingIsOldestFirstAndOnlyTheTwentyLatestRunsAreKept) {
  Installation inst;
  std::string lyon = inst.agence("LYO01");
  CreerTable(lyon, 2);
  std::filesystem::create_directories(inst.racine + "/mes notes");  // not a run: left alone
  const std::time_t t0 = 1796720400;
  for (int i = 0; i < 23; ++i) {
    corv::SauvegardeRun run(Env(), inst.racine, i % 2 ? "conditions-vente" : "conditions-achat", t0 + 3600 * i);
    ASSERT_TRUE(run.SauverTable("LYO01", "Lyon", "", lyon, "REMISES.DB").ok());
  }
  std::vector<corv::RunSauve> runs;
  ASSERT_TRUE(corv::ListerSauvegardes(Env(), inst.racine, &runs).ok());
  ASSERT_EQ(runs.size(), 20u);
  for (size_t i = 1; i < runs.size(); ++i) EXPECT_LT(runs[i - 1].nom, runs[i].nom);
  // The three oldest went; the names begin with the start time, then the kind.
  std::tm tm{};
  std::time_t t3 = t0 + 3600 * 3;
  localtime_r(&t3, &tm);
  char attendu[64];
  std::strftime(attendu, sizeof attendu, "%Y-%m-%d_%H-%M-%S_conditions-vente", &tm);
  EXPECT_EQ(runs.front().nom, attendu);
  EXPECT_EQ(runs.front().sorte, "conditions-vente");
  EXPECT_EQ(runs.front().agences.size(), 1u);
  EXPECT_TRUE(Env()->DirExists(inst.racine + "/mes notes"));
}

TEST(Sauvegarde, RestorationIsRefusedWhileATableIsInUseAndThenRestoresNothing) {
  Installation inst;
  std::string lyon = inst.agence("LYO01"), nantes = inst.agence("NAN02");
  CreerTable(lyon, 10);
  CreerTable(nantes, 10);
  corv::SauvegardeRun run(Env(), inst.racine, "conditions-achat", 1796720400);
  ASSERT_TRUE(run.SauverTable("LYO01", "Lyon", "", lyon, "REMISES.DB").ok());
  ASSERT_TRUE(run.SauverTable("NAN02", "Nantes", "", nantes, "REMISES.DB").ok());
  Modifier(lyon);
  Modifier(nantes);
  auto lyonModifiee = Fichiers(lyon);
  corv::RunSauve lu;
  ASSERT_TRUE(corv::LireSauvegarde(Env(), inst.racine, run.Nom(), &lu).ok());
  ASSERT_EQ(lu.agences.size(), 2u);

  {
    std::unique_ptr<pdx::TableWriter> autre;  // another writer has Nantes' table
    ASSERT_TRUE(pdx::TableWriter::Open(Env(), nantes, "REMISES.DB", {}, &autre).ok());
    corv::RecordingRunReport rapport;
    pdx::Status s = corv::Restaurer(Env(), nullptr, lu, "", rapport);
    ASSERT_TRUE(s.IsBusy()) << s.ToString();
    EXPECT_NE(s.message().find(nantes + "/Remises.db"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("Nantes"), std::string::npos);
    EXPECT_NE(s.message().find("Aucune table n'a été restaurée"), std::string::npos);
    EXPECT_EQ(Fichiers(lyon), lyonModifiee);  // Lyon, first in the run, untouched too

    // Only Lyon asked for: not concerned by Nantes' writer.
    s = corv::Restaurer(Env(), nullptr, lu, "LYO01", rapport);
    ASSERT_TRUE(s.ok()) << s.ToString();
    EXPECT_NE(Fichiers(lyon), lyonModifiee);
    VerifierPropre(lyon);
  }
  corv::RecordingRunReport rapport;
  pdx::Status s = corv::Restaurer(Env(), nullptr, lu, "PAR99", rapport);
  EXPECT_TRUE(s.IsNotFound());
  EXPECT_NE(s.message().find("PAR99"), std::string::npos);
}

TEST(Sauvegarde, AFailedCopyIsAnErrorNamingTheTableAndListsNoPartialBackup) {
  Installation inst;
  std::string lyon = inst.agence("LYO01"), nantes = inst.agence("NAN02");
  CreerTable(lyon, 10);
  CreerTable(nantes, 10);
  pdx::FaultEnv fault(Env());
  corv::SauvegardeRun run(&fault, inst.racine, "conditions-achat", 1796720400);
  ASSERT_TRUE(run.SauverTable("LYO01", "Lyon", "", lyon, "REMISES.DB").ok());
  fault.Reset();
  fault.FailNth(pdx::FaultEnv::Op::kWrite, 3);  // a data file of the second agency
  pdx::Status s = run.SauverTable("NAN02", "Nantes", "", nantes, "REMISES.DB");
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find(nantes), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("NAN02"), std::string::npos);
  corv::RunSauve lu;
  ASSERT_TRUE(corv::LireSauvegarde(Env(), inst.racine, run.Nom(), &lu).ok());
  ASSERT_EQ(lu.agences.size(), 1u);
  EXPECT_EQ(lu.agences[0].code, "LYO01");
  // Asked again once the disk is fine: the table is saved then.
  fault.Reset();
  ASSERT_TRUE(run.SauverTable("NAN02", "Nantes", "", nantes, "REMISES.DB").ok());
  ASSERT_TRUE(corv::LireSauvegarde(Env(), inst.racine, run.Nom(), &lu).ok());
  EXPECT_EQ(lu.agences.size(), 2u);
}

TEST(Sauvegarde, AgencyFoldersAreSafeNamesAndUnknownRunsAreNotFound) {
  Installation inst;
  std::string lyon = inst.agence("LYO01");
  CreerTable(lyon, 2);
  corv::SauvegardeRun run(Env(), inst.racine, "documents", 1796720400);
  ASSERT_TRUE(run.SauverTable("./X", "Étrange", "", lyon, "REMISES.DB").ok());
  ASSERT_TRUE(run.SauverTable("__X", "Autre", "", lyon, "REMISES.DB").ok());
  corv::RunSauve lu;
  ASSERT_TRUE(corv::LireSauvegarde(Env(), inst.racine, run.Nom(), &lu).ok());
  ASSERT_EQ(lu.agences.size(), 2u);
  EXPECT_EQ(lu.agences[0].code, "./X");
  EXPECT_EQ(lu.agences[0].nom, "Étrange");
  EXPECT_EQ(lu.agences[0].dossier, "__X");
  EXPECT_EQ(lu.agences[1].dossier, "__X~2");
  EXPECT_FALSE(Env()->DirExists(inst.racine + "/X"));
  EXPECT_TRUE(corv::LireSauvegarde(Env(), inst.racine, "../Agences", &lu).IsNotFound());
  EXPECT_TRUE(corv::LireSauvegarde(Env(), inst.racine, "2020-01-01_00-00-00_documents", &lu).IsNotFound());
}

TEST(Sauvegarde, ARestorationKilledAtAnyStepLeavesTheTableAsItWasOrRestored) {
  Installation inst;
  std::string lyon = inst.agence("LYO01");
  CreerTable(lyon, 30);
  auto avant = Fichiers(lyon);
  corv::SauvegardeRun run(Env(), inst.racine, "conditions-achat", 1796720400);
  ASSERT_TRUE(run.SauverTable("LYO01", "Lyon", "", lyon, "REMISES.DB").ok());
  Modifier(lyon);
  auto modifiee = Fichiers(lyon);
  corv::RunSauve lu;
  ASSERT_TRUE(corv::LireSauvegarde(Env(), inst.racine, run.Nom(), &lu).ok());
  // Back to the modified table, every leftover and later run gone.
  auto remettre = [&] {
    std::filesystem::remove_all(lyon);
    std::filesystem::create_directories(lyon);
    for (const auto& [nom, octets] : modifiee) testutil::WriteFile(lyon + "/" + nom, octets);
    for (const auto& e : std::filesystem::directory_iterator(inst.racine))
      if (e.path().filename() != run.Nom()) std::filesystem::remove_all(e.path());
  };

  // Crash at the 1st, 2nd, ... changing operation of the restoration until one
  // runs through; after the recovery the next writer does, the table is whole,
  // in one of its two versions.
  bool complete = false;
  int versionsVues[2] = {0, 0};
  for (int n = 1; n < 200 && !complete; ++n) {
    remettre();
    pdx::FaultEnv fault(Env());
    fault.CrashAt(n);
    corv::RecordingRunReport rapport;
    pdx::Status s = corv::Restaurer(&fault, nullptr, lu, "", rapport);
    complete = !fault.crashed();
    if (complete) ASSERT_TRUE(s.ok()) << s.ToString();
    else EXPECT_FALSE(s.ok()) << "crash at " << n << " reported as success";
    ASSERT_TRUE(pdx::RecoverTable(Env(), lyon, "Remises").ok());
    auto apres = Fichiers(lyon);
    bool restauree = apres == avant;
    EXPECT_TRUE(restauree || apres == modifiee) << "crash at operation " << n;
    ++versionsVues[restauree ? 1 : 0];
    VerifierPropre(lyon);
  }
  EXPECT_TRUE(complete);
  std::cout << "restoration crashed at each of its first " << versionsVues[0] + versionsVues[1] - 1
            << " changing operations\n";
  EXPECT_GT(versionsVues[0], 0);
  EXPECT_GT(versionsVues[1], 1);  // past the commit point, the recovery finishes the restoration
}

}  // namespace

// Never half a table: a real conditions transfer that fails at the third agency
// (a write failing, a table another writer holds) or that is killed at any
// moment leaves every agency's "REMISES.DB" as before or as after that agency's
// work, the engine's check clean, and the named databases at head office.
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#include "data/application.h"
#include "demo/env_rapide.h"
#include "paradox/commit.h"
#include "paradox/env_wrapper.h"
#include "support/fault_env.h"
#include "paradox/table_lock.h"
#include "paradox/writer.h"
#include "sauvegarde_support.h"
#include "support/scripted_dialogs.h"
#include "transfer/conditions.h"
#include "transfer/sauvegarde.h"

namespace {

using Etat = std::map<std::string, std::vector<std::string>>;  // agency code -> rows of its REMISES.DB

constexpr int kAgences = 7;  // five with their own Administration, one sharing head office's, one missing
constexpr int kDossiers = 2;

// The real file system without disk syncs: a killed process loses nothing the
// system already holds, and what is checked is which version each table is in.
pdx::Env* Rapide() {
  static std::unique_ptr<pdx::Env> env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
  return env.get();
}

// Sends the changing calls on paths below one directory through a FaultEnv, the
// others straight to the real file system: the failure hits one agency only.
class EnvSous : public pdx::EnvWrapper {
 public:
  EnvSous(pdx::FaultEnv* fault, std::string prefixe)
      : pdx::EnvWrapper(Rapide()), fault_(fault), prefixe_(std::move(prefixe)) {}

  pdx::Status NewWritableFile(const std::string& p, std::unique_ptr<pdx::WritableFile>* out) override {
    return Dans(p) ? fault_->NewWritableFile(p, out) : target()->NewWritableFile(p, out);
  }
  pdx::Status NewUpdatableFile(const std::string& p, std::unique_ptr<pdx::WritableFile>* out) override {
    return Dans(p) ? fault_->NewUpdatableFile(p, out) : target()->NewUpdatableFile(p, out);
  }
  pdx::Status RemoveFile(const std::string& p) override {
    return Dans(p) ? fault_->RemoveFile(p) : target()->RemoveFile(p);
  }
  pdx::Status RenameFile(const std::string& f, const std::string& t) override {
    return Dans(t) ? fault_->RenameFile(f, t) : target()->RenameFile(f, t);
  }
  pdx::Status CreateDir(const std::string& p) override {
    return Dans(p) ? fault_->CreateDir(p) : target()->CreateDir(p);
  }
  pdx::Status RemoveDir(const std::string& p) override {
    return Dans(p) ? fault_->RemoveDir(p) : target()->RemoveDir(p);
  }
  pdx::Status SyncDir(const std::string& p) override { return Dans(p) ? fault_->SyncDir(p) : target()->SyncDir(p); }

 private:
  bool Dans(const std::string& p) const { return p.compare(0, prefixe_.size(), prefixe_) == 0; }
  pdx::FaultEnv* fault_;
  std::string prefixe_;
};

struct Resultat {
  corv::ResultatRun run;
  std::vector<std::string> messages, erreurs;
  std::string siegeAvant, siegeApres;  // the program's QuintrelAdministration
  std::string siegeRun;                // the run's own, once it returned
  double secondes = 0;
};

// A purchase conditions transfer with the options of "Corvanes.ini", as the
// program starts it.
Resultat Transferer(pdx::Env* env, const t3::Demo& d, bool simulation, corv::SauvegardeTransfert* sauvegarde) {
  Resultat res;
  testutil::ScriptedDialogs dialogs;
  corv::Application app(env, d.dir + "/corvanes", dialogs);
  EXPECT_TRUE(app.Demarrer(d.ini()).ok());
  app.InitialiserFenetrePrincipale();
  corv::RecordingRunReport rapport;
  corv::OptionsRun o;
  o.simulation = simulation;
  o.fichierIniBde = d.ini();
  o.sauvegarde = sauvegarde;
  corv::TransfertConditions t(app, rapport, o, corv::LireOptionsConditions(app, corv::kModeAchat));
  res.siegeAvant = app.session().Directory(corv::kAliasAdministration).value_or("?");
  auto debut = std::chrono::steady_clock::now();
  res.run = t.Lancer();
  res.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
  res.siegeApres = app.session().Directory(corv::kAliasAdministration).value_or("?");
  res.siegeRun = t.session().Directory(corv::kAliasAdministration).value_or("?");
  res.messages = rapport.messages;
  res.erreurs = rapport.errors;
  return res;
}

Etat Lire(const t3::Demo& d) {
  Etat e;
  for (const auto& code : d.AgencesPropres()) e[code] = t3::Lignes(d.Administration(code), "REMISES.DB");
  return e;
}

// A fresh installation after one simulation: the data module has brought the
// agencies' older tables to the current layout on open, so "before" is the
// state a real run starts from.
std::unique_ptr<t3::Demo> Preparer() {
  auto d = t3::NouvelleDemo(kAgences, kDossiers);
  Resultat sim = Transferer(Rapide(), *d, true, nullptr);
  EXPECT_EQ(sim.run.fin, corv::ResultatRun::Fin::kTerminee) << sim.run.erreur;
  return d;
}

// The agencies' tables after a complete real run on the same installation.
struct Reference {
  Etat avant, apres;
  double secondes = 0;
};
const Reference& Ref() {
  static const Reference ref = [] {
    Reference r;
    auto d = Preparer();
    r.avant = Lire(*d);
    Resultat res = Transferer(Rapide(), *d, false, nullptr);
    EXPECT_EQ(res.run.fin, corv::ResultatRun::Fin::kTerminee) << res.run.erreur;
    r.secondes = res.secondes;
    r.apres = Lire(*d);
    return r;
  }();
  return ref;
}

std::string Nom(const t3::Demo& d, const std::string& code) {
  for (const auto& a : d.bilan.agences)
    if (a.code == code) return a.nom;
  return "?";
}

void VerifierFinDeRun(const Resultat& r) {
  ASSERT_GE(r.messages.size(), 4u);
  const std::string ligne(70, '=');
  size_t n = r.messages.size();
  EXPECT_EQ(r.messages[n - 4], ligne);
  EXPECT_EQ(r.messages[n - 3], "Fin de l'intégration des remises.");
  EXPECT_EQ(r.messages[n - 2], ligne);
  EXPECT_EQ(r.messages[n - 1], "");
  EXPECT_EQ(r.siegeApres, r.siegeAvant);
  EXPECT_EQ(r.siegeRun, r.siegeAvant);
}

// The run stopped at the third agency: the two before hold their new rows, the
// third and those after it their old ones, every table checks clean.
void VerifierArretALaTroisieme(const t3::Demo& d) {
  const Reference& ref = Ref();
  auto codes = d.AgencesPropres();
  ASSERT_EQ(codes.size(), 5u);
  Etat e = Lire(d);
  for (size_t i = 0; i < codes.size(); ++i) {
    const std::string& c = codes[i];
    ASSERT_NE(ref.avant.at(c), ref.apres.at(c)) << c << ": the run changes nothing here, the test would prove nothing";
    if (i < 2) EXPECT_EQ(e.at(c), ref.apres.at(c)) << "agency " << i + 1 << " " << c << " should hold its new rows";
    else EXPECT_EQ(e.at(c), ref.avant.at(c)) << "agency " << i + 1 << " " << c << " should hold its old rows";
    EXPECT_EQ(t3::Controle(d.Administration(c), "REMISES.DB"), std::vector<std::string>{}) << c;
    EXPECT_FALSE(pdx::NeedsRecovery(Rapide(), d.Administration(c), "REMISES")) << c;
  }
}

// The run ended on the third agency's error: two agencies done, the error
// naming that agency and its table, the end lines written, every table as
// VerifierArretALaTroisieme says.
void VerifierErreurALaTroisieme(const Resultat& r, const t3::Demo& d) {
  const std::string troisieme = d.AgencesPropres().at(2);
  EXPECT_EQ(r.run.fin, corv::ResultatRun::Fin::kErreur);
  EXPECT_EQ(r.run.agencesTraitees, 2);
  EXPECT_NE(r.run.erreur.find(Nom(d, troisieme)), std::string::npos) << r.run.erreur;
  EXPECT_NE(r.run.erreur.find("REMISES.DB"), std::string::npos) << r.run.erreur;
  VerifierFinDeRun(r);
  VerifierArretALaTroisieme(d);
}

TEST(Fautes, AWriteFailingAtTheThirdAgencyEndsTheRunAndLeavesThatAgencyAsItWas) {
  const Reference& ref = Ref();
  auto d = Preparer();
  ASSERT_EQ(Lire(*d), ref.avant);
  auto codes = d->AgencesPropres();
  pdx::FaultEnv fault(Rapide());
  EnvSous env(&fault, d->Administration(codes[2]) + "/");
  fault.FailNth(pdx::FaultEnv::Op::kWrite, 1, /*sticky=*/true);
  corv::SauvegardeFichiers sauvegarde(Rapide(), corv::RacineSauvegardes(d->ini()));

  Resultat r = Transferer(&env, *d, false, &sauvegarde);
  EXPECT_GT(fault.count(pdx::FaultEnv::Op::kWrite), 0);
  VerifierErreurALaTroisieme(r, *d);
  // The lists read as if the run had stopped there: the third agency's lines,
  // none of the fourth's (whose work may have begun beside the commit).
  auto mentionne = [&](const std::string& nom) {
    int n = 0;
    for (const auto& l : r.messages) n += l.find(nom) != std::string::npos;
    for (const auto& l : r.erreurs) n += l.find(nom) != std::string::npos;
    return n;
  };
  EXPECT_GT(mentionne(Nom(*d, codes[2])), 0);
  EXPECT_EQ(mentionne(Nom(*d, codes[3])), 0);

  // The run's backups hold the three agencies it began to change; restoring
  // them brings every agency back to where the run found it.
  ASSERT_NE(sauvegarde.Run(), nullptr);
  corv::RunSauve run;
  ASSERT_TRUE(corv::LireSauvegarde(Rapide(), sauvegarde.Racine(), sauvegarde.Run()->Nom(), &run).ok());
  ASSERT_EQ(run.agences.size(), 3u);
  EXPECT_EQ(run.sorte, "conditions-achat");
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(run.agences[i].code, codes[i]);
  corv::RecordingRunReport rapport;
  pdx::Status s = corv::Restaurer(Rapide(), nullptr, run, "", rapport);
  ASSERT_TRUE(s.ok()) << s.ToString();
  EXPECT_EQ(Lire(*d), ref.avant);
}

// Holds the third agency's commit at its first directory sync (before its
// commit point) until the fifth agency's new files are being written beside
// its table, then fails it: the two agencies after it are then read and
// waiting for their commits when the failure is known.
class EnvRetenue : public pdx::EnvWrapper {
 public:
  EnvRetenue(std::string troisieme, std::string cinquieme)
      : pdx::EnvWrapper(Rapide()), troisieme_(std::move(troisieme)), cinquieme_(std::move(cinquieme)) {}
  pdx::Status NewWritableFile(const std::string& p, std::unique_ptr<pdx::WritableFile>* out) override {
    if (p.compare(0, cinquieme_.size(), cinquieme_) == 0 && p.size() > 6 && p.compare(p.size() - 6, 6, ".cvtmp") == 0) {
      std::lock_guard<std::mutex> l(m_);
      cinquiemeEcrit_ = true;
      cv_.notify_all();
    }
    return target()->NewWritableFile(p, out);
  }
  pdx::Status SyncDir(const std::string& p) override {
    if (p.compare(0, troisieme_.size() - 1, troisieme_, 0, troisieme_.size() - 1) != 0) return target()->SyncDir(p);
    std::unique_lock<std::mutex> l(m_);
    cv_.wait_for(l, std::chrono::seconds(20), [&] { return cinquiemeEcrit_; });
    return pdx::Status::IOError(p + ": sync failed (test)");
  }
  bool CinquiemeEcrit() {
    std::lock_guard<std::mutex> l(m_);
    return cinquiemeEcrit_;
  }

 private:
  std::string troisieme_, cinquieme_;
  std::mutex m_;
  std::condition_variable cv_;
  bool cinquiemeEcrit_ = false;
};

TEST(Fautes, ACommitFailingWhileTheNextTwoAgenciesWaitLeavesThemAsTheyWere) {
  const Reference& ref = Ref();
  auto d = Preparer();
  ASSERT_EQ(Lire(*d), ref.avant);
  auto codes = d->AgencesPropres();
  EnvRetenue env(d->Administration(codes[2]) + "/", d->Administration(codes[4]) + "/");
  corv::SauvegardeFichiers sauvegarde(Rapide(), corv::RacineSauvegardes(d->ini()));

  Resultat r = Transferer(&env, *d, false, &sauvegarde);
  ASSERT_TRUE(env.CinquiemeEcrit()) << "the fifth agency was not waiting: the test would prove nothing";
  // The fourth and fifth agencies' new files are gone too, their tables as before.
  VerifierErreurALaTroisieme(r, *d);
  for (size_t i = 3; i < 5; ++i) {
    for (const auto& l : r.messages) EXPECT_EQ(l.find(Nom(*d, codes[i])), std::string::npos) << l;
    for (const auto& l : r.erreurs) EXPECT_EQ(l.find(Nom(*d, codes[i])), std::string::npos) << l;
  }
  // Only the agencies the run began to change were saved.
  corv::RunSauve run;
  ASSERT_TRUE(corv::LireSauvegarde(Rapide(), sauvegarde.Racine(), sauvegarde.Run()->Nom(), &run).ok());
  ASSERT_EQ(run.agences.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(run.agences[i].code, codes[i]);
}

TEST(Fautes, ATableHeldByAnotherWriterEndsTheRunWithAClearErrorAndEarlierAgenciesStayDone) {
  auto d = Preparer();
  auto codes = d->AgencesPropres();
  std::unique_ptr<pdx::TableWriter> autre;
  ASSERT_TRUE(pdx::TableWriter::Open(Rapide(), d->Administration(codes[2]), "REMISES.DB", {}, &autre).ok());
  corv::SauvegardeFichiers sauvegarde(Rapide(), corv::RacineSauvegardes(d->ini()));

  Resultat r = Transferer(Rapide(), *d, false, &sauvegarde);
  autre.reset();
  EXPECT_NE(r.run.erreur.find("utilisée par un autre programme"), std::string::npos) << r.run.erreur;
  VerifierErreurALaTroisieme(r, *d);
}

TEST(Fautes, ABackupThatCannotBeWrittenStopsTheRunBeforeTheTableChanges) {
  const Reference& ref = Ref();
  auto d = Preparer();
  const std::string racine = corv::RacineSauvegardes(d->ini());
  pdx::FaultEnv fault(Rapide());
  EnvSous env(&fault, racine);
  fault.SetDiskFull(0);  // the backup folder's disk is full
  corv::SauvegardeFichiers sauvegarde(&env, racine);

  Resultat r = Transferer(Rapide(), *d, false, &sauvegarde);
  EXPECT_EQ(r.run.fin, corv::ResultatRun::Fin::kErreur);
  EXPECT_EQ(r.run.agencesTraitees, 0);
  const std::string premiere = d->AgencesPropres().at(0);
  EXPECT_NE(r.run.erreur.find(Nom(*d, premiere)), std::string::npos) << r.run.erreur;
  EXPECT_NE(r.run.erreur.find("REMISES.DB"), std::string::npos) << r.run.erreur;
  VerifierFinDeRun(r);
  EXPECT_EQ(Lire(*d), ref.avant);
}

#ifndef _WIN32  // processes killed with a signal
// Finishes what a killed writer left (as the next writer's open does), then
// tells which state each agency is in: 'a' before, 'n' after, '?' neither.
std::string Etats(const t3::Demo& d, const Reference& ref) {
  std::string s;
  for (const auto& c : d.AgencesPropres()) {
    const std::string dir = d.Administration(c);
    std::unique_ptr<pdx::TableWriteLock> verrou;
    EXPECT_TRUE(pdx::AcquireTableWriteLock(Rapide(), dir, "REMISES", {}, &verrou).ok()) << c;
    EXPECT_TRUE(pdx::RecoverTable(Rapide(), dir, "REMISES").ok()) << c;
    auto lignes = t3::Lignes(dir, "REMISES.DB");
    s += lignes == ref.avant.at(c) ? 'a' : lignes == ref.apres.at(c) ? 'n' : '?';
    EXPECT_EQ(t3::Controle(dir, "REMISES.DB"), std::vector<std::string>{}) << c;
  }
  return s;
}

// A real run in a child process; killed after `apres` seconds unless negative.
// Returns the child's wait status.
int RunEnfant(const t3::Demo& d, double apres) {
  pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    corv::SauvegardeFichiers sauvegarde(Rapide(), corv::RacineSauvegardes(d.ini()));
    Resultat r = Transferer(Rapide(), d, false, &sauvegarde);
    ::_exit(r.run.fin == corv::ResultatRun::Fin::kTerminee ? 0 : 1);
  }
  if (apres >= 0) {
    std::this_thread::sleep_for(std::chrono::duration<double>(apres));
    ::kill(pid, SIGKILL);
  }
  int statut = 0;
  if (::waitpid(pid, &statut, 0) != pid) return -1;
  return statut;
}

TEST(Fautes, AProcessKilledAtAnyMomentLeavesEveryAgencyOldOrNew) {
  auto d = Preparer();
  auto codes = d->AgencesPropres();
  Reference ref;  // this installation's own before and after
  ref.avant = Lire(*d);
  // The state every kill starts from, kept aside with the backups' own means.
  corv::SauvegardeRun depart(Rapide(), d->tmp.path() + "/depart", "depart", 0);
  for (const auto& c : codes) ASSERT_TRUE(depart.SauverTable(c, c, "", d->Administration(c), "REMISES.DB").ok());
  corv::RunSauve etatInitial;
  ASSERT_TRUE(corv::LireSauvegarde(Rapide(), d->tmp.path() + "/depart", depart.Nom(), &etatInitial).ok());
  auto remettre = [&] {
    corv::RecordingRunReport rapport;
    pdx::Status s = corv::Restaurer(Rapide(), nullptr, etatInitial, "", rapport);
    ASSERT_TRUE(s.ok()) << s.ToString();
  };

  // One whole run of a child, timed from its start-up to its end.
  auto debut = std::chrono::steady_clock::now();
  int statut = RunEnfant(*d, -1);
  const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
  ASSERT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << "the run itself failed";
  ref.apres = Lire(*d);
  for (const auto& c : codes) ASSERT_NE(ref.avant.at(c), ref.apres.at(c)) << c << ": the run changes nothing here";
  ASSERT_EQ(Etats(*d, ref), "nnnnn");

  // Kill moments spread over the whole run, a little jitter, the same each time.
  const int kKills = 16;
  std::mt19937 alea(11);
  std::uniform_real_distribution<double> jitter(-0.4, 0.4);
  std::map<std::string, int> vus;
  for (int k = 0; k < kKills; ++k) {
    remettre();
    ASSERT_EQ(Etats(*d, ref), "aaaaa");
    double apres = total * (k + 0.5 + jitter(alea)) / kKills;
    statut = RunEnfant(*d, apres);
    if (WIFEXITED(statut)) {
      EXPECT_EQ(WEXITSTATUS(statut), 0) << "the run itself failed";
    }
    std::string e = Etats(*d, ref);
    EXPECT_EQ(e.find('?'), std::string::npos) << "after a kill at " << apres << " s of " << total << " s: " << e;
    ++vus[e];
  }
  std::string resume;
  for (const auto& [e, n] : vus) resume += e + " x" + std::to_string(n) + " ";
  // Without kills inside the agencies' work the test would prove little.
  EXPECT_GE(vus.size(), 2u) << resume;
  std::cout << "states after " << kKills << " kills over " << total << " s: " << resume << "\n";

  // A complete run afterwards brings every agency to its new rows.
  corv::SauvegardeFichiers sauvegarde(Rapide(), corv::RacineSauvegardes(d->ini()));
  Resultat r = Transferer(Rapide(), *d, false, &sauvegarde);
  EXPECT_EQ(r.run.fin, corv::ResultatRun::Fin::kTerminee) << r.run.erreur;
  EXPECT_EQ(Etats(*d, ref), "nnnnn");
}
#endif

}  // namespace

#pragma once
// Backups of the agency tables a real run changes, and their restoration.
//
// Layout, under the backup root ("Sauvegardes" beside "qvrbde.ini" by default):
//   <root>/<YYYY-MM-DD_HH-MM-SS>_<kind>/          one folder per run ("Sauvegarde.ini":
//                                                  kind and start time)
//   <root>/<run>/<agency code>/                    one per agency ("Sauvegarde.ini": the
//                                                  agency and, per table, where it lives
//                                                  and which files were saved)
//   <root>/<run>/<agency code>/<n>/                only for a second table of the same
//                                                  name from another directory
// The run folder is created at the first table saved (a simulation, or a real run
// that changes nothing, leaves no folder), and the oldest runs are then removed so
// that kSauvegardesConservees remain.
//
// Contract:
//  - SauverTable copies every file of the table's base name (data, primary and
//    secondary indexes, blobs, validity file; names matched without regard to
//    case; our own lock, journal and staged files and the engine's .LCK are not
//    table content) the first time the run asks for that table of that agency;
//    later calls do nothing. Each copy goes to a temporary file, is synced and
//    renamed; the agency's manifest names a table only once all its files are
//    durable, so a crash mid-backup never lists a partial backup.
//  - The caller holds the table's write lock while it saves (the run's writer is
//    open on the table), so nobody changes the files during the copy. A table that
//    does not exist yet is recorded as absent: restoring removes it.
//  - Restaurer puts the saved tables back, each in one engine commit (all its files
//    or none). It first takes the write lock of every table it is to restore; when
//    one is in use (by our writer or the engine's lock files) nothing is restored
//    and the error names the table. Files of the table that did not exist at the
//    backup (an index added since) are removed by the same commit. What it
//    replaces is saved first as a run of kind "avant-restauration", so a
//    restoration can itself be undone.
//  - Errors name the file or table and say what went wrong, in French.
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"
#include "transfer/squelette.h"
#include "util/run_report.h"
#include "util/winpath.h"

namespace corv {

class Chemins;

inline constexpr const char* kRepertoireSauvegardes = "Sauvegardes";
inline constexpr const char* kManifesteSauvegarde = "Sauvegarde.ini";
inline constexpr int kSauvegardesConservees = 20;
// Kind of the run under which a restoration saves the tables it replaces.
inline constexpr const char* kSorteAvantRestauration = "avant-restauration";

// The backup root beside a configuration file given by its host path.
std::string RacineSauvegardes(const std::string& fichierIniHote);
// The backup root of an installation: beside fichierIni (host path), or beside
// the program's own "qvrbde.ini" when fichierIni is empty.
std::string RacineSauvegardesInstallation(const Chemins& chemins, const HostPaths& host,
                                          const std::string& fichierIni);

// Names of the files of table `base` found in dir (see the contract), sorted.
pdx::Status FichiersDeTable(pdx::Env* env, const std::string& dir, const std::string& base,
                            std::vector<std::string>* noms);

// A saved table, as the agency's manifest records it.
struct TableSauvee {
  std::string fichier;         // the .DB file name as found ("REMISES.DB")
  std::string repertoire;      // its directory, Windows form ("" when unknown)
  std::string repertoireHote;  // its directory on the host at backup time
  std::string dossier;         // folder of the saved files, relative to the agency's
  std::vector<std::string> fichiers;  // saved files; empty: the table did not exist
};

struct AgenceSauvee {
  std::string code, nom;
  std::string dossier;  // its folder in the run
  std::vector<TableSauvee> tables;
};

struct RunSauve {
  std::string nom;    // the run's folder name
  std::string sorte;  // "conditions-achat", ...
  std::string debut;  // "08/12/2026 09:37:57"
  std::string repertoire;  // host path of the run's folder
  std::vector<AgenceSauvee> agences;
  // A run of kind "avant-restauration": the run whose restoration it prepared,
  // and that run's own kind (the kind of the transfer at the origin, through
  // a chain of restorations). Empty otherwise.
  std::string restauration, sorteRestauree;
  // Runs started in the same second: their order of creation (0 for the first).
  int rang = 0;
};

// The backups of one run.
class SauvegardeRun {
 public:
  // Nothing is written until the first SauverTable.
  SauvegardeRun(pdx::Env* env, std::string racine, std::string sorte, std::time_t debut);
  SauvegardeRun(const SauvegardeRun&) = delete;
  SauvegardeRun& operator=(const SauvegardeRun&) = delete;

  // Saves table `fichier` of repertoireHote (Windows form in repertoire, kept for
  // the restoration) for the agency, unless this run saved it already.
  pdx::Status SauverTable(const std::string& codeAgence, const std::string& nomAgence,
                          const std::string& repertoire, const std::string& repertoireHote,
                          const std::string& fichier);

  // The run's folder name and host path; empty until the first table is saved.
  const std::string& Nom() const { return nom_; }
  const std::string& Repertoire() const { return repertoire_; }
  size_t TablesSauvees() const { return faites_.size(); }
  // Keeps every older run (the restoration saves what it replaces this way).
  void SansElagage() { elaguer_ = false; }
  // A restoration's own backup: which run it restores (recorded with the run).
  void PourRestaurer(const RunSauve& restauree);

 private:
  pdx::Status Commencer();
  pdx::Status EcrireManifeste(const AgenceSauvee& a, const std::string& dirAgence);

  pdx::Env* env_;
  std::string racine_, sorte_;
  std::time_t debut_;
  bool elaguer_ = true;
  std::string restauration_, sorteRestauree_;
  std::string nom_, repertoire_;
  std::vector<AgenceSauvee> agences_;
  std::set<std::string> faites_;  // agency + directory + table (upper case) already saved
};

// The backup hook of the transfers: one SauvegardeRun per run, started at the
// run's start time and named by its kind. A front end (or the skeleton, for a
// real run given none) makes one on RacineSauvegardesInstallation(chemins, host,
// OptionsRun::fichierIniBde) and passes it in OptionsRun::sauvegarde.
class SauvegardeFichiers : public SauvegardeTransfert {
 public:
  SauvegardeFichiers(pdx::Env* env, std::string racine) : env_(env), racine_(std::move(racine)) {}

  pdx::Status Debut(SorteTransfert sorte, std::chrono::system_clock::time_point debut) override;
  pdx::Status AvantModification(const AgenceTransfert& agence, const std::string& repertoireHote,
                                const std::string& fichier) override;
  void Fin(bool) override {}
  std::string Nom() const override { return run_ ? run_->Nom() : ""; }

  const std::string& Racine() const { return racine_; }
  // The backups of the last run started (null before the first).
  const SauvegardeRun* Run() const { return run_.get(); }

 private:
  pdx::Env* env_;
  std::string racine_;
  std::unique_ptr<SauvegardeRun> run_;
};

// The runs of a backup root, oldest first (by the start time their folder name
// starts with, then, within one second, in the order they were made). A
// missing root is an empty list.
pdx::Status ListerSauvegardes(pdx::Env* env, const std::string& racine, std::vector<RunSauve>* runs);
// One run by folder name: NotFound when absent.
pdx::Status LireSauvegarde(pdx::Env* env, const std::string& racine, const std::string& nom, RunSauve* run);

// Removes the oldest runs so that at most `garder` remain.
pdx::Status ElaguerSauvegardes(pdx::Env* env, const std::string& racine, int garder);

inline constexpr const char* kTexteRestaurationRunEnCours =
    "Restauration refusée : un transfert ou un nettoyage est en cours sur cette installation ; "
    "relancez la restauration quand il sera terminé.";

// Takes the lock the transfers and the clean-up hold while they run (in head
// office's Administration directory), for the time of a restoration: a run in
// progress could change again a table just put back, and no run starts while
// the lock is held. Busy (kTexteRestaurationRunEnCours) while a run is in
// progress; OK without a lock when head office's directory is unknown.
pdx::Status VerrouRestauration(const Session& session, const HostPaths& host, std::unique_ptr<pdx::FileLock>* verrou);

// Puts back the tables of `run` (every agency, or only codeAgence when not empty;
// NotFound when the run holds no such agency). host, when given, converts the
// recorded Windows directories (so the installation's current mapping applies);
// otherwise the host directories of the backup are used. Progress and every
// restored table go to rapport; the returned error says why it stopped.
pdx::Status Restaurer(pdx::Env* env, const HostPaths* host, const RunSauve& run, const std::string& codeAgence,
                      RunReport& rapport, int* tablesRestaurees = nullptr);

}  // namespace corv

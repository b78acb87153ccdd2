#pragma once
// The restoration of a saved run as the front ends offer it (corvanes-batch
// restauration and the backups window): which runs there are for a kind of
// transfer, whether a later run changed their tables again, and the whole
// restoration (not while a run is in progress, the run read by name, its tables
// put back). Both front ends go through here, so they restore the same way.
#include <string>
#include <vector>

#include "data/application.h"
#include "transfer/sauvegarde.h"
#include "data/journal.h"
#include "util/run_report.h"

namespace corv {

// A later run that saved (so was about to change) a table of an earlier one.
struct RunPosterieur {
  std::string nom, sorte, debut;
};

struct SauvegardeListee {
  RunSauve run;
  // The later runs, oldest first, that changed one of its tables since: a
  // restoration of this run puts back the state before it and loses theirs.
  std::vector<RunPosterieur> modifieeDepuis;
};

// Whether run `r` belongs to the kind `sorte`: its own kind, or for a
// restoration's backup the kind of the run it restored.
bool RunDeSorte(const RunSauve& r, const std::string& sorte);

// The runs of the backup root whose kind is one of `sortes` (every run when
// empty), newest first, each with the later runs (of any kind) that saved one
// of its tables again. A table is the same when agency code, host directory
// and file name match without regard to case.
pdx::Status ListerSauvegardesDe(pdx::Env* env, const std::string& racine, const std::vector<std::string>& sortes,
                                std::vector<SauvegardeListee>* liste);

// Puts back run `nom` of the backup root (every agency, or only codeAgence when
// not empty) on the installation of app: refused while a transfer or the
// clean-up runs there (VerrouRestauration), then as Restaurer does. app is
// only read (its named databases and its path mapping). Whatever the outcome,
// a journal of kind "restauration" is written beside the installation's
// "qvrbde.ini"; *journal says where, or why it could not be.
pdx::Status RestaurerSauvegarde(Application& app, const std::string& racine, const std::string& nom,
                                const std::string& codeAgence, RunReport& rapport, int* tablesRestaurees = nullptr,
                                JournalEcrit* journal = nullptr);

// The journals' directory of the installation app started on.
std::string RepertoireJournauxInstallation(Application& app);

// The tables the restoration of `run` (or of its agency codeAgence) replaces,
// one line per agency: "Agence de Lyon (LYO03) : REMISES.DB, FOURNIS.DB".
std::vector<std::string> TablesARestaurer(const RunSauve& run, const std::string& codeAgence);

// The French name of a kind of run, for lists ("Conditions d'achat", ...; the
// kind itself when unknown).
std::string LibelleSorte(const std::string& sorte);

}  // namespace corv

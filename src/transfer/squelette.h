#pragma once
// The shape every transfer to the agencies shares (conditions, personalisations,
// messaging, documents) and the client clean-up: read head office's rows into
// memory, walk "Agence.DB" in Code order, re-point a named database at each
// eligible agency, let the kind do its work there, and end with the closing
// lines. A kind derives from TransfertAgences and supplies only what differs.
//
// Contract:
//  - A run works on a session and a data module of its own, made from the
//    program's Application when the run object is built (named databases copied,
//    general price coefficient copied). The program's own named databases are
//    never re-pointed; the run's copies are re-pointed at each agency and pointed
//    back at head office before Lancer returns, whatever happened.
//  - Lancer() runs once per call, on the caller's thread, reporting only through
//    the RunReport (no dialog box is ever shown by a run: the data module's
//    messages become error-list lines). A second Lancer on the same installation
//    while one is in progress (another run object, another window, another
//    process) is refused at once (Fin::kRefusee), nothing logged.
//  - Simulation (the default): every count is computed and logged, no agency
//    row is written. The only changes a simulation may make are those the data
//    module makes on open (creation or upgrade of a table file) and the
//    documents directories of the documents transfer.
//  - A real run changes each agency table in ONE engine commit: the kind opens
//    the table's writer through Ecrivain() (which takes the table's write lock
//    and calls the backup hook once per agency and table), stages every change
//    there, and commits through Valider(). Lookups between a deletion phase and
//    a copy phase go to the writer (TableWriter::Find / Get), which sees the
//    staged changes without writing the file.
//  - An error (a table that cannot be opened, a table in use by another writer,
//    a failed write) ends the run: the message names the agency and the table;
//    the agencies done before stay done, the table being changed stays as it
//    was (its writer is dropped without committing), the end lines are written
//    and the named databases restored.
//  - StopRequested is asked after each agency: the run skips the rest and still
//    ends with its end lines (Fin::kArretee).
//
// For a kind: Lecture() does the reading phase; TraiterAgence() the work in one
// agency (the run's QuintrelAdministration, or QuintrelDossiers for the
// clean-up, already points at it); ApresAgences() after the walk, before the
// end lines; Terminer() runs after the end lines.
// Helpers for kinds: Message/Erreur (log lines, kept for log files),
// Prefixe(agence) (" => Agence  : NOM - "), OuvrirTable, Ecrivain, Valider,
// dm(), session(), chemins(), host(), Simulation(), CoefficientGeneral().
#include <chrono>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/application.h"
#include "data/dm.h"
#include "data/journal.h"
#include "paradox/status.h"
#include "paradox/writer.h"
#include "data/chemins.h"
#include "util/dialogs.h"
#include "util/fixed.h"
#include "util/run_report.h"
#include "util/session.h"

namespace corv {

// The agency being worked on (a row of "Agence.DB").
struct AgenceTransfert {
  std::string code;
  std::string nom;
  std::string repertoire;  // Windows form, as stored
  int flag = 0;
  int rang = 0;            // 1 for the first row of "Agence.DB"
};

// The kinds of run, by the name the command line and the backups use.
enum class SorteTransfert {
  kConditionsAchat,    // "conditions-achat"
  kConditionsVente,    // "conditions-vente"
  kPersonnalisations,  // "personnalisations"
  kMessagerie,         // "messagerie"
  kDocuments,          // "documents"
  kNettoyageClients,   // "nettoyage-clients"
};
std::string NomSorte(SorteTransfert s);

// The backup hook of real runs (the backup module implements it). The run
// calls Debut once before its first agency, AvantModification before the first
// change of each table of each agency (with the table's write lock already
// held, so the files saved are the ones about to be replaced), and Fin on every
// exit path of a run whose Debut succeeded. An error from Debut or
// AvantModification ends the run before anything of that table is written.
class SauvegardeTransfert {
 public:
  virtual ~SauvegardeTransfert() = default;
  // debut: the run's start time.
  virtual pdx::Status Debut(SorteTransfert sorte, std::chrono::system_clock::time_point debut) = 0;
  // repertoireHote: host directory of the table; fichier: its file name as the
  // dictionary names it ("REMISES.DB"; find the files without regard to case).
  virtual pdx::Status AvantModification(const AgenceTransfert& agence, const std::string& repertoireHote,
                                        const std::string& fichier) = 0;
  // complete: the run walked every agency without error.
  virtual void Fin(bool complete) = 0;
  // The name under which the run's backups can be restored ("" when none was made).
  virtual std::string Nom() const { return ""; }
};

// What the front end decides before a run.
struct OptionsRun {
  bool simulation = true;
  // "qvrbde.ini" of the installation (Windows or host form): where the log
  // files go when the executable's directory cannot be written. "" = beside
  // the executable (Chemins::FichierIniBde).
  std::string fichierIniBde;
  // none: no backup. Front ends give real runs a SauvegardeFichiers
  // (transfer/sauvegarde.h) on RacineSauvegardesInstallation(app.chemins(),
  // app.host(), --ini or ""), so every table is saved before it changes and
  // "corvanes-batch restauration" can put it back.
  SauvegardeTransfert* sauvegarde = nullptr;
};

struct ResultatRun {
  enum class Fin {
    kTerminee,  // every agency walked (error-list lines included)
    kArretee,   // stopped on request between two agencies
    kErreur,    // ended on an error (erreur says which agency and table)
    kRefusee,   // another run was in progress on this installation
  };
  Fin fin = Fin::kTerminee;
  std::string erreur;       // French, UTF-8; empty unless kErreur or kRefusee
  int agencesTraitees = 0;  // agencies whose work was done (eligible ones)
  // The run's journal (data/journal.h): where it was written, or why it was
  // not (which does not change how the run ended).
  JournalEcrit journal;
  bool ok() const { return fin == Fin::kTerminee || fin == Fin::kArretee; }
};

// Text of the refusal of a second run.
inline constexpr const char* kTexteRunEnCours =
    "Un transfert ou un nettoyage est déjà en cours sur cette installation : attendez qu'il se termine.";
// Lock file of runs, in head office's Administration directory.
inline constexpr const char* kFichierVerrouRun = "Corvanes.run.lck";

class TransfertAgences {
 public:
  TransfertAgences(Application& app, RunReport& report, OptionsRun options);
  virtual ~TransfertAgences();
  TransfertAgences(const TransfertAgences&) = delete;
  TransfertAgences& operator=(const TransfertAgences&) = delete;

  // Runs, then writes the run's journal (even for a refused run) beside the
  // installation's "qvrbde.ini" (OptionsRun::fichierIniBde).
  ResultatRun Lancer();

  // The lines of the last run (message list, error list), in order.
  const std::vector<std::string>& Messages() const { return messages_; }
  const std::vector<std::string>& Erreurs() const { return erreurs_; }

  bool Simulation() const { return options_.simulation; }
  const OptionsRun& OptionsDuRun() const { return options_; }
  Session& session() { return session_; }
  TDM& dm() { return *dm_; }
  const Chemins& chemins() const { return chemins_; }
  HostPaths& host() { return host_; }
  // The general price coefficient loaded by the program (1 when none).
  Fixed CoefficientGeneral() const { return coefGeneral_; }
  // Head office's Administration directory as the run found it (Windows form).
  const std::string& RepertoireSiege() const { return siegeAdministration_; }

 protected:
  virtual SorteTransfert Sorte() const = 0;
  // Reading phase (labels, row progress, counts). An error ends the run.
  virtual pdx::Status Lecture() = 0;
  // Logged after the reading phase, before the first agency.
  virtual void AvantAgences() {}
  // The first line of each agency: "Lecture de l'agence : " + name by default.
  virtual std::string LigneLectureAgence(const AgenceTransfert& a) const;
  // "Intégration des remises pour l'agence : " (+ name): label and log line.
  virtual std::string TexteIntegration() const = 0;
  // The work in one eligible agency.
  virtual pdx::Status TraiterAgence(const AgenceTransfert& a) = 0;
  // "Fin de l'intégration des remises."
  virtual std::string TexteFin() const = 0;
  // After the walk of the agencies, before the end lines (not after an
  // error): the client clean-up's deletion phase. stopped = the walk was
  // stopped on request, so some agencies were not examined. An error ends the
  // run like any other.
  virtual pdx::Status ApresAgences(bool /*stopped*/) { return pdx::Status::OK(); }
  // An agency that passed the first eligibility test but whose directory is
  // missing (after its error line): the clean-up then must not delete.
  virtual void RepertoireAbsent(const AgenceTransfert& /*a*/) {}
  // After the end lines; complete = every agency walked without error.
  virtual void Terminer(bool /*complete*/) {}
  // The user's options, for the journal: (caption, value) in the window's order.
  virtual std::vector<std::pair<std::string, std::string>> OptionsJournal() const { return {}; }
  // The client clean-up examines the agencies sharing head office's
  // Administration (Flag bit 0 set) and re-points QuintrelDossiers at
  // Repertoire\Dossiers\; the transfers the others, re-pointing
  // QuintrelAdministration at Repertoire\Administration\.
  virtual bool EligibiliteInversee() const { return false; }

  // Log lines (also kept for Messages()/Erreurs()).
  void Message(const std::string& ligne);
  void Erreur(const std::string& ligne);
  RunReport& report() { return report_; }
  // The run's dialogs (for the database routines): messages become error lines.
  Dialogs& dialogs();
  // " => Agence  : " + name + " - "
  static std::string Prefixe(const AgenceTransfert& a);

  // Opens a component of the run's data module (its open handler creates or
  // upgrades the file); an error names the agency (when there is one) and the
  // table.
  pdx::Status OuvrirTable(Composant& c, const AgenceTransfert* a = nullptr);
  // Real runs only: the component's writer (the component must be open), with
  // the table's write lock; calls the backup hook the first time a table of
  // this agency is asked for. A table in use is an error naming agency and table.
  pdx::Status Ecrivain(Composant& c, const AgenceTransfert& a, pdx::TableWriter** w);
  // The same without the backup, which ValiderEnArrierePlan then makes.
  pdx::Status EcrivainSansSauvegarde(Composant& c, const AgenceTransfert& a, pdx::TableWriter** w);
  // Commits the staged changes (one engine commit) and closes the component.
  pdx::Status Valider(Composant& c, const AgenceTransfert& a);
  // The same, the commit running beside the next agencies' work: a thread of
  // this agency's own writes the table's new files beside it, waits for the
  // previous agency's commit (whose failure ends the run, this table
  // untouched), makes the backup, then commits. The next agency is read
  // meanwhile; no more than two agencies wait for their commits. Until a
  // commit is known done, the lines of what follows are held back, so that
  // the lists read as if the agencies were done one after the other; an
  // agency counts as done, and the next one's lines appear, once its commit
  // succeeded.
  pdx::Status ValiderEnArrierePlan(Composant& c, const AgenceTransfert& a);
  // The error of a table, naming the agency and the table.
  pdx::Status ErreurTable(const Composant& c, const AgenceTransfert* a, const pdx::Status& s) const;
  pdx::Status ErreurTable(const std::string& fichier, const std::string& repertoire, const AgenceTransfert* a,
                          const pdx::Status& s) const;

 private:
  class DialogsRun;
  ResultatRun Executer();
  ResultatRun LancerSeul();
  void EcrireJournal(std::chrono::system_clock::time_point debut, ResultatRun* r);
  pdx::Status Parcourir(ResultatRun* r);
  pdx::Status ParcourirAgences(ResultatRun* r);
  void Restaurer();
  pdx::Status Sauvegarder(Composant& c, const AgenceTransfert& a);
  // The backup of a table of the agency, once per agency and table; its error
  // does not name them yet. Called from the run's and the commits' threads.
  pdx::Status SauvegarderFichier(const AgenceTransfert& a, const std::string& repertoireHote, const std::string& fichier);
  // Waits for every commit started by ValiderEnArrierePlan, in order: each
  // success counts the agency as done and lets its held lines go out; a failure
  // drops the lines held after it (the agencies after it drop their new files)
  // and is the error, naming the agency and the table.
  pdx::Status AttendreValidation();
  // The same for the oldest commit only.
  pdx::Status ResoudreValidation();
  // A line to the lists now, held or not.
  void Emettre(bool erreur, const std::string& ligne);

  RunReport& report_;
  OptionsRun options_;
  Session session_;
  HostPaths& host_;
  Chemins chemins_;
  std::unique_ptr<DialogsRun> dialogs_;
  std::unique_ptr<TDM> dm_;
  Fixed coefGeneral_;
  std::string siegeAdministration_, siegeDossiers_;
  std::vector<std::string> messages_, erreurs_;
  bool sauvegardeOuverte_ = false;
  // Threads: Lancer runs on one thread (the run's); ValiderEnArrierePlan
  // starts one thread per commit. A commit's thread touches its own writer and
  // files, and of this object only the backup state below, under sauvegarde_
  // .mutex; everything else is the run's thread's alone. The run waits for
  // every commit's thread before Parcourir returns, and the destructor does
  // again, so no thread outlives what it refers to.
  struct EtatSauvegarde {
    std::mutex mutex;
    std::vector<std::string> faites;  // "agency code|table" already backed up
  };
  EtatSauvegarde sauvegarde_;
  // The commits running beside the work of the next agencies, oldest first.
  struct ValidationEnCours {
    std::future<pdx::Status> resultat;
    std::future<void> fin;  // the thread, which still lets its table go
    std::string fichier, repertoire;
    AgenceTransfert agence;
    std::vector<std::pair<bool, std::string>> differees;  // lines held after it: (error list?, text)
  };
  std::deque<ValidationEnCours> validations_;
  // Whether the last agency handed to a thread committed (the next one's
  // thread waits for it).
  std::shared_future<bool> precedente_;
  std::deque<std::future<void>> finissants_;  // threads of commits done, letting their tables go
  ResultatRun* resultat_ = nullptr;  // the run walking the agencies
  bool agenceEnArrierePlan_ = false;  // the agency just done left its commit running
};

}  // namespace corv

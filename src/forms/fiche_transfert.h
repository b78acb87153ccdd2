#pragma once
// The shape shared by the transfer windows and the client clean-up: reading label
// and bar, agency label and bar, the running log, the error list in red, the
// simulation box (checked by default) and the start button. The run itself is a
// core object: the window only gathers the options, starts it through its
// TacheFenetre (forms/tache_fenetre.h) and shows what it reports. During a run the start button and the options are
// disabled (a second start cannot happen) and "Arrêter" asks the run to stop
// after the agency in progress.
#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "transfer/squelette.h"
#include "util/dialogs.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;
class QVBoxLayout;

namespace corv {

class Application;
class RunReport;
class TacheFenetre;

class TFicheTransfert : public QDialog {
  Q_OBJECT
 public:
  // The work of one run, executed on the worker thread with the options read when
  // it was started. It returns "" when the run completed, or the text of the error
  // that ended it (shown in an error box once the run is over). It refers to
  // nothing of the window (see TacheFenetre).
  using Travail = std::function<std::string(RunReport&)>;

  TFicheTransfert(Application& app, QWidget* parent = nullptr);
  ~TFicheTransfert() override;

  QLabel* lblLecture;
  QProgressBar* pbRecord;
  QLabel* lblAgence;
  QProgressBar* pbAgence;
  QListWidget* listMessages;  // "listDocuments" in the documents window
  QListWidget* lstErreurs;
  QCheckBox* cbSimulation;
  QPushButton* btnLancer;
  QPushButton* btnArreter;
  QPushButton* btnSauvegardes;
  QLabel* lblJournal;  // where the last run's journal was written  // "Sauvegardes...": the window's saved runs and their restoration

  bool EnCours() const;
  // Blocks (processing events) until the run in progress, if any, is over.
  void AttendreFin();
  // How the last run of a core run object ended (runs started through
  // TravailDuRun); meaningful once runTermine was emitted.
  const ResultatRun& DernierResultat() const { return resultat_; }

 public Q_SLOTS:
  void btnLancerClick();
  void btnArreterClick();
  // Opens the backups of the window's kind of run (TFicheRestauration).
  void btnSauvegardesClick();

 Q_SIGNALS:
  void runTermine();

 protected:
  // The kind of window: its run, built on the window's thread from the options.
  virtual Travail PreparerTravail() = 0;
  // The kind of run of the window (its backups are listed by that name).
  virtual SorteTransfert SorteFenetre() const = 0;
  // The core run object of the kind, made from the run's options.
  using CreationRun = std::function<std::unique_ptr<TransfertAgences>(RunReport&, const OptionsRun&)>;
  // The work of a core run object, prepared as the command line prepares it:
  // a simulation while cbSimulation is checked; a real run saves each table
  // before changing it. The object is built here, on the window's thread, on
  // the report of the window's task.
  Travail TravailDuRun(const CreationRun& creer);
  // Whether a run clears the message list too (the error list always is).
  virtual bool EffacerMessages() const { return false; }
  // Options of the kind are added here, above the start button; they are
  // disabled during a run.
  QVBoxLayout* ZoneOptions() const { return options_; }
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  Application& app_;
  Dialogs& dialogs_;

 private:
  void Terminer(const QString& erreur);
  void ActiverControles(bool actif);
  // Shows the lines received since the last batch.
  void AfficherLignes();

  QVBoxLayout* options_;
  QWidget* optionsBox_;
  TacheFenetre* tache_;
  QTimer* vidage_;
  QStringList attenteMessages_, attenteErreurs_;
  ResultatRun resultat_;
  // Where the run started through TravailDuRun leaves its result (its thread
  // writes it; read once the run is over).
  std::shared_ptr<ResultatRun> resultatRun_;
};

}  // namespace corv

#pragma once
// "Sauvegardes": the saved runs of one kind of transfer (or of the client
// clean-up), newest first, and their restoration. Opened by "Sauvegardes..."
// on the transfer windows and the clean-up window. A restoration puts back the
// tables a run saved (every agency, or the agency selected) through the same
// core as "corvanes-batch restauration", after a Yes/No question naming what
// will be replaced; it runs off the window's thread (its TacheFenetre,
// forms/tache_fenetre.h) and reports in the usual lists.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "transfer/restauration.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace corv {

class Application;
class Dialogs;
class TacheFenetre;

class TFicheRestauration : public QDialog {
  Q_OBJECT
 public:
  // sorte: the kind of run listed ("conditions-achat", ...); libelle: the
  // caption of the window it belongs to, shown in this one's caption.
  TFicheRestauration(Application& app, std::string sorte, const std::string& libelle, QWidget* parent = nullptr);
  ~TFicheRestauration() override;

  QLabel* lblSauvegardes;
  QTreeWidget* lwSauvegardes;  // one row per run: date and time, kind, ...
  QTreeWidget* lwAgences;      // "Toutes les agences", then the run's agencies
  QPushButton* btnRestaurer;
  QPushButton* btnFermer;
  QLabel* lblAgence;
  QProgressBar* pbAgence;
  QListWidget* listMessages;
  QListWidget* lstErreurs;
  QLabel* lblJournal;

  // Reads the runs again from disk (keeps the run selected when still there).
  void Actualiser();
  const std::vector<SauvegardeListee>& Sauvegardes() const { return liste_; }
  // Selects the run of that folder name; false when it is not listed.
  bool SelectionnerSauvegarde(const std::string& nom);
  // Selects an agency of the selected run by code ("" = every agency).
  bool SelectionnerAgence(const std::string& code);
  bool EnCours() const;
  // Blocks (processing events) until the restoration in progress, if any, is over.
  void AttendreFin();
  // Starts the restoration of the selection without the question (captures).
  void LancerRestauration();

 public Q_SLOTS:
  // Asks, then restores the selected run (or its selected agency).
  void btnRestaurerClick();

 Q_SIGNALS:
  void restaurationTerminee();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void RemplirAgences();
  const SauvegardeListee* Selection() const;
  std::string AgenceSelectionnee() const;
  void Terminer(const QString& erreur);
  void ActiverControles(bool actif);

  Application& app_;
  Dialogs& dialogs_;
  std::string sorte_, racine_;
  std::vector<SauvegardeListee> liste_;
  TacheFenetre* tache_;
  // What the restoration in progress leaves behind (its thread writes it; read
  // once it is over).
  std::shared_ptr<JournalEcrit> journalRun_;
};

}  // namespace corv

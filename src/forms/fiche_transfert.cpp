#include "forms/fiche_transfert.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "data/application.h"
#include "forms/fenetres.h"
#include "forms/journal_fenetre.h"
#include "forms/fiche_restauration.h"
#include "forms/listes_tache.h"
#include "forms/qt_run_report.h"
#include "forms/tache_fenetre.h"
#include "transfer/preparation_run.h"

namespace corv {

TFicheTransfert::TFicheTransfert(Application& app, QWidget* parent)
    : QDialog(parent), app_(app), dialogs_(app.dialogs()), tache_(new TacheFenetre(this)) {
  auto* layout = new QVBoxLayout(this);

  optionsBox_ = new QWidget(this);
  options_ = new QVBoxLayout(optionsBox_);
  options_->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(optionsBox_);

  cbSimulation = new QCheckBox(QStringLiteral("Faire une simulation du lancement"), this);
  cbSimulation->setObjectName("cbSimulation");
  cbSimulation->setChecked(true);
  QFont gras = cbSimulation->font();
  gras.setBold(true);
  cbSimulation->setFont(gras);
  QPalette vert = cbSimulation->palette();
  vert.setColor(QPalette::WindowText, QColor(0, 128, 0));
  vert.setColor(QPalette::ButtonText, QColor(0, 128, 0));
  cbSimulation->setPalette(vert);
  layout->addWidget(cbSimulation);

  auto* boutons = new QHBoxLayout;
  btnLancer = new QPushButton(this);
  btnLancer->setObjectName("btnLancer");
  btnLancer->setDefault(true);
  btnArreter = new QPushButton(QStringLiteral("Arrêter"), this);
  btnArreter->setObjectName("btnArreter");
  btnArreter->setEnabled(false);
  btnSauvegardes = new QPushButton(QStringLiteral("Sauvegardes..."), this);
  btnSauvegardes->setObjectName("btnSauvegardes");
  boutons->addWidget(btnLancer, 1);
  boutons->addWidget(btnArreter);
  boutons->addWidget(btnSauvegardes);
  layout->addLayout(boutons);

  lblLecture = new QLabel(this);
  lblLecture->setObjectName("lblLecture");
  pbRecord = new QProgressBar(this);
  pbRecord->setObjectName("pbRecord");
  pbRecord->setValue(0);
  lblAgence = new QLabel(this);
  lblAgence->setObjectName("lblAgence");
  pbAgence = new QProgressBar(this);
  pbAgence->setObjectName("pbAgence");
  pbAgence->setValue(0);
  layout->addWidget(lblLecture);
  layout->addWidget(pbRecord);
  layout->addWidget(lblAgence);
  layout->addWidget(pbAgence);

  const ListesTache listes = AjouterListesTache(this, layout, 3, 1);
  listMessages = listes.messages;
  lstErreurs = listes.erreurs;
  lblJournal = listes.journal;

  resize(760, 640);

  connect(btnLancer, &QPushButton::clicked, this, &TFicheTransfert::btnLancerClick);
  connect(btnArreter, &QPushButton::clicked, this, &TFicheTransfert::btnArreterClick);
  connect(tache_, &TacheFenetre::termine, this, &TFicheTransfert::Terminer);
  QtRunReport* report = tache_->qtReport();
  connect(btnSauvegardes, &QPushButton::clicked, this, &TFicheTransfert::btnSauvegardesClick);
  // Lines are gathered and shown a batch at a time: scrolling the list for each
  // line of a long detailed log would keep the window busy long after the run.
  vidage_ = new QTimer(this);
  vidage_->setSingleShot(true);
  vidage_->setInterval(40);
  connect(vidage_, &QTimer::timeout, this, &TFicheTransfert::AfficherLignes);
  connect(report, &QtRunReport::message, this, [this](const QString& l) {
    attenteMessages_.append(l);
    if (!vidage_->isActive()) vidage_->start();
  });
  connect(report, &QtRunReport::error, this, [this](const QString& l) {
    attenteErreurs_.append(l);
    if (!vidage_->isActive()) vidage_->start();
  });
  connect(report, &QtRunReport::readingLabel, lblLecture, &QLabel::setText);
  connect(report, &QtRunReport::agencyLabel, lblAgence, &QLabel::setText);
  connect(report, &QtRunReport::rowProgress, this, [this](int p, int m) {
    pbRecord->setMaximum(m);
    pbRecord->setValue(p);
  });
  connect(report, &QtRunReport::agencyProgress, this, [this](int p, int m) {
    pbAgence->setMaximum(m);
    pbAgence->setValue(p);
  });
}

// A run in progress is stopped and waited for by the task, a child of the window.
TFicheTransfert::~TFicheTransfert() = default;

bool TFicheTransfert::EnCours() const { return tache_->EnCours(); }

void TFicheTransfert::AfficherLignes() {
  vidage_->stop();
  if (!attenteMessages_.isEmpty()) {
    listMessages->addItems(attenteMessages_);
    attenteMessages_.clear();
    listMessages->scrollToBottom();
  }
  if (!attenteErreurs_.isEmpty()) {
    lstErreurs->addItems(attenteErreurs_);
    attenteErreurs_.clear();
    lstErreurs->scrollToBottom();
  }
}

void TFicheTransfert::ActiverControles(bool actif) {
  btnLancer->setEnabled(actif);
  optionsBox_->setEnabled(actif);
  cbSimulation->setEnabled(actif);
  btnArreter->setEnabled(!actif);
  btnSauvegardes->setEnabled(actif);
}

void TFicheTransfert::btnSauvegardesClick() {
  if (EnCours()) return;  // a restoration must not race the run that saves
  TFicheRestauration f(app_, NomSorte(SorteFenetre()), windowTitle().toStdString(), this);
  ExecuterModal(f);
}

void TFicheTransfert::btnLancerClick() {
  if (tache_->EnCours()) return;  // a run is in progress: a second one is never started
  lstErreurs->clear();
  if (EffacerMessages()) listMessages->clear();
  Travail travail;
  try {
    travail = PreparerTravail();
  } catch (const std::exception& e) {
    dialogs_.Error(e.what());
    return;
  }
  if (!travail) return;
  ActiverControles(false);
  // termine is queued after every report signal of the run: the lists are
  // complete when Terminer runs.
  tache_->Lancer(std::move(travail));
}

TFicheTransfert::Travail TFicheTransfert::TravailDuRun(const CreationRun& creer) {
  auto preparation =
      std::make_shared<PreparationRun>(PreparerRun(app_, app_.FichierIni(), !cbSimulation->isChecked()));
  std::shared_ptr<TransfertAgences> run = creer(tache_->report(), preparation->options);
  resultat_ = ResultatRun();
  // The run object and its backups live as long as the work; the result is
  // read on the window's thread once the worker has finished.
  auto resultat = std::make_shared<ResultatRun>();
  resultatRun_ = resultat;
  return [preparation, run, resultat](RunReport&) -> std::string {
    *resultat = run->Lancer();
    return resultat->ok() ? std::string() : resultat->erreur;
  };
}

void TFicheTransfert::btnArreterClick() {
  if (!tache_->EnCours()) return;
  tache_->Arreter();
  btnArreter->setEnabled(false);  // taken into account: the run ends after the agency in progress
}

void TFicheTransfert::Terminer(const QString& erreur) {
  if (resultatRun_) {
    resultat_ = *resultatRun_;
    resultatRun_.reset();
  }
  AfficherLignes();
  ActiverControles(true);
  if (listMessages->count() > 0) listMessages->setCurrentRow(listMessages->count() - 1);
  if (!erreur.isEmpty()) dialogs_.Error(erreur.toStdString());
  if (!resultat_.journal.chemin.empty() || !resultat_.journal.erreur.empty())
    AfficherJournal(lblJournal, resultat_.journal, dialogs_);
  Q_EMIT runTermine();
  // The task closes the window next when closing was asked.
}

void TFicheTransfert::AttendreFin() { tache_->AttendreFin(); }

void TFicheTransfert::showEvent(QShowEvent* event) {
  // A window without options of its own shows no empty band above the simulation box.
  optionsBox_->setVisible(options_->count() > 0);
  QDialog::showEvent(event);
}

void TFicheTransfert::closeEvent(QCloseEvent* event) {
  if (!tache_->EnCours()) {
    QDialog::closeEvent(event);
    return;
  }
  event->ignore();
  if (dialogs_.Question("Un traitement est en cours. Voulez-vous l'arrêter après l'agence en cours et fermer la fenêtre ?",
                        "Traitement en cours"))
    tache_->FermerApresArret();
}

void TFicheTransfert::reject() {
  // Escape goes through the same question as the close box.
  if (tache_->EnCours()) {
    close();
    return;
  }
  QDialog::reject();
}

}  // namespace corv

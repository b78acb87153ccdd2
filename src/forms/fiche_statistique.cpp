#include "forms/fiche_statistique.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <algorithm>
#include <exception>

#include "data/application.h"
#include "forms/champ_date.h"
#include "forms/dialogs_relais.h"
#include "forms/liste_rapport.h"
#include "forms/onglet_statistique.h"
#include "forms/qt_run_report.h"
#include "stats/collecte.h"
#include "stats/export.h"

namespace corv {
namespace {

constexpr int kLargeurMin = 1300;
constexpr int kHauteurMin = 500;
// Lines shown at most in the box listing what a search could not count.
constexpr size_t kErreursMontrees = 20;

}  // namespace

TFicheStatistiqueAgence::TFicheStatistiqueAgence(Application& app, QWidget* parent)
    : QDialog(parent),
      app_(app),
      dialogs_(app.dialogs()),
      relais_(std::make_unique<DialogsRelais>(app.dialogs(), this)),
      report_(new QtRunReport(this)) {
  setObjectName("TFicheStatistiqueAgence");
  setWindowTitle(QStringLiteral("Statistiques"));
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
  setSizeGripEnabled(true);
  parallele_ = std::clamp(QThread::idealThreadCount(), 1, 4);

  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  tsStatsCommunes = new OngletStatistique(Calcul::kAgences,
                                          {"tsStatsCommunes", "dtDebutGlobal", "dtFinGlobal", "btnRechercher",
                                           "ListViewGlobale", "", "", "btnExportAgence", "pbExportAgence",
                                           "imgExportAgence"});
  tsStatsClients = new OngletStatistique(Calcul::kAchats,
                                         {"tsStatsClients", "dtDebutAchat", "dtFinAchat", "btnRechercherAchat", "lwAchat",
                                          "gbDetailAchat", "lwDetailAchat", "btnExportAchat", "pbExportAchat",
                                          "imgExportAchat"});
  tsStatsFournisseurs = new OngletStatistique(Calcul::kFournisseurs,
                                              {"tsStatsFournisseurs", "dtDebutFns", "dtFinFns", "btnRechercherFns",
                                               "lwFns", "gbDetailFns", "lwDetailFns", "btnExportFns", "pbExportFns",
                                               "imgExportFns"});
  PageControl->addTab(tsStatsCommunes, QStringLiteral("Stats des agences"));
  PageControl->addTab(tsStatsClients, QStringLiteral("Stats achats/ventes"));
  PageControl->addTab(tsStatsFournisseurs, QStringLiteral("Stats des fournisseurs"));
  PageControl->setCurrentIndex(0);

  btnFermer = new QPushButton(QStringLiteral("Fermer"), this);
  btnFermer->setObjectName("btnFermer");
  btnFermer->setFixedSize(110, 27);

  connect(tsStatsCommunes->btnRechercher, &QPushButton::clicked, this, &TFicheStatistiqueAgence::btnRechercherClick);
  connect(tsStatsClients->btnRechercher, &QPushButton::clicked, this,
          &TFicheStatistiqueAgence::btnRechercherAchatClick);
  connect(tsStatsFournisseurs->btnRechercher, &QPushButton::clicked, this,
          &TFicheStatistiqueAgence::btnRechercherFnsClick);
  connect(tsStatsCommunes->btnExport, &QPushButton::clicked, this, &TFicheStatistiqueAgence::btnExportAgenceClick);
  connect(tsStatsClients->btnExport, &QPushButton::clicked, this, &TFicheStatistiqueAgence::btnExportAchatClick);
  connect(tsStatsFournisseurs->btnExport, &QPushButton::clicked, this, &TFicheStatistiqueAgence::btnExportFnsClick);
  connect(btnFermer, &QPushButton::clicked, this, &QDialog::close);
  connect(tsStatsCommunes->lwListe->header(), &QHeaderView::sectionClicked, this,
          &TFicheStatistiqueAgence::ListViewGlobaleColumnClick);
  connect(tsStatsClients->lwListe->header(), &QHeaderView::sectionClicked, this,
          &TFicheStatistiqueAgence::lwAchatColumnClick);
  connect(tsStatsClients->lwDetail->header(), &QHeaderView::sectionClicked, this,
          &TFicheStatistiqueAgence::lwDetailAchatColumnClick);
  connect(tsStatsFournisseurs->lwListe->header(), &QHeaderView::sectionClicked, this,
          &TFicheStatistiqueAgence::lwFnsColumnClick);
  connect(tsStatsFournisseurs->lwDetail->header(), &QHeaderView::sectionClicked, this,
          &TFicheStatistiqueAgence::lwDetailFnsColumnClick);
  connect(tsStatsClients->lwListe, &QTreeWidget::itemSelectionChanged, this,
          &TFicheStatistiqueAgence::lwAchatSelectItem);
  connect(tsStatsFournisseurs->lwListe, &QTreeWidget::itemSelectionChanged, this,
          &TFicheStatistiqueAgence::lwFnsSelectItem);

  // The run's progress goes to the bar of the tab being searched.
  connect(report_, &QtRunReport::agencyLabel, this, [this](const QString& nom) {
    if (enCours_) enCours_->pbExport->setFormat(nom + QStringLiteral(" (%v/%m)"));
  });
  connect(report_, &QtRunReport::agencyProgress, this, [this](int position, int maximum) {
    if (!enCours_) return;
    enCours_->pbExport->setMaximum(std::max(maximum, 1));
    enCours_->pbExport->setValue(position);
  });
  connect(report_, &QtRunReport::error, this,
          [this](const QString& ligne) { erreurs_.push_back(ligne.toStdString()); });

  setMinimumSize(kLargeurMin, kHauteurMin);
  resize(kLargeurMin, 640);
}

TFicheStatistiqueAgence::~TFicheStatistiqueAgence() {
  // The run refers to this window's report and result: never leave it running.
  if (thread_) {
    report_->RequestStop();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    dialogs_.EndWait();
  }
}

OngletStatistique* TFicheStatistiqueAgence::Onglet(Calcul calcul) const {
  switch (calcul) {
    case Calcul::kAchats:
      return tsStatsClients;
    case Calcul::kFournisseurs:
      return tsStatsFournisseurs;
    default:
      return tsStatsCommunes;
  }
}

void TFicheStatistiqueAgence::btnRechercherClick() { Rechercher(*tsStatsCommunes); }
void TFicheStatistiqueAgence::btnRechercherAchatClick() { Rechercher(*tsStatsClients); }
void TFicheStatistiqueAgence::btnRechercherFnsClick() { Rechercher(*tsStatsFournisseurs); }
void TFicheStatistiqueAgence::btnExportAgenceClick() { Exporter(*tsStatsCommunes); }
void TFicheStatistiqueAgence::btnExportAchatClick() { Exporter(*tsStatsClients); }
void TFicheStatistiqueAgence::btnExportFnsClick() { Exporter(*tsStatsFournisseurs); }

void TFicheStatistiqueAgence::ListViewGlobaleColumnClick(int colonne) { tsStatsCommunes->TrierListe(colonne); }
void TFicheStatistiqueAgence::lwAchatColumnClick(int colonne) { tsStatsClients->TrierListe(colonne); }
void TFicheStatistiqueAgence::lwDetailAchatColumnClick(int colonne) { tsStatsClients->TrierDetail(colonne); }
void TFicheStatistiqueAgence::lwFnsColumnClick(int colonne) { tsStatsFournisseurs->TrierListe(colonne); }
void TFicheStatistiqueAgence::lwDetailFnsColumnClick(int colonne) { tsStatsFournisseurs->TrierDetail(colonne); }
void TFicheStatistiqueAgence::lwAchatSelectItem() { tsStatsClients->SelectionChangee(); }
void TFicheStatistiqueAgence::lwFnsSelectItem() { tsStatsFournisseurs->SelectionChangee(); }

void TFicheStatistiqueAgence::ActiverBoutons(bool actif) {
  for (OngletStatistique* o : {tsStatsCommunes, tsStatsClients, tsStatsFournisseurs}) {
    o->btnRechercher->setEnabled(actif);
    o->btnExport->setEnabled(actif);
  }
}

void TFicheStatistiqueAgence::Rechercher(OngletStatistique& onglet) {
  if (thread_) return;  // one search at a time
  onglet.Vider();
  onglet.imgExport->hide();
  onglet.pbExport->setValue(0);
  OptionsStatistiques options;
  options.calcul = onglet.calcul();
  options.periode.debut = onglet.dtDebut->Jour();
  options.periode.fin = onglet.dtFin->Jour();
  options.parallele = parallele_;

  enCours_ = &onglet;
  erreurRun_.clear();
  erreurs_.clear();
  report_->Reset();
  ActiverBoutons(false);
  dialogs_.BeginWait();
  // The run reads its own copy of the named databases: the program's stay as
  // they are while it goes through the agencies.
  auto session = std::make_shared<Session>(app_.session());
  HostPaths& host = app_.host();
  thread_ = QThread::create([this, session, &host, options]() {
    try {
      pdx::Status s = CollecterStatistiques(*session, host, *relais_, *report_, options, &resultat_);
      if (!s.ok()) erreurRun_ = s.ToString();
    } catch (const std::exception& e) {
      erreurRun_ = e.what();
    }
  });
  // finished arrives after every report signal and box of the run.
  connect(thread_, &QThread::finished, this, &TFicheStatistiqueAgence::Terminer);
  thread_->start();
}

void TFicheStatistiqueAgence::Terminer() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  OngletStatistique& onglet = *enCours_;
  enCours_ = nullptr;
  dialogs_.EndWait();
  ActiverBoutons(true);
  onglet.pbExport->setFormat(QStringLiteral("%p%"));
  onglet.pbExport->setValue(0);
  const bool fermer = fermerApres_;
  fermerApres_ = false;
  if (!fermer) {
    if (!erreurRun_.empty()) {
      // "Agence.DB" could not be read: its message has been shown; the list stays empty.
    } else {
      onglet.Afficher(ListePour(resultat_));
    }
    if (!erreurs_.empty()) {
      std::string t = "Des lignes n'ont pas pu être comptées :";
      for (size_t i = 0; i < erreurs_.size() && i < kErreursMontrees; ++i) t += "\n" + erreurs_[i];
      if (erreurs_.size() > kErreursMontrees)
        t += "\n... (" + std::to_string(erreurs_.size() - kErreursMontrees) + " de plus)";
      dialogs_.Warning(t, "Statistiques");
    }
  }
  resultat_ = ResultatStatistiques();  // the list holds what it shows
  Q_EMIT rechercheTerminee();
  if (fermer) close();
}

void TFicheStatistiqueAgence::AttendreFin() {
  while (thread_) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void TFicheStatistiqueAgence::Exporter(OngletStatistique& onglet) {
  if (thread_) return;
  onglet.pbExport->setValue(0);
  onglet.imgExport->hide();
  const ListeStat& liste = onglet.liste();
  if (liste.lignes.empty()) return;  // nothing to export: no question either
  bool details = false;
  if (!liste.colonnesDetail.empty()) details = dialogs_.Question(QuestionDetail(liste.calcul), "Export");
  QProgressBar* pb = onglet.pbExport;
  IssueExport r = ExporterListe(app_.host().env(), dialogs_, liste, details, [pb](int k, int n) {
    pb->setMaximum(std::max(n, 1));
    pb->setValue(k);
  });
  if (r == IssueExport::kFait) onglet.imgExport->show();
}

void TFicheStatistiqueAgence::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TFicheStatistiqueAgence::FormResize() {
  const int w = width(), h = height();
  PageControl->setGeometry(8, 8, w - 16, h - 72);
  const int bas = PageControl->y() + PageControl->height();
  btnFermer->move(w - 8 - btnFermer->width(), bas + (h - bas - btnFermer->height()) / 2);
}

void TFicheStatistiqueAgence::closeEvent(QCloseEvent* event) {
  if (!thread_) {
    QDialog::closeEvent(event);
    return;
  }
  // A search writes nothing: it is stopped after the agency in progress and the
  // window closes then.
  event->ignore();
  fermerApres_ = true;
  report_->RequestStop();
}

void TFicheStatistiqueAgence::reject() {
  if (thread_) {
    close();
    return;
  }
  QDialog::reject();
}

}  // namespace corv

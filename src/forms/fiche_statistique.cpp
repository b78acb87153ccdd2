#include "forms/fiche_statistique.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <algorithm>

#include "data/application.h"
#include "forms/champ_date.h"
#include "forms/dialogs_relais.h"
#include "forms/liste_rapport.h"
#include "forms/onglet_statistique.h"
#include "forms/qt_run_report.h"
#include "forms/tache_fenetre.h"
#include "stats/collecte.h"
#include "stats/export.h"
#include "util/status_text.h"

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
      relais_(std::make_shared<DialogsRelais>(app.dialogs(), this)),
      tache_(new TacheFenetre(this)) {
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

  connect(tache_, &TacheFenetre::termine, this, &TFicheStatistiqueAgence::Terminer);
  // The run's progress goes to the bar of the tab being searched.
  QtRunReport* report = tache_->qtReport();
  connect(report, &QtRunReport::agencyLabel, this, [this](const QString& nom) {
    if (enCours_) enCours_->pbExport->setFormat(nom + QStringLiteral(" (%v/%m)"));
  });
  connect(report, &QtRunReport::agencyProgress, this, [this](int position, int maximum) {
    if (!enCours_) return;
    enCours_->pbExport->setMaximum(std::max(maximum, 1));
    enCours_->pbExport->setValue(position);
  });
  connect(report, &QtRunReport::error, this,
          [this](const QString& ligne) { erreurs_.push_back(ligne.toStdString()); });

  setMinimumSize(kLargeurMin, kHauteurMin);
  resize(kLargeurMin, 640);
}

TFicheStatistiqueAgence::~TFicheStatistiqueAgence() {
  // The task, a child, stops and waits for a search in progress; its wait
  // cursor goes now.
  if (tache_->EnCours()) dialogs_.EndWait();
}

bool TFicheStatistiqueAgence::EnCours() const { return tache_->EnCours(); }

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
  if (tache_->EnCours()) return;  // one search at a time
  onglet.Vider();
  onglet.imgExport->hide();
  onglet.pbExport->setValue(0);
  OptionsStatistiques options;
  options.calcul = onglet.calcul();
  options.periode.debut = onglet.dtDebut->Jour();
  options.periode.fin = onglet.dtFin->Jour();
  options.parallele = parallele_;

  enCours_ = &onglet;
  erreurs_.clear();
  ActiverBoutons(false);
  dialogs_.BeginWait();
  // The run reads its own copy of the named databases: the program's stay as
  // they are while it goes through the agencies.
  auto session = std::make_shared<Session>(app_.session());
  HostPaths& host = app_.host();
  auto resultat = std::make_shared<ResultatStatistiques>();
  resultat_ = resultat;
  // termine arrives after every report signal and box of the run.
  tache_->Lancer([session, &host, relais = relais_, options, resultat](RunReport& report) -> std::string {
    pdx::Status s = CollecterStatistiques(*session, host, *relais, report, options, resultat.get());
    return s.ok() ? std::string() : FrenchText(s);
  });
}

void TFicheStatistiqueAgence::Terminer(const QString& erreurRun) {
  OngletStatistique& onglet = *enCours_;
  enCours_ = nullptr;
  dialogs_.EndWait();
  ActiverBoutons(true);
  onglet.pbExport->setFormat(QStringLiteral("%p%"));
  onglet.pbExport->setValue(0);
  std::shared_ptr<ResultatStatistiques> resultat = std::move(resultat_);
  if (!tache_->FermetureDemandee()) {
    if (!erreurRun.isEmpty()) {
      // "Agence.DB" could not be read: its message has been shown; the list stays empty.
    } else {
      onglet.Afficher(ListePour(*resultat));
    }
    if (!erreurs_.empty()) {
      std::string t = "Des lignes n'ont pas pu être comptées :";
      for (size_t i = 0; i < erreurs_.size() && i < kErreursMontrees; ++i) t += "\n" + erreurs_[i];
      if (erreurs_.size() > kErreursMontrees)
        t += "\n... (" + std::to_string(erreurs_.size() - kErreursMontrees) + " de plus)";
      dialogs_.Warning(t, "Statistiques");
    }
  }
  resultat.reset();  // the list holds what it shows
  Q_EMIT rechercheTerminee();
  // The task closes the window next when closing was asked.
}

void TFicheStatistiqueAgence::AttendreFin() { tache_->AttendreFin(); }

void TFicheStatistiqueAgence::Exporter(OngletStatistique& onglet) {
  if (tache_->EnCours()) return;
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
  if (!tache_->EnCours()) {
    QDialog::closeEvent(event);
    return;
  }
  // A search writes nothing: it is stopped after the agency in progress and the
  // window closes then.
  event->ignore();
  tache_->FermerApresArret();
}

void TFicheStatistiqueAgence::reject() {
  if (tache_->EnCours()) {
    close();
    return;
  }
  QDialog::reject();
}

}  // namespace corv

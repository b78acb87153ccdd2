#include "forms/fiche_restauration.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>
#include <algorithm>

#include "data/application.h"
#include "forms/journal_fenetre.h"
#include "forms/qt_run_report.h"

namespace corv {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// "2026-12-08_09-37-57_conditions-achat" -> "08/12/2026 09:37:57" (the name
// itself when it does not start with a time).
std::string DateDuNom(const std::string& nom) {
  if (nom.size() < 19 || nom[4] != '-' || nom[10] != '_') return nom;
  return nom.substr(8, 2) + "/" + nom.substr(5, 2) + "/" + nom.substr(0, 4) + " " + nom.substr(11, 2) + ":" +
         nom.substr(14, 2) + ":" + nom.substr(17, 2);
}

// Short in the list; in full in its tip and in the question.
std::string Traitement(const RunSauve& r) { return LibelleSorte(r.sorte); }

std::string TraitementComplet(const RunSauve& r) {
  if (r.sorte != kSorteAvantRestauration) return LibelleSorte(r.sorte);
  return "Avant la restauration de la sauvegarde du " + DateDuNom(r.restauration) + ", " +
         LibelleSorte(r.sorteRestauree);
}

std::string Agences(const RunSauve& r) {
  std::string s = std::to_string(r.agences.size());
  for (size_t i = 0; i < r.agences.size(); ++i) s += (i ? ", " : " : ") + r.agences[i].code;
  return s;
}

// "REMISES.DB (3), FOURNIS.DB (1)": each table with the number of agencies saved.
std::string Tables(const RunSauve& r) {
  std::vector<std::pair<std::string, int>> n;
  for (const auto& a : r.agences)
    for (const auto& t : a.tables) {
      auto it = std::find_if(n.begin(), n.end(), [&](const auto& p) { return p.first == t.fichier; });
      if (it == n.end()) n.push_back({t.fichier, 1});
      else ++it->second;
    }
  std::string s;
  for (const auto& [f, k] : n) s += (s.empty() ? "" : ", ") + f + " (" + std::to_string(k) + ")";
  return s;
}

std::string Posterieurs(const std::vector<RunPosterieur>& v) {
  if (v.empty()) return "Non";
  std::string s = "Oui : " + v.front().debut + " (" + LibelleSorte(v.front().sorte) + ")";
  if (v.size() > 1) s += " et " + std::to_string(v.size() - 1) + " autre(s)";
  return s;
}

QTreeWidget* Liste(QWidget* parent, const char* nom, const QStringList& colonnes) {
  auto* l = new QTreeWidget(parent);
  l->setObjectName(nom);
  l->setHeaderLabels(colonnes);
  l->setRootIsDecorated(false);
  l->setUniformRowHeights(true);
  l->setAllColumnsShowFocus(true);
  l->setSelectionMode(QAbstractItemView::SingleSelection);
  return l;
}

// Columns fitted to their texts, none wider than a third of the window: fifty
// agency codes stay readable in the tip and the later columns stay in view.
void AjusterColonnes(QTreeWidget* l) {
  for (int c = 0; c < l->columnCount(); ++c) {
    l->resizeColumnToContents(c);
    if (l->columnWidth(c) > 300) l->setColumnWidth(c, 300);
  }
}

}  // namespace

TFicheRestauration::TFicheRestauration(Application& app, std::string sorte, const std::string& libelle, QWidget* parent)
    : QDialog(parent),
      app_(app),
      dialogs_(app.dialogs()),
      sorte_(std::move(sorte)),
      racine_(RacineSauvegardesInstallation(app.chemins(), app.host(), app.FichierIni())),
      report_(new QtRunReport(this)) {
  setObjectName("TFicheRestauration");
  setWindowTitle(Q("Sauvegardes - " + libelle));
  auto* layout = new QVBoxLayout(this);

  lblSauvegardes = new QLabel(
      Q("Sauvegardes des traitements réels, de la plus récente à la plus ancienne (une simulation ne modifie "
        "aucune table et ne laisse pas de sauvegarde) :"),
      this);
  lblSauvegardes->setObjectName("lblSauvegardes");
  lblSauvegardes->setWordWrap(true);
  layout->addWidget(lblSauvegardes);
  lwSauvegardes = Liste(this, "lwSauvegardes",
                        {Q("Date et heure"), Q("Traitement"), Q("Lancement"), Q("Agences"), Q("Tables sauvegardées"),
                         Q("Modifiées depuis")});
  layout->addWidget(lwSauvegardes, 3);

  auto* lblAgences = new QLabel(Q("Agences de la sauvegarde choisie :"), this);
  lblAgences->setObjectName("lblAgences");
  layout->addWidget(lblAgences);
  lwAgences = Liste(this, "lwAgences", {Q("Agence"), Q("Code"), Q("Tables")});
  layout->addWidget(lwAgences, 2);

  auto* boutons = new QHBoxLayout;
  btnRestaurer = new QPushButton(Q("Restaurer la sauvegarde"), this);
  btnRestaurer->setObjectName("btnRestaurer");
  btnRestaurer->setDefault(true);
  btnFermer = new QPushButton(Q("Fermer"), this);
  btnFermer->setObjectName("btnFermer");
  boutons->addWidget(btnRestaurer, 1);
  boutons->addWidget(btnFermer);
  layout->addLayout(boutons);

  lblAgence = new QLabel(this);
  lblAgence->setObjectName("lblAgence");
  pbAgence = new QProgressBar(this);
  pbAgence->setObjectName("pbAgence");
  pbAgence->setValue(0);
  layout->addWidget(lblAgence);
  layout->addWidget(pbAgence);
  listMessages = new QListWidget(this);
  listMessages->setObjectName("listMessages");
  layout->addWidget(listMessages, 2);
  lstErreurs = new QListWidget(this);
  lstErreurs->setObjectName("lstErreurs");
  QPalette rouge = lstErreurs->palette();
  rouge.setColor(QPalette::Text, Qt::red);
  lstErreurs->setPalette(rouge);
  layout->addWidget(lstErreurs, 1);
  lblJournal = NouveauLabelJournal(this);
  layout->addWidget(lblJournal);

  resize(900, 680);

  connect(lwSauvegardes, &QTreeWidget::currentItemChanged, this, [this]() { RemplirAgences(); });
  connect(btnRestaurer, &QPushButton::clicked, this, &TFicheRestauration::btnRestaurerClick);
  connect(btnFermer, &QPushButton::clicked, this, &TFicheRestauration::close);
  connect(report_, &QtRunReport::message, this, [this](const QString& l) {
    listMessages->addItem(l);
    listMessages->scrollToBottom();
  });
  connect(report_, &QtRunReport::error, this, [this](const QString& l) {
    lstErreurs->addItem(l);
    lstErreurs->scrollToBottom();
  });
  connect(report_, &QtRunReport::agencyLabel, lblAgence, &QLabel::setText);
  connect(report_, &QtRunReport::agencyProgress, this, [this](int p, int m) {
    pbAgence->setMaximum(m);
    pbAgence->setValue(p);
  });

  Actualiser();
}

TFicheRestauration::~TFicheRestauration() {
  // The restoration holds references to this window's report: never leave it running.
  if (thread_) thread_->wait();
}

void TFicheRestauration::Actualiser() {
  const SauvegardeListee* avant = Selection();
  std::string choisie = avant ? avant->run.nom : "";
  liste_.clear();
  pdx::Status s = ListerSauvegardesDe(app_.host().env(), racine_, {sorte_}, &liste_);
  if (!s.ok()) lstErreurs->addItem(Q(s.message()));
  lwSauvegardes->clear();
  for (size_t i = 0; i < liste_.size(); ++i) {
    const RunSauve& r = liste_[i].run;
    auto* item = new QTreeWidgetItem(lwSauvegardes);
    item->setText(0, Q(r.debut.empty() ? DateDuNom(r.nom) : r.debut));
    item->setText(1, Q(Traitement(r)));
    item->setToolTip(1, Q(TraitementComplet(r)));
    item->setText(2, Q(r.sorte == kSorteAvantRestauration ? "Restauration" : "Réel"));
    item->setText(3, Q(Agences(r)));
    item->setToolTip(3, Q(Agences(r)));
    item->setText(4, Q(Tables(r)));
    item->setText(5, Q(Posterieurs(liste_[i].modifieeDepuis)));
    item->setToolTip(5, Q(Posterieurs(liste_[i].modifieeDepuis)));
    item->setData(0, Qt::UserRole, Q(r.nom));
  }
  AjusterColonnes(lwSauvegardes);
  if (!SelectionnerSauvegarde(choisie) && !liste_.empty()) lwSauvegardes->setCurrentItem(lwSauvegardes->topLevelItem(0));
  RemplirAgences();
  btnRestaurer->setEnabled(!liste_.empty() && !thread_);
  if (liste_.empty()) lblAgence->setText(Q("Aucune sauvegarde dans : " + racine_));
}

const SauvegardeListee* TFicheRestauration::Selection() const {
  QTreeWidgetItem* item = lwSauvegardes ? lwSauvegardes->currentItem() : nullptr;
  if (!item) return nullptr;
  std::string nom = item->data(0, Qt::UserRole).toString().toStdString();
  for (const auto& l : liste_)
    if (l.run.nom == nom) return &l;
  return nullptr;
}

bool TFicheRestauration::SelectionnerSauvegarde(const std::string& nom) {
  for (int i = 0; i < lwSauvegardes->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lwSauvegardes->topLevelItem(i);
    if (item->data(0, Qt::UserRole).toString().toStdString() == nom) {
      lwSauvegardes->setCurrentItem(item);
      return true;
    }
  }
  return false;
}

void TFicheRestauration::RemplirAgences() {
  lwAgences->clear();
  const SauvegardeListee* l = Selection();
  if (!l) return;
  auto* toutes = new QTreeWidgetItem(lwAgences);
  toutes->setText(0, Q("Toutes les agences"));
  toutes->setData(0, Qt::UserRole, QString());
  for (const auto& a : l->run.agences) {
    auto* item = new QTreeWidgetItem(lwAgences);
    item->setText(0, Q(a.nom));
    item->setText(1, Q(a.code));
    std::string t;
    for (const auto& x : a.tables) t += (t.empty() ? "" : ", ") + x.fichier;
    item->setText(2, Q(t));
    item->setData(0, Qt::UserRole, Q(a.code));
  }
  AjusterColonnes(lwAgences);
  lwAgences->setCurrentItem(toutes);
}

bool TFicheRestauration::SelectionnerAgence(const std::string& code) {
  for (int i = 0; i < lwAgences->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lwAgences->topLevelItem(i);
    if (item->data(0, Qt::UserRole).toString().toStdString() == code) {
      lwAgences->setCurrentItem(item);
      return true;
    }
  }
  return false;
}

std::string TFicheRestauration::AgenceSelectionnee() const {
  QTreeWidgetItem* item = lwAgences->currentItem();
  return item ? item->data(0, Qt::UserRole).toString().toStdString() : "";
}

void TFicheRestauration::btnRestaurerClick() {
  if (thread_) return;
  const SauvegardeListee* l = Selection();
  if (!l) {
    dialogs_.Warning("Choisissez une sauvegarde dans la liste.", "Restauration");
    return;
  }
  const std::string code = AgenceSelectionnee();
  std::vector<std::string> tables = TablesARestaurer(l->run, code);
  std::string texte = "Restaurer la sauvegarde du " + (l->run.debut.empty() ? DateDuNom(l->run.nom) : l->run.debut) +
                      " (" + TraitementComplet(l->run) + ")" + (code.empty() ? "" : " pour la seule agence " + code) +
                      " ?\n\nCes tables seront remplacées par leur état d'avant ce traitement :\n";
  const size_t montrees = 12;  // fifty agencies would not fit in a box
  for (size_t i = 0; i < tables.size() && i < montrees; ++i) texte += "  " + tables[i] + "\n";
  if (tables.size() > montrees) texte += "  ... et " + std::to_string(tables.size() - montrees) + " autre(s) agence(s)\n";
  if (!l->modifieeDepuis.empty())
    texte += "\nAttention : " + std::to_string(l->modifieeDepuis.size()) +
             " traitement(s) postérieur(s) ont modifié ces tables depuis (le premier le " + l->modifieeDepuis.front().debut +
             ", " + LibelleSorte(l->modifieeDepuis.front().sorte) + ") : leurs changements seront perdus.\n";
  texte += "\nL'état actuel de ces tables sera d'abord sauvegardé : cette restauration pourra elle-même être annulée.";
  if (!dialogs_.Question(texte, "Restauration")) return;
  LancerRestauration();
}

void TFicheRestauration::LancerRestauration() {
  const SauvegardeListee* l = Selection();
  if (thread_ || !l) return;
  const std::string nom = l->run.nom, code = AgenceSelectionnee();
  lstErreurs->clear();
  erreur_.clear();
  restaurees_ = 0;
  journal_ = JournalEcrit();
  pbAgence->setValue(0);
  ActiverControles(false);
  thread_ = QThread::create([this, nom, code]() {
    try {
      pdx::Status s = RestaurerSauvegarde(app_, racine_, nom, code, *report_, &restaurees_, &journal_);
      if (!s.ok()) erreur_ = s.message();
    } catch (const std::exception& e) {
      erreur_ = e.what();
    }
  });
  // finished is queued after every report signal: the lists are complete in Terminer.
  connect(thread_, &QThread::finished, this, &TFicheRestauration::Terminer);
  thread_->start();
}

void TFicheRestauration::Terminer() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  ActiverControles(true);
  Actualiser();
  if (!erreur_.empty()) {
    lstErreurs->addItem(Q(erreur_));
    dialogs_.Error(erreur_, "Restauration");
  }
  if (!journal_.chemin.empty() || !journal_.erreur.empty()) AfficherJournal(lblJournal, journal_, dialogs_);
  Q_EMIT restaurationTerminee();
}

void TFicheRestauration::ActiverControles(bool actif) {
  btnRestaurer->setEnabled(actif && !liste_.empty());
  btnFermer->setEnabled(actif);
  lwSauvegardes->setEnabled(actif);
  lwAgences->setEnabled(actif);
}

void TFicheRestauration::AttendreFin() {
  while (thread_) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void TFicheRestauration::closeEvent(QCloseEvent* event) {
  if (!thread_) {
    QDialog::closeEvent(event);
    return;
  }
  // Each table is put back whole, but stopping between two would leave the
  // agencies at two different states: the restoration always ends.
  event->ignore();
  dialogs_.Information("Une restauration est en cours : la fenêtre pourra être fermée quand elle sera terminée.",
                       "Restauration");
}

void TFicheRestauration::reject() {
  if (thread_) {
    close();
    return;
  }
  QDialog::reject();
}

}  // namespace corv

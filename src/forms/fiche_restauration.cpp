#include "forms/fiche_restauration.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "data/application.h"
#include "forms/journal_fenetre.h"
#include "forms/listes_tache.h"
#include "forms/qt_run_report.h"
#include "forms/tache_fenetre.h"
#include "util/status_text.h"

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

// The columns as wide as their texts while they all fit in the list;
// otherwise the widest are narrowed alike, their texts cut (whole in their
// tips), so that every column, "Modifiées depuis" last, stays in view without
// scrolling sideways. Fitted again whenever the list's width changes.
class ListeAjustee : public QTreeWidget {
 public:
  ListeAjustee(QWidget* parent, const char* nom, const QStringList& colonnes) : QTreeWidget(parent) {
    setObjectName(nom);
    setHeaderLabels(colonnes);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
  }

  void Ajuster() {
    const int n = columnCount();
    std::vector<int> largeurs(static_cast<size_t>(n));
    int total = 0;
    for (int c = 0; c < n; ++c) {
      resizeColumnToContents(c);
      largeurs[static_cast<size_t>(c)] = columnWidth(c);
      total += columnWidth(c);
    }
    const int dispo = viewport()->width();
    if (total <= dispo || dispo <= 0) return;
    // The largest width w such that the columns, none wider than w, fit.
    std::vector<int> tri = largeurs;
    std::sort(tri.begin(), tri.end());
    int reste = dispo, plafond = 0;
    for (size_t i = 0; i < tri.size(); ++i) {
      const int restantes = static_cast<int>(tri.size() - i);
      if (tri[i] * restantes > reste) {
        plafond = reste / restantes;
        break;
      }
      reste -= tri[i];
    }
    plafond = std::max(plafond, header()->minimumSectionSize());
    for (int c = 0; c < n; ++c) setColumnWidth(c, std::min(largeurs[static_cast<size_t>(c)], plafond));
  }

 protected:
  bool viewportEvent(QEvent* e) override {
    const bool r = QTreeWidget::viewportEvent(e);
    if (e->type() == QEvent::Resize) Ajuster();
    return r;
  }
};

}  // namespace

TFicheRestauration::TFicheRestauration(Application& app, std::string sorte, const std::string& libelle, QWidget* parent)
    : QDialog(parent),
      app_(app),
      dialogs_(app.dialogs()),
      sorte_(std::move(sorte)),
      racine_(RacineSauvegardesInstallation(app.chemins(), app.host(), app.FichierIni())),
      tache_(new TacheFenetre(this)) {
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
  lwSauvegardes = new ListeAjustee(this, "lwSauvegardes",
                        {Q("Date et heure"), Q("Traitement"), Q("Lancement"), Q("Agences"), Q("Tables sauvegardées"),
                         Q("Modifiées depuis")});
  layout->addWidget(lwSauvegardes, 3);

  auto* lblAgences = new QLabel(Q("Agences de la sauvegarde choisie :"), this);
  lblAgences->setObjectName("lblAgences");
  layout->addWidget(lblAgences);
  lwAgences = new ListeAjustee(this, "lwAgences", {Q("Agence"), Q("Code"), Q("Tables")});
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
  const ListesTache listes = AjouterListesTache(this, layout, 2, 1);
  listMessages = listes.messages;
  lstErreurs = listes.erreurs;
  lblJournal = listes.journal;

  resize(900, 680);

  connect(lwSauvegardes, &QTreeWidget::currentItemChanged, this, [this]() { RemplirAgences(); });
  connect(btnRestaurer, &QPushButton::clicked, this, &TFicheRestauration::btnRestaurerClick);
  connect(btnFermer, &QPushButton::clicked, this, &TFicheRestauration::close);
  connect(tache_, &TacheFenetre::termine, this, &TFicheRestauration::Terminer);
  QtRunReport* report = tache_->qtReport();
  connect(report, &QtRunReport::message, this, [this](const QString& l) {
    listMessages->addItem(l);
    listMessages->scrollToBottom();
  });
  connect(report, &QtRunReport::error, this, [this](const QString& l) {
    lstErreurs->addItem(l);
    lstErreurs->scrollToBottom();
  });
  connect(report, &QtRunReport::agencyLabel, lblAgence, &QLabel::setText);
  connect(report, &QtRunReport::agencyProgress, this, [this](int p, int m) {
    pbAgence->setMaximum(m);
    pbAgence->setValue(p);
  });

  Actualiser();
}

// A restoration in progress is waited for by the task, a child of the window
// (it never stops half way: see closeEvent).
TFicheRestauration::~TFicheRestauration() = default;

bool TFicheRestauration::EnCours() const { return tache_->EnCours(); }

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
    item->setToolTip(4, Q(Tables(r)));
    item->setText(5, Q(Posterieurs(liste_[i].modifieeDepuis)));
    item->setToolTip(5, Q(Posterieurs(liste_[i].modifieeDepuis)));
    item->setData(0, Qt::UserRole, Q(r.nom));
  }
  static_cast<ListeAjustee*>(lwSauvegardes)->Ajuster();
  if (!SelectionnerSauvegarde(choisie) && !liste_.empty()) lwSauvegardes->setCurrentItem(lwSauvegardes->topLevelItem(0));
  RemplirAgences();
  btnRestaurer->setEnabled(!liste_.empty() && !EnCours());
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
    item->setToolTip(2, Q(t));
    item->setData(0, Qt::UserRole, Q(a.code));
  }
  static_cast<ListeAjustee*>(lwAgences)->Ajuster();
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
  if (EnCours()) return;
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
  if (EnCours() || !l) return;
  const std::string nom = l->run.nom, code = AgenceSelectionnee();
  lstErreurs->clear();
  pbAgence->setValue(0);
  ActiverControles(false);
  // The work holds the installation (which outlives every window) and copies;
  // its journal comes back through shared state, read in Terminer.
  auto journal = std::make_shared<JournalEcrit>();
  journalRun_ = journal;
  Application& app = app_;
  tache_->Lancer([&app, racine = racine_, nom, code, journal](RunReport& report) -> std::string {
    pdx::Status s = RestaurerSauvegarde(app, racine, nom, code, report, nullptr, journal.get());
    if (s.ok()) return "";
    return s.message().empty() ? FrenchText(s) : s.message();
  });
}

// termine is queued after every report signal: the lists are complete here.
void TFicheRestauration::Terminer(const QString& erreur) {
  JournalEcrit journal;
  if (journalRun_) {
    journal = *journalRun_;
    journalRun_.reset();
  }
  ActiverControles(true);
  Actualiser();
  if (!erreur.isEmpty()) {
    lstErreurs->addItem(erreur);
    dialogs_.Error(erreur.toStdString(), "Restauration");
  }
  if (!journal.chemin.empty() || !journal.erreur.empty()) AfficherJournal(lblJournal, journal, dialogs_);
  Q_EMIT restaurationTerminee();
}

void TFicheRestauration::ActiverControles(bool actif) {
  btnRestaurer->setEnabled(actif && !liste_.empty());
  btnFermer->setEnabled(actif);
  lwSauvegardes->setEnabled(actif);
  lwAgences->setEnabled(actif);
}

void TFicheRestauration::AttendreFin() { tache_->AttendreFin(); }

void TFicheRestauration::closeEvent(QCloseEvent* event) {
  if (!EnCours()) {
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
  if (EnCours()) {
    close();
    return;
  }
  QDialog::reject();
}

}  // namespace corv

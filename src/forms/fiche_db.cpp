#include "forms/fiche_db.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "data/application.h"
#include "data/fonctions_bd.h"
#include "forms/fenetres.h"
#include "forms/liste_simple.h"
#include "util/status_text.h"

namespace corv {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TFicheDB::TFicheDB(corv::Application& app, QWidget* owner, int mode, corv::Composant& table)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), Mode(mode), Table(table), app_(app) {
  setObjectName("FicheDB");
  setWindowTitle("Fiche");
  setFixedSize(564, 304);

  auto* racine = new QVBoxLayout(this);
  racine->setContentsMargins(4, 4, 4, 4);
  tbFicheDB = new QToolBar(this);
  tbFicheDB->setObjectName("tbFicheDB");
  tbFicheDB->setIconSize(QSize(32, 32));
  tbFicheDB->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  tbPrecedant = Bouton("tbPrecedant", "Précédent", QStyle::SP_ArrowLeft);
  tbSuivant = Bouton("tbSuivant", "Suivant", QStyle::SP_ArrowRight);
  tbSelectionner = Bouton("tbSelectionner", "Sélectionner", QStyle::SP_DialogApplyButton);
  tbFicheDB->addSeparator();
  tbNouveau = Bouton("tbNouveau", "Nouveau", QStyle::SP_FileIcon);
  tbSupprimer = Bouton("tbSupprimer", "Supprimer", QStyle::SP_TrashIcon);
  tbAnnuler = Bouton("tbAnnuler", "Annuler", QStyle::SP_DialogCancelButton);
  tbFicheDB->addSeparator();
  tbImprimer = Bouton("tbImprimer", "Imprimer", QStyle::SP_DialogSaveButton);
  bFermer = Bouton("bFermer", "Fermer", QStyle::SP_DialogCloseButton);
  // Printing from the card has no action: the button stays hidden.
  for (QAction* a : tbFicheDB->actions())
    if (tbFicheDB->widgetForAction(a) == tbImprimer) a->setVisible(false);
  racine->addWidget(tbFicheDB);

  auto* corps = new QHBoxLayout;
  cblNom_ = new ListeSimple(this);
  cblNom_->setObjectName("cblNom");
  cblNom_->setMinimumWidth(170);
  cblNom_->setMaximumWidth(220);
  pcData_ = new QTabWidget(this);
  pcData_->setObjectName("pcData");
  pcData_->setEnabled(false);
  tsNom = new QWidget;
  tsNom->setObjectName("tsNom");
  pcData_->addTab(tsNom, "Nom");
  corps->addWidget(cblNom_);
  corps->addWidget(pcData_, 1);
  racine->addLayout(corps, 1);

  connect(cblNom_, &ListeSimple::change, this, &TFicheDB::cblNomChange);
  connect(tbPrecedant, &QToolButton::clicked, this, &TFicheDB::tbPrecedantClick);
  connect(tbSuivant, &QToolButton::clicked, this, &TFicheDB::tbSuivantClick);
  connect(tbSupprimer, &QToolButton::clicked, this, &TFicheDB::tbSupprimerClick);
  connect(tbAnnuler, &QToolButton::clicked, this, &TFicheDB::tbAnnulerClick);
  connect(tbNouveau, &QToolButton::clicked, this, &TFicheDB::tbNouveauClick);
  connect(bFermer, &QToolButton::clicked, this, &TFicheDB::bFermerClick);
  FormCreate();
}

TFicheDB::~TFicheDB() { FermerSansQuestion(); }

void TFicheDB::FermerSansQuestion() {
  if (ferme_) return;
  ferme_ = true;
  Etat = 0;
  Garder(dialogs(), [this] { FormClose(); });
}

corv::Dialogs& TFicheDB::dialogs() { return app_.dialogs(); }

QToolButton* TFicheDB::Bouton(const char* nom, const char* texte, int icone) {
  auto* b = new QToolButton(tbFicheDB);
  b->setObjectName(nom);
  b->setText(QString::fromUtf8(texte));
  b->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icone)));
  b->setIconSize(QSize(32, 32));
  b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  b->setAutoRaise(true);
  tbFicheDB->addWidget(b);
  return b;
}

void TFicheDB::FormCreate() {
  if (pcData_) pcData_->setCurrentWidget(tsNom);
}

std::string TFicheDB::CleDuTag(int tag) const {
  for (const auto& c : Cles)
    if (c.second == tag) return c.first;
  return "";
}

int TFicheDB::ProchainTag() const {
  int t = 0;
  for (const auto& c : Cles) t = std::max(t, c.second + 1);
  return t;
}

void TFicheDB::LierChamp(QLineEdit* edit, const std::string& champ) {
  champs_.push_back({edit, champ});
  const corv::TableDef& def = Table.Def();
  int n = def.NumeroChamp(champ);
  if (n > 0 && def.champs[static_cast<size_t>(n - 1)].type == pdx::FieldType::kAlpha)
    edit->setMaxLength(def.champs[static_cast<size_t>(n - 1)].taille);
}

void TFicheDB::AfficherChamps(bool vide) {
  for (auto& [edit, champ] : champs_) {
    std::string s;
    if (!vide && Table.Actif() && Table.NumeroChamp(champ) > 0) corv::LireChamp(Table, champ, &s).IgnoreError();  // unreadable: shown empty
    edit->setText(Q(s));
    edit->setModified(false);
  }
}

void TFicheDB::DefinirSaisie(bool active) {
  for (auto& [edit, champ] : champs_) {
    bool fixe = std::find(lectureSeule_.begin(), lectureSeule_.end(), edit) != lectureSeule_.end();
    if (!active && edit->isReadOnly() && !fixe) continue;
    if (active && edit->isReadOnly() && !fixe) edit->setReadOnly(false);
    else if (!active && !edit->isReadOnly()) edit->setReadOnly(true);
  }
}

bool TFicheDB::EcrireChamps() {
  for (auto& [edit, champ] : champs_) {
    if (edit->isReadOnly() || Table.NumeroChamp(champ) == 0) continue;
    pdx::Status s = corv::EcrireChamp(Table, champ, edit->text().toStdString());
    if (!s.ok()) {
      dialogs().Error("Valeur refusée pour le champ " + champ + " de " + Table.Fichier() + " : " + s.message());
      edit->setFocus();
      return false;
    }
  }
  return true;
}

void TFicheDB::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (PremierAffichage) Garder(dialogs(), [this] { FormActivate(); });
}

bool TFicheDB::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && PremierAffichage) Garder(dialogs(), [this] { FormActivate(); });
  return QDialog::event(e);
}

void TFicheDB::FormActivate() {
  if (!PremierAffichage) return;
  PremierAffichage = false;  // set first: a message box below activates the window again
  for (auto& [edit, champ] : champs_)
    if (edit->isReadOnly()) lectureSeule_.push_back(edit);
  std::string n = NomElement();
  tbPrecedant->setToolTip(Q(n + " précédent"));
  tbSuivant->setToolTip(Q(n + " suivant"));
  tbNouveau->setToolTip(Q("Créer un nouveau " + n));
  tbSupprimer->setToolTip(Q("Suppression du " + n));
  tbSelectionner->setToolTip(Q("Sélectionner le " + n));
  tbAnnuler->setToolTip("Annuler les modifications");
  tbImprimer->setToolTip(Q("Imprimer le " + n));
  tbSelectionner->setEnabled(false);
  for (QWidget* w : {static_cast<QWidget*>(tbPrecedant), static_cast<QWidget*>(tbSuivant),
                     static_cast<QWidget*>(tbNouveau), static_cast<QWidget*>(tbSupprimer),
                     static_cast<QWidget*>(tbAnnuler), static_cast<QWidget*>(cblNom_)})
    w->setEnabled(true);
  Etat = 0;
  IndexCourant = -1;
  if (!Table.Actif()) {
    if (!corv::OuvrirTable(Table, dialogs()).ok()) {
      MontrerAucun();
      return;
    }
    TableOuverteParFiche = true;
  } else {
    TableOuverteParFiche = false;
  }
  Cles.clear();
  cblNom_->Vider();
  int i = RemplirListe();
  cblNom_->Selectionner(i);
  if (i != -1) cblNomChange();
  else MontrerAucun();
  cblNom_->ViderEdition();
}

bool TFicheDB::Signaler(const pdx::Status& s) {
  if (s.ok()) return true;
  dialogs().Error(FrenchText(s));
  return false;
}

void TFicheDB::SignalerErreurTable(const pdx::Status& s) {
  dialogs().Error(Table.Fichier() + " : " + FrenchText(s));
}

int TFicheDB::RemplirListe() {
  pdx::Status s = Table.Premier();
  if (!s.ok()) {
    SignalerErreurTable(s);
    return -1;
  }
  cblNom_->DefinirSuspendu(true);
  int n = 0;
  while (!Table.Fin()) {
    if (EstListe()) {
      cblNom_->Ajouter(Q(LibelleCourant()), n);
      Cles.push_back({CleCourante(), n});
      ++n;
    }
    s = Table.Suivant();
    if (!s.ok()) break;
  }
  cblNom_->DefinirSuspendu(false);
  if (!s.ok()) {
    SignalerErreurTable(s);
    return -1;
  }
  return cblNom_->Compte() > 0 ? 0 : -1;
}

void TFicheDB::MontrerAucun(bool charger) {
  AfficherChamps(true);
  DefinirSaisie(false);
  pcData_->setEnabled(false);
  tbSupprimer->setEnabled(false);
  tbImprimer->setEnabled(false);
  tbAnnuler->setEnabled(false);
  Etat = 0;
  IndexCourant = -1;
  setWindowTitle(Q(NomElement()));
  if (!charger) return;
  corv::WaitCursor w(dialogs());
  Signaler(ChargerFiche());
}

void TFicheDB::cblNomChange() {
  Garder(dialogs(), [this] {
    int i = cblNom_->IndexSelectionne();
    if (i == IndexCourant) return;
    if (Etat == 2 && !Valider()) return;
    if (i == -1) {
      MontrerAucun();
      return;
    }
    IndexCourant = i;
    if (!Signaler(SetCle(CleDuTag(cblNom_->Tag(i))))) return;
    bool trouve = false;
    pdx::Status s = Table.Chercher(TamponCle, &trouve);
    if (!s.ok()) {
      SignalerErreurTable(s);
      return;
    }
    if (!trouve) {
      dialogs().Warning("Enregistement perdu !!!!!");
      return;
    }
    AfficherChamps(false);
    if (!Signaler(ChargerFiche())) {
      // Not shown half loaded (its fields beside another record's controls):
      // nothing is shown.
      cblNom_->Selectionner(-1);
      MontrerAucun(false);
      return;
    }
    Etat = 2;
    s = Table.Editer();
    pdx::TableWriter* w = nullptr;
    if (s.ok()) s = Table.Ecrivain(&w);
    if (!s.ok()) {
      Table.Annuler();
      if (!s.IsBusy()) {
        SignalerErreurTable(s);
        return;
      }
      dialogs().Warning("Enregistrement utilisé par un autre utilisateur");
      cblNom_->Selectionner(-1);
      Etat = 0;
      cblNomChange();
      return;
    }
    DefinirSaisie(true);
    pcData_->setEnabled(true);
    tbSupprimer->setEnabled(true);
    tbImprimer->setEnabled(true);
    tbAnnuler->setEnabled(true);
    setWindowTitle(Q(NomElement() + " : " + LibelleCourant()));
  });
}

bool TFicheDB::Valider() {
  if (Etat == 0 || Etat == 4) return true;
  corv::WaitCursor w(dialogs());
  int page = pcData_->currentIndex();
  QWidget* focus = QApplication::focusWidget();
  if (!EcrireChamps() || !EnregistrerFiche()) {
    cblNom_->Selectionner(IndexCourant);
    return false;
  }
  std::string libelle = LibelleSaisi();
  pdx::Status s = Table.Valider();
  if (s.ok()) s = Table.Enregistrer();
  if (!s.ok()) {
    dialogs().Error("Enregistrement impossible dans " + Table.Fichier() + " : " + FrenchText(s));
    cblNom_->Selectionner(IndexCourant);
    return false;
  }
  // The entry shows the saved name (it keeps its place until the list is filled again).
  if (!libelle.empty() && IndexCourant >= 0) cblNom_->ChangerTexte(IndexCourant, Q(libelle));
  pcData_->setCurrentIndex(page);
  if (focus && isAncestorOf(focus)) focus->setFocus();
  Etat = 0;
  return true;
}

void TFicheDB::tbSuivantClick() {
  int i = cblNom_->IndexSelectionne();
  if (i < cblNom_->Compte() - 1) cblNom_->Selectionner(i + 1);
  cblNomChange();
}

void TFicheDB::tbPrecedantClick() {
  int i = cblNom_->IndexSelectionne();
  if (i > 0) cblNom_->Selectionner(i - 1);
  cblNomChange();
}

void TFicheDB::tbSupprimerClick() {
  Garder(dialogs(), [this] {
    int i = cblNom_->IndexSelectionne();
    if (i < 0 || IndexCourant < 0) return;
    if (!dialogs().Question("Vous allez supprimer la fiche " + NomElement() + "\nConfirmez-vous ?")) return;
    if (!PeutSupprimer()) return;
    int tag = cblNom_->Tag(i);
    std::string cle = CleDuTag(tag);
    Table.Annuler();
    if (!Signaler(SetCle(cle))) return;
    bool trouve = false;
    pdx::Status s = Table.Chercher(TamponCle, &trouve);
    if (s.ok() && trouve) s = Table.Supprimer();
    if (s.ok()) s = Table.Enregistrer();
    if (!s.ok()) {
      SignalerErreurTable(s);
      return;
    }
    ApresSuppression();
    Cles.erase(std::remove_if(Cles.begin(), Cles.end(), [tag](const auto& c) { return c.second == tag; }), Cles.end());
    cblNom_->Supprimer(i);
    int n = cblNom_->Compte();
    cblNom_->Selectionner(n == 0 ? -1 : std::min(i, n - 1));
    Etat = 4;
    IndexCourant = -1;
    // With the list now empty the selection does not change (-1 both), yet the
    // deleted record must not stay on show.
    if (n == 0) MontrerAucun();
    else cblNomChange();
  });
}

void TFicheDB::tbAnnulerClick() {
  Garder(dialogs(), [this] {
    std::string phrase = Etat == 2 ? "la modification" : "";
    if (!dialogs().Question("Vous allez annuler " + phrase + " de la fiche " + NomElement() + "\nConfirmez-vous ?"))
      return;
    Table.Annuler();
    Etat = 0;
    cblNom_->Selectionner(IndexCourant);
    // The bound fields show the record as stored again, read-only until an
    // entry is selected again (typing now would be lost); the card's own
    // controls are not reloaded.
    AfficherChamps(IndexCourant < 0);
    DefinirSaisie(false);
  });
}

bool TFicheDB::FormCloseQuery() {
  if (Etat != 2) return true;
  if (dialogs().Question("Voulez-vous enregistrer les modifications ?")) return Valider();
  Table.Annuler();
  Etat = 0;
  return true;
}

void TFicheDB::FormClose() {
  Cles.clear();
  Table.Annuler();
  if (TableOuverteParFiche) {
    pdx::Status s = Table.Fermer();
    TableOuverteParFiche = false;
    if (!s.ok()) dialogs().Error(Table.Fichier() + " : " + FrenchText(s));
  }
}

void TFicheDB::closeEvent(QCloseEvent* e) {
  if (ferme_) {
    e->accept();
    return;
  }
  bool peut = true;
  Garder(dialogs(), [&] { peut = FormCloseQuery(); });
  if (!peut) {
    e->ignore();
    return;
  }
  ferme_ = true;
  Garder(dialogs(), [this] { FormClose(); });
  e->accept();
  done(QDialog::Rejected);
}

// Escape and the window's close button go through the closing question.
void TFicheDB::reject() {
  if (ferme_) QDialog::reject();
  else close();
}

void TFicheDB::bFermerClick() {
  bool ok = false;
  Garder(dialogs(), [&] { ok = Valider(); });
  if (ok) close();
}

}  // namespace corv

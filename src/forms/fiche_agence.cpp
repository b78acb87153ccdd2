#include "forms/fiche_agence.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/application.h"
#include "data/fonctions_bd.h"
#include "data/impression.h"
#include "forms/captures.h"
#include "forms/fenetres.h"
#include "forms/fiche_agence_edition.h"
#include "forms/fiche_agence_fournisseurs.h"
#include "forms/fiche_code_article.h"
#include "forms/fiche_selection_modele.h"
#include "forms/liste_simple.h"

namespace corv {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TFicheAgence::TFicheAgence(corv::Application& app, QWidget* owner)
    : TFicheDB(app, owner, 1, (*app.dm())["tblAgence"]), carte_(std::make_unique<corv::CarteAgence>(app)) {
  // The card opens the table itself (and closes it when it closes); a table
  // that cannot be closed is shown when the card is first shown.
  fermetureTable_ = Table.Fermer();
  setObjectName("FicheAgence");
  setWindowTitle("Fiche Agence");
  setFixedSize(820, 600);

  // Page "Nom".
  auto* nom = new QVBoxLayout(tsNom);
  auto* haut = new QGridLayout;
  haut->addWidget(new QLabel("Nom"), 0, 0);
  Nom_ = Champ(tsNom, "Nom", "Nom");
  haut->addWidget(Nom_, 0, 1, 1, 2);
  haut->addWidget(new QLabel("Code"), 1, 0);
  Code_ = Champ(tsNom, "Code", "Code");
  Code_->setReadOnly(true);
  haut->addWidget(Code_, 1, 1);
  auto* Label12 = new QPushButton("Modification du code", tsNom);
  Label12->setObjectName("Label12");
  haut->addWidget(Label12, 1, 2);
  haut->addWidget(new QLabel("Répertoire"), 2, 0);
  Repertoire_ = Champ(tsNom, "Repertoire", "Repertoire");
  haut->addWidget(Repertoire_, 2, 1, 1, 2);
  nom->addLayout(haut);

  auto* groupes = new QHBoxLayout;
  auto* gAgence = new QGroupBox("Agence", tsNom);
  gAgence->setObjectName("gbAgence");
  auto* fa = new QFormLayout(gAgence);
  fa->addRow("Code société", Champ(gAgence, "CodeSociete", "CodeSociete"));
  fa->addRow("Code agence", Champ(gAgence, "CodeAgence", "CodeAgence"));
  fa->addRow("Code dépôt", Champ(gAgence, "CodeDepot", "CodeDepot"));
  fa->addRow("Mail Responsable", Champ(gAgence, "MailResponsable", "MailResponsable"));
  auto* gSysteme = new QGroupBox("Système de gestion", tsNom);
  gSysteme->setObjectName("gbSysteme");
  auto* fs = new QFormLayout(gSysteme);
  fs->addRow("Système", Champ(gSysteme, "Systeme", "Systeme"));
  fs->addRow("Nom travail", Champ(gSysteme, "NomTravail", "NomTravail"));
  groupes->addWidget(gAgence, 1);
  groupes->addWidget(gSysteme, 1);
  nom->addLayout(groupes);

  auto* gImport = new QGroupBox("Importation des clients", tsNom);
  gImport->setObjectName("gbImportation");
  auto* fi = new QFormLayout(gImport);
  fi->addRow("Fichier", Champ(gImport, "ImportFichierClient", "ImportFichierClient"));
  fi->addRow("Répertoire \n(celui de l'agence par défaut)", Champ(gImport, "ImportRepertoireClient", "ImportRepertoireClient"));
  ceImportClientPeriode_ = new QSpinBox(gImport);
  ceImportClientPeriode_->setObjectName("ceImportClientPeriode");
  ceImportClientPeriode_->setRange(0, 36500);
  fi->addRow("Période (jours)", ceImportClientPeriode_);
  nom->addWidget(gImport);

  auto* options = new QGridLayout;
  cbSaufAdministration_ = new QCheckBox("Sauf le répertoire Administration (en commun)", tsNom);
  cbSaufAdministration_->setObjectName("cbSaufAdministration");
  cbFigerFournisseur_ = new QCheckBox("Figer les fournisseurs (nom, adresse, livraison, réglement)", tsNom);
  cbFigerFournisseur_->setObjectName("cbFigerFournisseur");
  options->addWidget(cbSaufAdministration_, 0, 0, 1, 2);
  options->addWidget(cbFigerFournisseur_, 1, 0, 1, 2);
  options->addWidget(new QLabel("Coef risque par défaut"), 2, 0);
  ceMargeRisque_ = new QDoubleSpinBox(tsNom);
  ceMargeRisque_->setObjectName("ceMargeRisque");
  ceMargeRisque_->setRange(1.0, 2.0);
  ceMargeRisque_->setDecimals(3);
  ceMargeRisque_->setSingleStep(0.01);
  options->addWidget(ceMargeRisque_, 2, 1);
  cbRelanceObligatoire_ = new QCheckBox("Relance devis obligatoire", tsNom);
  cbRelanceObligatoire_->setObjectName("cbRelanceObligatoire");
  options->addWidget(cbRelanceObligatoire_, 3, 0, 1, 2);
  nom->addLayout(options);

  auto* boutons = new QHBoxLayout;
  auto* btnConfigImpression = new QPushButton("Configuration Impression", tsNom);
  btnConfigImpression->setObjectName("btnConfigImpression");
  auto* Label14 = new QPushButton("Gestion des codes articles", tsNom);
  Label14->setObjectName("Label14");
  boutons->addWidget(btnConfigImpression);
  boutons->addWidget(Label14);
  boutons->addStretch(1);
  nom->addLayout(boutons);
  nom->addStretch(1);

  // Page "Fournisseurs".
  TabSheet1_ = new QWidget;
  TabSheet1_->setObjectName("TabSheet1");
  auto* pf = new QVBoxLayout(TabSheet1_);
  tsFournisseurs_ = new GrilleFournisseurs(TabSheet1_);
  pf->addWidget(tsFournisseurs_, 1);
  auto* bf = new QHBoxLayout;
  auto* tout = new QPushButton("Tout sélectionner", TabSheet1_);
  tout->setObjectName("btnToutSelectionner");
  auto* rien = new QPushButton("Tout désélectionner", TabSheet1_);
  rien->setObjectName("btnToutDeselectionner");
  bf->addWidget(tout);
  bf->addWidget(rien);
  bf->addStretch(1);
  pf->addLayout(bf);
  pcData()->addTab(TabSheet1_, "Fournisseurs");

  // Page "Edition".
  TabSheet2_ = new PageEdition(app, nullptr);
  pcData()->addTab(TabSheet2_, "Edition");

  connect(Label12, &QPushButton::clicked, this, &TFicheAgence::Label12Click);
  connect(Label14, &QPushButton::clicked, this, &TFicheAgence::Label14Click);
  connect(btnConfigImpression, &QPushButton::clicked, this, &TFicheAgence::btnConfigImpressionClick);
  connect(cbFigerFournisseur_, &QCheckBox::clicked, this, &TFicheAgence::cbFigerFournisseurClick);
  connect(tout, &QPushButton::clicked, this, &TFicheAgence::btnToutSelectionnerClick);
  connect(rien, &QPushButton::clicked, this, &TFicheAgence::btnToutDeselectionnerClick);
  connect(tsFournisseurs_, &GrilleFournisseurs::detailDemande, this, &TFicheAgence::DetailClick);
  connect(TabSheet2_, &PageEdition::cbToutesLesAgencesClick, this, &TFicheAgence::TabSheet2Show);
  connect(pcData(), &QTabWidget::currentChanged, this, [this](int i) {
    if (pcData()->widget(i) == TabSheet2_) TabSheet2Show();
  });

  setTabOrder(cblNom(), Nom_);
  setTabOrder(Nom_, Repertoire_);
  // Enter in a field must not press a button of the card.
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
}

// Destroyed without being closed (the program ending): the closing steps run
// all the same, the pending edit dropped.
TFicheAgence::~TFicheAgence() { FermerSansQuestion(); }

QLineEdit* TFicheAgence::Champ(QWidget* parent, const char* nom, const std::string& champ) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(nom);
  LierChamp(e, champ);
  return e;
}

std::string TFicheAgence::Repertoire() const { return Repertoire_->text().toStdString(); }
std::string TFicheAgence::CodeAffiche() const { return Code_->text().toStdString(); }

void TFicheAgence::FormActivate() {
  if (!PremierAffichage) return;
  if (!ouverte_) {
    bool ok = false;
    pdx::Status s = fermetureTable_;
    if (s.ok()) s = carte_->Ouvrir(&ok);
    if (!s.ok() || !ok) {
      // No agency table, or a table that failed (shown once): nothing can be
      // shown or saved, not even the settings, and the window must not retry
      // at each activation.
      PremierAffichage = false;
      for (QWidget* w : findChildren<QWidget*>()) w->setEnabled(false);
      Signaler(s);
      return;
    }
    ouverte_ = true;
    corv::ReglagesImport r = carte_->LireReglages();
    ceImportClientPeriode_->setValue(static_cast<int>(r.periode));
    ceMargeRisque_->setValue(r.kr);
    cbRelanceObligatoire_->setChecked(r.relance);
    std::vector<corv::LigneFournisseur> lignes;
    if (!Signaler(carte_->Attachements("", &lignes))) return;
    tsFournisseurs_->Remplir(lignes);
  }
  TFicheDB::FormActivate();
}

std::string TFicheAgence::LibelleCourant() {
  std::string nom, code;
  // A field that cannot be read shows empty.
  corv::LireChamp(Table, "Nom", &nom).IgnoreError();
  corv::LireChamp(Table, "Code", &code).IgnoreError();
  return nom + " (" + code + ")";
}

std::string TFicheAgence::LibelleSaisi() {
  return Nom_->text().toStdString() + " (" + CodeAffiche() + ")";
}

std::string TFicheAgence::CleCourante() {
  std::string code;
  corv::LireChamp(Table, "Code", &code).IgnoreError();  // unreadable: no key
  return code;
}

pdx::Status TFicheAgence::SetNom(const std::string& nom) {
  if (Table.EnEdition()) PDX_RETURN_IF_ERROR(Table.FixerValeur("Nom", pdx::Value::Text(nom)));
  Nom_->setText(Q(nom));
  return pdx::Status::OK();
}

pdx::Status TFicheAgence::SetCle(const std::string& cle) {
  if (Table.EnEdition()) {
    PDX_RETURN_IF_ERROR(Table.FixerValeur("Code", pdx::Value::Text(cle)));
    Code_->setText(Q(cle));
  } else {
    TamponCle = {pdx::Value::Text(cle)};
  }
  return pdx::Status::OK();
}

pdx::Status TFicheAgence::ChargerFiche() {
  bool aucun = IndexCourant < 0;
  std::string flag;
  if (!aucun) corv::LireChamp(Table, "Flag", &flag).IgnoreError();  // unreadable: no option set
  int f = flag.empty() ? 0 : std::stoi(flag);
  {
    QSignalBlocker b1(cbSaufAdministration_), b2(cbFigerFournisseur_);
    cbSaufAdministration_->setChecked(f & 1);
    cbFigerFournisseur_->setChecked(f & 2);
  }
  std::vector<corv::LigneFournisseur> lignes;
  pdx::Status s = carte_->Attachements(aucun ? "" : CleCourante(), &lignes);
  // The grid must not keep another agency's ticks: emptied, and the record is
  // not shown.
  if (!s.ok()) lignes.clear();
  tsFournisseurs_->Remplir(lignes);
  TabSheet2Show();
  return s;
}

bool TFicheAgence::EnregistrerFiche() {
  pdx::Value v;
  int n = Table.NumeroChamp("Flag");
  int f = 0;
  if (n > 0 && !Table.Tampon()[static_cast<size_t>(n - 1)].blank) f = static_cast<int>(Table.Tampon()[static_cast<size_t>(n - 1)].i);
  f = (f & ~3) | (cbSaufAdministration_->isChecked() ? 1 : 0) | (cbFigerFournisseur_->isChecked() ? 2 : 0);
  pdx::Status s = Table.FixerValeur("Flag", pdx::Value::Int(f));
  if (!s.ok()) {
    SignalerErreurTable(s);
    return false;
  }
  // The two supplier-file messages do not refuse the save; a table that fails does.
  return Signaler(carte_->EnregistrerFournisseurs(CodeAffiche(), Repertoire(), tsFournisseurs_->Lignes()));
}

void TFicheAgence::tbNouveauClick() {
  Garder(dialogs(), [this] {
    if (!Valider()) return;
    std::string code;
    if (!dialogs().Input("Création Agence", "Saisissez le code de l'agence Agence", &code)) return;
    bool accepte = false;
    if (!Signaler(carte_->VerifierNouveauCode(&code, &accepte)) || !accepte) {
      cblNom()->Selectionner(IndexCourant);
      return;
    }
    if (!Signaler(carte_->CreerAgence(code))) return;
    int tag = ProchainTag();
    Cles.push_back({code, tag});
    int i = cblNom()->Ajouter("nouveau", tag);
    // The insertion may have moved the shown entry to another index, and the new
    // one may now sit at the old index: the new record opens in any case.
    IndexCourant = -1;
    cblNom()->Selectionner(i);
    cblNomChange();
    pcData()->setCurrentWidget(tsNom);
    Nom_->setFocus();
    Nom_->selectAll();
  });
}

void TFicheAgence::Label12Click() {
  Garder(dialogs(), [this] {
    if (Etat != 2 || IndexCourant < 0) return;
    std::string code;
    if (!dialogs().Input("Modification code Agence", "Saisissez le code de l'agence Agence", &code)) return;
    bool accepte = false;
    if (!Signaler(carte_->VerifierNouveauCode(&code, &accepte)) || !accepte) return;
    // The key of the entry shown (the table's cursor may have moved since).
    int tag = cblNom()->Tag(IndexCourant);
    std::string ancien = CleDuTag(tag);
    bool change = false;
    if (!Signaler(carte_->ChangerCodeAttachements(ancien, code, &change)) || !change) return;
    if (!Signaler(SetCle(code))) return;
    for (auto& c : Cles)
      if (c.second == tag) c.first = code;
    // The attachments already carry the new code: the record is saved now so
    // that a later cancellation cannot leave them pointing at no agency.
    if (Valider()) {
      int i = IndexCourant;
      IndexCourant = -1;
      cblNom()->Selectionner(i);
      cblNomChange();
    }
  });
}

void TFicheAgence::cbFigerFournisseurClick() {
  Garder(dialogs(), [this] {
    if (!cbFigerFournisseur_->isChecked() || !carte_->RepertoireExiste(Repertoire())) return;
    if (!dialogs().Question("Voulez-vous réinitialiser les fournisseurs de cette agence ?")) return;
    Signaler(carte_->FigerFournisseurs(Repertoire(), tsFournisseurs_->Lignes()));
  });
}

void TFicheAgence::TabSheet2Show() {
  Garder(dialogs(), [this] {
    if (!TabSheet2_->ToutesLesAgences()) {
      TabSheet2_->Afficher(IndexCourant < 0 ? "" : Nom_->text().toStdString(),
                           corv::CarteAgence::EditionAgence(tsFournisseurs_->Lignes()));
      return;
    }
    std::vector<corv::EntreeAgence> entrees;
    for (int i = 0; i < cblNom()->Compte(); ++i)
      entrees.push_back({cblNom()->Texte(i).toStdString(), CleDuTag(cblNom()->Tag(i))});
    std::vector<corv::LigneEdition> lignes;
    if (!Signaler(carte_->EditionToutes(entrees, &lignes))) return;
    TabSheet2_->Afficher("Cartographies", lignes);
  });
}

void TFicheAgence::btnConfigImpressionClick() {
  Garder(dialogs(), [this] {
    corv::ConfigurerImpression(app().chemins(), app().host(), dialogs(), IndexCourant < 0 ? "" : CodeAffiche());
  });
}

void TFicheAgence::Label14Click() {
  Garder(dialogs(), [this] {
    TFicheCodeArticle f(*app().dm(), app().host(), dialogs(), this);
    corv::ExecuterModal(f);
  });
}

void TFicheAgence::DetailClick(int row) {
  Garder(dialogs(), [&] {
    corv::LigneFournisseur l = tsFournisseurs_->Ligne(row);
    if (!l.attache) return;
    TFicheSelectionModele f(*app().dm(), dialogs(), l.code, l.texte, this);
    corv::ExecuterModal(f);
    tsFournisseurs_->DefinirTexte(row, f.Selection());
  });
}

void TFicheAgence::btnToutSelectionnerClick() { tsFournisseurs_->ToutCocher(true); }
void TFicheAgence::btnToutDeselectionnerClick() { tsFournisseurs_->ToutCocher(false); }

void TFicheAgence::bFermerClick() { TFicheDB::bFermerClick(); }

void TFicheAgence::FormClose() {
  if (ouverte_) {
    corv::ReglagesImport r;
    r.periode = ceImportClientPeriode_->value();
    r.kr = ceMargeRisque_->value();
    r.relance = cbRelanceObligatoire_->isChecked();
    carte_->EcrireReglages(r);  // a file that cannot be written was shown
    Signaler(carte_->Fermer());
  }
  TFicheDB::FormClose();
}

void AjouterCapturesAgence(std::vector<EtapeCapture>& etapes) {
  etapes.push_back({"TFicheAgence", [](ContexteCapture& ctx) {
                      TFicheAgence f(ctx.app(), ctx.principale());
                      f.show();
                      // An agency with suppliers, one of them carrying a product selection if any.
                      int choix = -1, auMieux = -1;
                      for (int i = 0; i < f.cblNom()->Compte() && auMieux < 0; ++i) {
                        f.cblNom()->ChoisirParUtilisateur(i);
                        bool attache = false, detail = false;
                        for (const auto& l : f.grille()->Lignes()) {
                          attache = attache || l.attache;
                          detail = detail || (l.attache && !l.texte.empty());
                        }
                        if (attache && choix < 0) choix = i;
                        if (detail) auMieux = i;
                      }
                      if (auMieux >= 0) choix = auMieux;
                      if (choix >= 0) f.cblNom()->ChoisirParUtilisateur(choix);
                      f.pcData()->setCurrentIndex(0);
                      ctx.Capturer(&f, "TFicheAgence_Nom");
                      f.pcData()->setCurrentIndex(1);
                      ctx.Capturer(&f, "TFicheAgence_Fournisseurs");
                      f.pcData()->setCurrentIndex(2);
                      ctx.Capturer(&f, "TFicheAgence_Edition");
                      // Nothing was changed: leave without the closing question.
                      f.Table.Annuler();
                      f.Etat = 0;
                      f.close();
                    }});
}

}  // namespace corv

#include "forms/fiche_code_article.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "catalogue/codes_article.h"
#include "data/application.h"
#include "forms/captures.h"
#include "data/dictionnaire.h"
#include "forms/fenetres.h"
#include "util/dialogs.h"

namespace corv {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// What the user reads for each field of "CodeArticle.DB".
QString Libelle(const std::string& champ) {
  static const std::vector<std::pair<std::string, const char*>> noms = {
      {"Fournisseur", "Fournisseur"},
      {"Groupe", "Groupe"},
      {"Famille", "Famille"},
      {"Modele", "Modèle"},
      {"Tarif", "Tarif"},
      {"CodeFournisseur", "Code fournisseur"},
      {"CodeArticle", "Code article"},
      {"Libelle", "Libellé"},
      {"Type", "Type"},
      {"Flag", "Flag"},
      {"CodeArticleTvaInter", "Code TVA intracommunautaire"},
      {"CodeArticleTvaNormale", "Code TVA normale"},
      {"CodeArticleTvaReduite", "Code TVA réduite"},
      {"CodeArticleTvaCorse", "Code TVA Corse"},
  };
  for (const auto& [nom, texte] : noms)
    if (nom == champ) return QString::fromUtf8(texte);
  return Q(champ);
}

class Garde {
 public:
  explicit Garde(bool& b) : b_(b), avant_(b) { b_ = true; }
  ~Garde() { b_ = avant_; }
  Garde(const Garde&) = delete;
  Garde& operator=(const Garde&) = delete;

 private:
  bool& b_;
  bool avant_;
};

}  // namespace

TFicheCodeArticle::TFicheCodeArticle(corv::TDM& dm, corv::HostPaths& host, corv::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), codes_(std::make_unique<corv::CodesArticle>(dm, host, dialogs)), dialogs_(dialogs) {
  setObjectName("TFicheCodeArticle");
  setWindowTitle("Gestion des Codes Article");
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  resize(980, 620);

  const corv::TableDef* def = corv::TableDuComposant("tblCodeArticle");
  std::vector<corv::ChampDef> champs = def ? def->champs : std::vector<corv::ChampDef>{};

  sgCodes_ = new QTableWidget(0, static_cast<int>(champs.size()), this);
  sgCodes_->setObjectName("sgCodes");
  sgCodes_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgCodes_->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgCodes_->setSelectionMode(QAbstractItemView::SingleSelection);
  sgCodes_->setAlternatingRowColors(true);
  sgCodes_->verticalHeader()->setVisible(false);
  sgCodes_->verticalHeader()->setDefaultSectionSize(sgCodes_->fontMetrics().height() + 6);
  QStringList entetes;
  for (const auto& c : champs) entetes << Libelle(c.nom);
  sgCodes_->setHorizontalHeaderLabels(entetes);
  // Widths measured once per fill on the first rows (measuring at every cell
  // set costs a whole column's layout each time).
  sgCodes_->horizontalHeader()->setResizeContentsPrecision(200);

  auto* saisie = new QGridLayout;
  const int parColonne = (static_cast<int>(champs.size()) + 1) / 2;
  for (size_t i = 0; i < champs.size(); ++i) {
    auto* ed = new QLineEdit(this);
    ed->setObjectName(Q("ed" + champs[i].nom));
    if (champs[i].type == pdx::FieldType::kAlpha) ed->setMaxLength(champs[i].taille);
    auto* lb = new QLabel(Libelle(champs[i].nom), this);
    lb->setBuddy(ed);
    int ligne = static_cast<int>(i) % parColonne, col = static_cast<int>(i) / parColonne * 2;
    saisie->addWidget(lb, ligne, col);
    saisie->addWidget(ed, ligne, col + 1);
    edits_.push_back(ed);
  }
  saisie->setColumnStretch(1, 1);
  saisie->setColumnStretch(3, 1);

  auto bouton = [this](const char* nom, const char* texte) {
    auto* b = new QPushButton(QString::fromUtf8(texte), this);
    b->setObjectName(nom);
    b->setAutoDefault(false);
    return b;
  };
  btnAjouter_ = bouton("btnAjouter", "Ajouter");
  btnModifier_ = bouton("btnModifier", "Modifier");
  btnSupprimer_ = bouton("btnSupprimer", "Supprimer");
  btnExporter_ = bouton("btnExporter", "Exporter...");
  btnImporter_ = bouton("btnImporter", "Importer...");
  btnFermer_ = bouton("btnFermer", "Fermer");
  btnAjouter_->setToolTip("Ajouter un code article avec les valeurs saisies");
  btnModifier_->setToolTip("Enregistrer les valeurs saisies dans le code article sélectionné");
  btnSupprimer_->setToolTip("Supprimer le code article sélectionné");
  btnExporter_->setToolTip(QString("Écrire tous les codes article dans « ") + corv::kFichierExportCodeArticle +
                           " » du répertoire choisi");
  btnImporter_->setToolTip(QString("Lire « ") + corv::kFichierImportCodeArticle + " » du répertoire choisi");
  lbNombre_ = new QLabel(this);
  lbNombre_->setObjectName("lbNombre");

  auto* boutons = new QHBoxLayout;
  boutons->addWidget(btnAjouter_);
  boutons->addWidget(btnModifier_);
  boutons->addWidget(btnSupprimer_);
  boutons->addSpacing(24);
  boutons->addWidget(btnExporter_);
  boutons->addWidget(btnImporter_);
  boutons->addStretch(1);
  boutons->addWidget(lbNombre_);
  boutons->addSpacing(12);
  boutons->addWidget(btnFermer_);

  auto* tout = new QVBoxLayout(this);
  tout->addWidget(sgCodes_, 1);
  tout->addLayout(saisie);
  tout->addLayout(boutons);

  QWidget* precedent = sgCodes_;
  for (QLineEdit* ed : edits_) {
    setTabOrder(precedent, ed);
    precedent = ed;
  }
  for (QWidget* b : std::initializer_list<QWidget*>{btnAjouter_, btnModifier_, btnSupprimer_, btnExporter_,
                                                    btnImporter_, btnFermer_}) {
    setTabOrder(precedent, b);
    precedent = b;
  }

  connect(sgCodes_, &QTableWidget::itemSelectionChanged, this, &TFicheCodeArticle::sgCodesSelectionChange);
  connect(btnAjouter_, &QPushButton::clicked, this, &TFicheCodeArticle::btnAjouterClick);
  connect(btnModifier_, &QPushButton::clicked, this, &TFicheCodeArticle::btnModifierClick);
  connect(btnSupprimer_, &QPushButton::clicked, this, &TFicheCodeArticle::btnSupprimerClick);
  connect(btnExporter_, &QPushButton::clicked, this, &TFicheCodeArticle::btnExporterClick);
  connect(btnImporter_, &QPushButton::clicked, this, &TFicheCodeArticle::btnImporterClick);
  connect(btnFermer_, &QPushButton::clicked, this, &QDialog::accept);
  MettreAJourBoutons();
}

TFicheCodeArticle::~TFicheCodeArticle() = default;

void TFicheCodeArticle::done(int r) {
  // The table goes back to the data module as found as soon as the window closes.
  codes_->Fermer();
  QDialog::done(r);
}

void TFicheCodeArticle::Executer(corv::TDM& dm, corv::HostPaths& host, corv::Dialogs& dialogs, QWidget* parent) {
  TFicheCodeArticle f(dm, host, dialogs, parent);
  corv::ExecuterModal(f);
}

void TFicheCodeArticle::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (active_) return;
  active_ = true;
  FormActivate();
}

void TFicheCodeArticle::FormActivate() {
  {
    corv::WaitCursor attente(dialogs_);
    if (!codes_->Ouvrir()) {
      // The table could not be opened (already said): only closing is left.
      for (QWidget* w : std::initializer_list<QWidget*>{sgCodes_, btnAjouter_, btnModifier_, btnSupprimer_,
                                                        btnExporter_, btnImporter_})
        w->setEnabled(false);
      for (QLineEdit* ed : edits_) ed->setEnabled(false);
      lbNombre_->clear();
      return;
    }
  }
  RemplirGrille(codes_->Lignes().empty() ? -1 : 0);
  sgCodes_->setFocus();
}

void TFicheCodeArticle::RemplirGrille(int selection) {
  const auto& lignes = codes_->Lignes();
  {
    Garde g(remplissage_);
    sgCodes_->setUpdatesEnabled(false);
    sgCodes_->clearContents();
    sgCodes_->setRowCount(static_cast<int>(lignes.size()));
    for (size_t r = 0; r < lignes.size(); ++r)
      for (size_t c = 0; c < lignes[r].size() && c < static_cast<size_t>(sgCodes_->columnCount()); ++c)
        sgCodes_->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(Q(lignes[r][c])));
    sgCodes_->resizeColumnsToContents();
    sgCodes_->setUpdatesEnabled(true);
  }
  lbNombre_->setText(QString::number(lignes.size()) + (lignes.size() > 1 ? " codes article" : " code article"));
  SelectionnerLigne(selection);
}

int TFicheCodeArticle::LigneCourante() const {
  auto rows = sgCodes_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TFicheCodeArticle::SelectionnerLigne(int ligne) {
  if (ligne >= 0 && ligne < sgCodes_->rowCount()) {
    sgCodes_->selectRow(ligne);
    sgCodes_->scrollToItem(sgCodes_->item(ligne, 0));
  } else {
    sgCodes_->clearSelection();
  }
  sgCodesSelectionChange();
}

void TFicheCodeArticle::sgCodesSelectionChange() {
  if (remplissage_) return;
  int r = LigneCourante();
  const auto& lignes = codes_->Lignes();
  for (size_t i = 0; i < edits_.size(); ++i) {
    bool ok = r >= 0 && static_cast<size_t>(r) < lignes.size() && i < lignes[static_cast<size_t>(r)].size();
    edits_[i]->setText(ok ? Q(lignes[static_cast<size_t>(r)][i]) : QString());
  }
  MettreAJourBoutons();
}

void TFicheCodeArticle::MettreAJourBoutons() {
  bool ouvert = codes_->Ouvert();
  bool ligne = ouvert && LigneCourante() >= 0;
  btnAjouter_->setEnabled(ouvert);
  btnModifier_->setEnabled(ligne);
  btnSupprimer_->setEnabled(ligne);
  btnExporter_->setEnabled(ouvert);
  btnImporter_->setEnabled(ouvert);
}

std::vector<std::string> TFicheCodeArticle::Saisie() const {
  std::vector<std::string> v;
  for (QLineEdit* ed : edits_) v.push_back(ed->text().toStdString());
  return v;
}

void TFicheCodeArticle::btnAjouterClick() {
  int i = codes_->Ajouter(Saisie());
  if (i >= 0) RemplirGrille(i);
}

void TFicheCodeArticle::btnModifierClick() {
  int r = LigneCourante();
  if (r < 0) return;
  int i = codes_->Modifier(static_cast<size_t>(r), Saisie());
  if (i >= 0) RemplirGrille(i);
}

void TFicheCodeArticle::btnSupprimerClick() {
  int r = LigneCourante();
  if (r < 0) return;
  if (!codes_->Supprimer(static_cast<size_t>(r))) return;
  int n = static_cast<int>(codes_->Lignes().size());
  RemplirGrille(r < n ? r : n - 1);
}

void TFicheCodeArticle::btnExporterClick() {
  std::string dir;
  if (!dialogs_.ChooseDirectory("Répertoire où écrire " + std::string(corv::kFichierExportCodeArticle), &dir)) return;
  corv::WaitCursor attente(dialogs_);
  codes_->Exporter(dir);
}

void TFicheCodeArticle::btnImporterClick() {
  std::string dir;
  if (!dialogs_.ChooseDirectory("Répertoire contenant " + std::string(corv::kFichierImportCodeArticle), &dir)) return;
  int r = LigneCourante();
  if (codes_->Importer(dir)) RemplirGrille(r);
}

void AjouterCapturesCodeArticle(std::vector<EtapeCapture>& etapes) {
  etapes.push_back({"TFicheCodeArticle", [](ContexteCapture& ctx) {
                      Application& app = ctx.app();
                      TFicheCodeArticle f(*app.dm(), app.host(), app.dialogs(), ctx.principale());
                      ctx.Capturer(&f, "TFicheCodeArticle");
                      f.close();
                    }});
}

}  // namespace corv

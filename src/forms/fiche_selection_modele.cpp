#include "forms/fiche_selection_modele.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "catalogue/selection_produits.h"
#include "data/application.h"
#include "forms/captures.h"
#include "forms/fenetres.h"
#include "util/dialogs.h"

namespace corv {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The code an item carries (kept as text: packing two characters into one
// integer confuses codes such as "B" and "Aÿ").
std::string Code(const QListWidgetItem* item) { return item ? item->data(Qt::UserRole).toString().toStdString() : ""; }

void Remplir(QListWidget* liste, const std::vector<corv::ElementSelection>& elements) {
  liste->clear();
  for (const auto& e : elements) {
    auto* item = new QListWidgetItem(Q(e.texte), liste);
    item->setData(Qt::UserRole, Q(e.code));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(e.coche ? Qt::Checked : Qt::Unchecked);
  }
}

// Sets a flag for the life of a scope (the lists' fill guards).
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

TFicheSelectionModele::TFicheSelectionModele(corv::TDM& dm, corv::Dialogs& dialogs, const std::string& fournisseur,
                                             const std::string& selection, QWidget* parent)
    : QDialog(parent), selection_(std::make_unique<corv::SelectionProduits>(dm, dialogs, selection)), dialogs_(dialogs) {
  selection_->DefinirFournisseur(fournisseur);
  setObjectName("TFicheSelectionModele");
  setWindowTitle("Selection produits");
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  resize(640, 440);

  auto* lbFamille = new QLabel("Famille", this);
  cblFamille_ = new QListWidget(this);
  cblFamille_->setObjectName("cblFamille");
  lbFamille->setBuddy(cblFamille_);
  auto* lbModele = new QLabel("Modèle", this);
  clbModele_ = new QListWidget(this);
  clbModele_->setObjectName("clbModele");
  clbModele_->setEnabled(false);
  lbModele->setBuddy(clbModele_);
  Button1_ = new QPushButton("Fermer", this);
  Button1_->setObjectName("Button1");
  Button1_->setDefault(true);

  auto* gauche = new QVBoxLayout;
  gauche->addWidget(lbFamille);
  gauche->addWidget(cblFamille_);
  auto* droite = new QVBoxLayout;
  droite->addWidget(lbModele);
  droite->addWidget(clbModele_);
  auto* listes = new QHBoxLayout;
  listes->addLayout(gauche, 1);
  listes->addLayout(droite, 1);
  auto* bas = new QHBoxLayout;
  bas->addStretch(1);
  bas->addWidget(Button1_);
  auto* tout = new QVBoxLayout(this);
  tout->addLayout(listes, 1);
  tout->addLayout(bas);
  setTabOrder(cblFamille_, clbModele_);
  setTabOrder(clbModele_, Button1_);

  connect(cblFamille_, &QListWidget::currentRowChanged, this, [this](int) { cblFamilleClick(); });
  connect(cblFamille_, &QListWidget::itemChanged, this, &TFicheSelectionModele::cblFamilleClickCheck);
  connect(clbModele_, &QListWidget::itemChanged, this, &TFicheSelectionModele::clbModeleClickCheck);
  // Closing with Escape keeps the ticks as well: the text is read either way.
  connect(Button1_, &QPushButton::clicked, this, &QDialog::accept);
}

TFicheSelectionModele::~TFicheSelectionModele() = default;

std::string TFicheSelectionModele::Selection() const { return selection_->Texte(); }

bool TFicheSelectionModele::Editer(corv::TDM& dm, corv::Dialogs& dialogs, const std::string& fournisseur,
                                   std::string* selection, QWidget* parent) {
  TFicheSelectionModele f(dm, dialogs, fournisseur, *selection, parent);
  corv::ExecuterModal(f);
  std::string texte = f.Selection();
  bool change = texte != *selection;
  *selection = std::move(texte);
  return change;
}

void TFicheSelectionModele::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (active_) return;
  active_ = true;
  FormActivate();
}

void TFicheSelectionModele::FormActivate() {
  std::vector<corv::ElementSelection> familles;
  pdx::Status s = selection_->Familles(&familles);
  {
    Garde g(remplissageFamille_);
    Remplir(cblFamille_, familles);
    if (cblFamille_->count() > 0) cblFamille_->setCurrentRow(0);
  }
  if (!s.ok() && !s.IsIOError())  // a table that could not be opened was shown already
    dialogs_.Error("Impossible de lire les familles du catalogue :\n" + s.message());
  selection_->SignalerTexteIllisible();
  RemplirModeles();
  cblFamille_->setFocus();
}

void TFicheSelectionModele::cblFamilleClick() {
  if (remplissageFamille_) return;
  RemplirModeles();
}

void TFicheSelectionModele::RemplirModeles() {
  std::string famille = Code(cblFamille_->currentItem());
  std::vector<corv::ElementSelection> modeles;
  pdx::Status s;
  if (!famille.empty()) s = selection_->Modeles(famille, &modeles);
  {
    Garde g(remplissageModele_);
    Remplir(clbModele_, modeles);
  }
  clbModele_->setEnabled(!famille.empty() && selection_->FamilleCochee(famille));
  if (!s.ok() && !s.IsIOError()) dialogs_.Error("Impossible de lire les modèles du catalogue :\n" + s.message());
}

void TFicheSelectionModele::cblFamilleClickCheck(QListWidgetItem* item) {
  if (remplissageFamille_ || !item) return;
  bool coche = item->checkState() == Qt::Checked;
  if (!selection_->CocherFamille(Code(item), coche)) {
    Garde g(remplissageFamille_);
    item->setCheckState(coche ? Qt::Unchecked : Qt::Checked);
    return;
  }
  {
    Garde g(remplissageFamille_);
    cblFamille_->setCurrentItem(item);
  }
  RemplirModeles();
}

void TFicheSelectionModele::clbModeleClickCheck(QListWidgetItem* item) {
  if (remplissageModele_ || !item) return;
  bool coche = item->checkState() == Qt::Checked;
  if (!selection_->CocherModele(Code(cblFamille_->currentItem()), Code(item), coche)) {
    Garde g(remplissageModele_);
    item->setCheckState(coche ? Qt::Unchecked : Qt::Checked);
  }
}

// The window for supplier "GX" with two families ticked, the first showing its
// models with two of them ticked, as a user would leave it.
void AjouterCapturesSelectionModele(std::vector<EtapeCapture>& etapes) {
  etapes.push_back({"TFicheSelectionModele", [](ContexteCapture& ctx) {
                      Application& app = ctx.app();
                      TFicheSelectionModele f(*app.dm(), app.dialogs(), "GX", "", ctx.principale());
                      f.show();
                      auto* familles = f.findChild<QListWidget*>("cblFamille");
                      auto* modeles = f.findChild<QListWidget*>("clbModele");
                      // Ticking a family makes it the current one: the first comes last.
                      for (int i : {1, 0})
                        if (i < familles->count()) familles->item(i)->setCheckState(Qt::Checked);
                      for (int i = 0; i < modeles->count() && i < 2; ++i) modeles->item(i)->setCheckState(Qt::Checked);
                      ctx.Capturer(&f, "TFicheSelectionModele");
                      f.close();
                    }});
}

}  // namespace corv

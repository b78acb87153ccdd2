#include "forms/fiche_copie_remise.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "forms/groupe_radio.h"

namespace corv {

namespace {
QCheckBox* CaseOption(QWidget* parent, const char* nom, const char* libelle) {
  auto* c = new QCheckBox(QString::fromUtf8(libelle), parent);
  c->setObjectName(nom);
  return c;
}
}  // namespace

TFicheCopieRemiseAchatVersAgence::TFicheCopieRemiseAchatVersAgence(Application& app, QWidget* parent)
    : TFicheTransfert(app, parent) {
  setObjectName("TFicheCopieRemiseAchatVersAgence");
  btnLancer->setText(QStringLiteral("Lancer la copie des remises vers les agences"));

  QVBoxLayout* zone = ZoneOptions();
  cbDeleteData = CaseOption(this, "cbDeleteData", "Suppression des remises de l'agence avant la copie");
  cbAddFns = CaseOption(this, "cbAddFns", "Ajout des fabricants sans remises");
  rgRemise = new GroupeRadio(QStringLiteral("Copier les remises ACHAT"),
                             {QStringLiteral("Fournisseur"), QStringLiteral("Fournisseur + Conditions particulières")},
                             this);
  rgRemise->setObjectName("rgRemise");
  rgRemise->SetItemIndex(0);
  rgRegle = new GroupeRadio(QStringLiteral("Règle de remplacement ligne à ligne"),
                            {QStringLiteral("On conserve la meilleure remise"), QStringLiteral("On écrase la remise")},
                            this);
  rgRegle->setObjectName("rgRegle");
  rgRegle->SetItemIndex(0);
  cbInclureZoneLibre = CaseOption(this, "cbInclureZoneLibre", "Inclure les fournisseurs Zone Libre");
  // The caption ends with a space, as the program has always shown it.
  cbInfosDetaillees = CaseOption(this, "cbInfosDetaillees", "Afficher les informations détaillées ");
  zone->addWidget(cbDeleteData);
  zone->addWidget(cbAddFns);
  zone->addWidget(rgRemise);
  zone->addWidget(rgRegle);
  zone->addWidget(cbInclureZoneLibre);
  zone->addWidget(cbInfosDetaillees);

  connect(cbDeleteData, &QCheckBox::clicked, this, &TFicheCopieRemiseAchatVersAgence::cbDeleteDataClick);
  connect(cbAddFns, &QCheckBox::clicked, this, &TFicheCopieRemiseAchatVersAgence::cbDeleteDataClick);
  resize(760, 760);
  DefinirMode(kModeAchat);
}

void TFicheCopieRemiseAchatVersAgence::DefinirMode(int mode) {
  mode_ = mode == kModeVente ? kModeVente : kModeAchat;
  OptionsConditions o = LireOptionsConditions(app_, mode_);
  cbDeleteData->setChecked(o.suppression);
  cbAddFns->setChecked(o.ajoutFournisseurs);
  cbInclureZoneLibre->setChecked(o.zoneLibre);
  cbInfosDetaillees->setChecked(o.details);
  cbDeleteDataClick();
  FormActivate();
}

void TFicheCopieRemiseAchatVersAgence::FormActivate() {
  const bool vente = mode_ == kModeVente;
  setWindowTitle(vente ? QStringLiteral("Copie des Remises Vente vers les agences")
                       : QStringLiteral("Copie des Remises Achat vers les agences"));
  rgRemise->setTitle(vente ? QStringLiteral("Copier les remises VENTE") : QStringLiteral("Copier les remises ACHAT"));
}

void TFicheCopieRemiseAchatVersAgence::cbDeleteDataClick() {
  const bool suppression = cbDeleteData->isChecked();
  rgRegle->setVisible(!suppression);
  cbAddFns->setVisible(suppression);
}

void TFicheCopieRemiseAchatVersAgence::showEvent(QShowEvent* e) {
  FormActivate();
  TFicheTransfert::showEvent(e);
}

OptionsConditions TFicheCopieRemiseAchatVersAgence::Options() const {
  OptionsConditions o;
  o.mode = mode_;
  o.suppression = cbDeleteData->isChecked();
  o.ajoutFournisseurs = cbAddFns->isChecked();
  o.conditionsParticulieres = rgRemise->ItemIndex() == 1;
  o.ecraser = rgRegle->ItemIndex() == 1;
  o.zoneLibre = cbInclureZoneLibre->isChecked();
  o.details = cbInfosDetaillees->isChecked();
  return o;
}

TFicheTransfert::Travail TFicheCopieRemiseAchatVersAgence::PreparerTravail() {
  const OptionsConditions o = Options();
  return TravailDuRun([this, o](RunReport& rapport, const OptionsRun& run) -> std::unique_ptr<TransfertAgences> {
    return std::make_unique<TransfertConditions>(app_, rapport, run, o);
  });
}

}  // namespace corv

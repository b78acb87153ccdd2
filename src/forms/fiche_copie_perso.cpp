#include "forms/fiche_copie_perso.h"

#include <QPushButton>

#include "transfer/personnalisations.h"

namespace corv {

TFicheCopiePersoVersAgence::TFicheCopiePersoVersAgence(Application& app, QWidget* parent) : TFicheTransfert(app, parent) {
  setObjectName("TFicheCopiePersoVersAgence");
  setWindowTitle(QStringLiteral("Copie des Personnalisations vers les agences"));
  btnLancer->setText(QStringLiteral("Lancer la copie des personnalisations vers les agences"));
}

TFicheTransfert::Travail TFicheCopiePersoVersAgence::PreparerTravail() {
  return TravailDuRun([this](RunReport& rapport, const OptionsRun& run) -> std::unique_ptr<TransfertAgences> {
    return std::make_unique<TransfertPersonnalisations>(app_, rapport, run);
  });
}

}  // namespace corv

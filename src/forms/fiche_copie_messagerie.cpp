#include "forms/fiche_copie_messagerie.h"

#include <QPushButton>

#include "transfer/messagerie.h"

namespace corv {

TFicheCopieMessagerieVersAgence::TFicheCopieMessagerieVersAgence(Application& app, QWidget* parent) : TFicheTransfert(app, parent) {
  setObjectName("TFicheCopieMessagerieVersAgence");
  setWindowTitle(QStringLiteral("Copie de la Messagerie vers les agences"));
  btnLancer->setText(QStringLiteral("Lancer la copie de la Messagerie vers les agences"));
}

TFicheTransfert::Travail TFicheCopieMessagerieVersAgence::PreparerTravail() {
  return TravailDuRun([this](RunReport& rapport, const OptionsRun& run) -> std::unique_ptr<TransfertAgences> {
    return std::make_unique<TransfertMessagerie>(app_, rapport, run);
  });
}

}  // namespace corv

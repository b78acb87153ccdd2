#include "forms/fiche_nettoyage_clients.h"

#include <QPushButton>

#include "transfer/nettoyage_clients.h"

namespace corv {

TFicheNettoyageClients::TFicheNettoyageClients(Application& app, QWidget* parent) : TFicheTransfert(app, parent) {
  setObjectName("TFicheNettoyageClients");
  setWindowTitle(QStringLiteral("Nettoyage des clients"));
  btnLancer->setText(QStringLiteral("Lancer le nettoyage des clients"));
}

TFicheTransfert::Travail TFicheNettoyageClients::PreparerTravail() {
  return TravailDuRun([this](RunReport& rapport, const OptionsRun& run) -> std::unique_ptr<TransfertAgences> {
    return std::make_unique<NettoyageClients>(app_, rapport, run);
  });
}

}  // namespace corv

#include "forms/fiche_copie_document.h"

#include <QListWidget>
#include <QPushButton>

#include "transfer/documents.h"

namespace corv {

TFicheCopieDocumentVersAgence::TFicheCopieDocumentVersAgence(Application& app, QWidget* parent) : TFicheTransfert(app, parent) {
  setObjectName("TFicheCopieDocumentVersAgence");
  setWindowTitle(QStringLiteral("Copie des Documents vers les agences"));
  btnLancer->setText(QStringLiteral("Lancer la copie des Documents vers les agences"));
  listDocuments = listMessages;
  listDocuments->setObjectName("listDocuments");
}

TFicheTransfert::Travail TFicheCopieDocumentVersAgence::PreparerTravail() {
  return TravailDuRun([this](RunReport& rapport, const OptionsRun& run) -> std::unique_ptr<TransfertAgences> {
    return std::make_unique<TransfertDocuments>(app_, rapport, run);
  });
}

}  // namespace corv

#pragma once
// "Copie des Documents vers les agences": head office's document types and
// documents published to every agency, with the files they name. The running
// log of this window is listDocuments.
#include "forms/fiche_transfert.h"

namespace corv {

class TFicheCopieDocumentVersAgence : public TFicheTransfert {
  Q_OBJECT
 public:
  explicit TFicheCopieDocumentVersAgence(Application& app, QWidget* parent = nullptr);

  QListWidget* listDocuments;  // the running log (listMessages of the other windows)

 protected:
  Travail PreparerTravail() override;
  SorteTransfert SorteFenetre() const override { return SorteTransfert::kDocuments; }
};

}  // namespace corv

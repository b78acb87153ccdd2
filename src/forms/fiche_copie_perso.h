#pragma once
// "Copie des Personnalisations vers les agences": each agency's personalisation
// table replaced by head office's.
#include "forms/fiche_transfert.h"

namespace corv {

class TFicheCopiePersoVersAgence : public TFicheTransfert {
  Q_OBJECT
 public:
  explicit TFicheCopiePersoVersAgence(Application& app, QWidget* parent = nullptr);

 protected:
  Travail PreparerTravail() override;
  SorteTransfert SorteFenetre() const override { return SorteTransfert::kPersonnalisations; }
};

}  // namespace corv

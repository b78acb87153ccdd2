#pragma once
// "Copie de la Messagerie vers les agences": head office's message types and
// messages published to every agency, the agency's own messages kept.
#include "forms/fiche_transfert.h"

namespace corv {

class TFicheCopieMessagerieVersAgence : public TFicheTransfert {
  Q_OBJECT
 public:
  explicit TFicheCopieMessagerieVersAgence(Application& app, QWidget* parent = nullptr);

 protected:
  Travail PreparerTravail() override;
  SorteTransfert SorteFenetre() const override { return SorteTransfert::kMessagerie; }
};

}  // namespace corv

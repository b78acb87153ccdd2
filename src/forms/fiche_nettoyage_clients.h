#pragma once
// "Nettoyage des clients": head office's customers that no quote file of the
// agencies working in head office's Administration refers to are deleted.
#include "forms/fiche_transfert.h"

namespace corv {

class TFicheNettoyageClients : public TFicheTransfert {
  Q_OBJECT
 public:
  explicit TFicheNettoyageClients(Application& app, QWidget* parent = nullptr);

 protected:
  Travail PreparerTravail() override;
  SorteTransfert SorteFenetre() const override { return SorteTransfert::kNettoyageClients; }
};

}  // namespace corv

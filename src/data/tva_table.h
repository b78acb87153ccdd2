#pragma once
// The VAT rows read from the table component tblTva ("Tva.DB").
#include "data/composant.h"
#include "data/parametres.h"
#include "util/dialogs.h"

namespace corv {

class SourceTauxTvaTable : public SourceTauxTva {
 public:
  // tblTva is opened through OuvrirTable when closed.
  SourceTauxTvaTable(Composant& tblTva, Dialogs& dialogs) : table_(tblTva), dialogs_(dialogs) {}
  pdx::Status Lire(std::vector<LigneTva>* rows) override;

 private:
  Composant& table_;
  Dialogs& dialogs_;
};

}  // namespace corv

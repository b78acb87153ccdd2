#pragma once
// Personalisation transfer: each eligible agency's "Perso.DB" is replaced by
// head office's (the seven fields of rxmdPerso; the memo fields of the rows
// written stay empty). A real run empties and refills the agency's table in one
// engine commit.
#include "data/memtable.h"
#include "transfer/squelette.h"

namespace corv {

class TransfertPersonnalisations : public TransfertAgences {
 public:
  TransfertPersonnalisations(Application& app, RunReport& report, OptionsRun options);

 protected:
  SorteTransfert Sorte() const override { return SorteTransfert::kPersonnalisations; }
  pdx::Status Lecture() override;
  std::string TexteIntegration() const override { return "Intégration des personnalisations pour l'agence : "; }
  pdx::Status TraiterAgence(const AgenceTransfert& a) override;
  std::string TexteFin() const override { return "Fin de l'intégration des personnalisations."; }

 private:
  MemTable rxmdPerso_;
};

}  // namespace corv

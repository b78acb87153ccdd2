#pragma once
// Client clean-up: removes from head office's "CLIENT.DB" every customer that
// no quote file ("DOSSIER.DB") of the agencies working in head office's
// Administration refers to. Those agencies (Flag bit 0 set) are the ones
// examined, through the run's QuintrelDossiers pointed at each one's
// "Dossiers"; QuintrelAdministration stays at head office.
//
// A customer is deleted only when every agency sharing head office's
// Administration was examined: when one cannot be (its directory is missing,
// its "DOSSIER.DB" cannot be opened or read) or the walk is stopped, the run
// deletes nothing, says why in the error list and ends with its usual lines.
// When no agency shares head office's Administration, no quote file refers to
// any customer and every customer is deleted. A real run deletes in one engine
// commit.
#include <string>
#include <unordered_map>
#include <vector>

#include "data/memtable.h"
#include "transfer/squelette.h"

namespace corv {

class NettoyageClients : public TransfertAgences {
 public:
  NettoyageClients(Application& app, RunReport& report, OptionsRun options);

  // The customers deleted (or, in a simulation, that would be) by the last run.
  int ClientsSupprimes() const { return supprimes_; }

 protected:
  SorteTransfert Sorte() const override { return SorteTransfert::kNettoyageClients; }
  pdx::Status Lecture() override;
  std::string TexteIntegration() const override { return "Lecture des dossiers de l'agence : "; }
  pdx::Status TraiterAgence(const AgenceTransfert& a) override;
  std::string TexteFin() const override { return "Fin du nettoyage de la table des clients."; }
  bool EligibiliteInversee() const override { return true; }
  void RepertoireAbsent(const AgenceTransfert& a) override { nonExaminees_.push_back(a.nom); }
  pdx::Status ApresAgences(bool arrete) override;
  void Terminer(bool complete) override;

 private:
  pdx::Status LireDossiers(Composant& dossier, const AgenceTransfert& a);
  pdx::Status Supprimer();

  MemTable rxmdClient_;
  std::unordered_map<std::string, size_t> parCode_;  // folded code -> first rxmdClient row
  std::vector<std::string> nonExaminees_;            // agencies whose quote files were not all read
  int supprimes_ = 0;
};

}  // namespace corv

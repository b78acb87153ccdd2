#include "transfer/personnalisations.h"

#include "transfer/lignes_memoire.h"

namespace corv {

TransfertPersonnalisations::TransfertPersonnalisations(Application& app, RunReport& report, OptionsRun options)
    : TransfertAgences(app, report, std::move(options)), rxmdPerso_(TableMemoire("rxmdPerso")) {}

pdx::Status TransfertPersonnalisations::Lecture() {
  rxmdPerso_.Clear();
  report().ReadingLabel("Lecture de la table Personnalisation");
  Composant& perso = dm()["tblPerso"];
  PDX_RETURN_IF_ERROR(OuvrirTable(perso));
  Message("Lecture de la table Personnalisation - Nombre total de personnalisations : " +
          std::to_string(perso.NombreEnregistrements()));
  int lues = 0;
  pdx::Status s = LireVersMemoire(perso, &rxmdPerso_, {}, nullptr, report(), &lues);
  // Closed before the first agency: the same component then opens the agency's file.
  perso.Fermer();
  if (!s.ok()) return ErreurTable(perso, nullptr, s);
  PDX_RETURN_IF_ERROR(rxmdPerso_.Sort("Groupe;Famille;Modele;Fournisseur;Produit"));
  Message("Lecture de la table Personnalisation - Nombre de personnalisations à copier : " +
          std::to_string(rxmdPerso_.size()));
  report().ReadingLabel("Lecture de la table Personnalisation effectuée.");
  return pdx::Status::OK();
}

pdx::Status TransfertPersonnalisations::TraiterAgence(const AgenceTransfert& a) {
  Composant& perso = dm()["tblPerso"];
  perso.DefinirLectureSeule(false);
  pdx::Status s = OuvrirTable(perso, &a);
  pdx::TableWriter* w = nullptr;
  if (s.ok() && !Simulation()) {
    s = Ecrivain(perso, a, &w);
    // Emptied in the writer only: the file goes from the old rows to head
    // office's in the one commit below.
    if (s.ok()) {
      s = w->Empty();
      if (!s.ok()) s = ErreurTable(perso, &a, s);
    }
  }
  if (s.ok()) {
    Message(Prefixe(a) + "Table Personnalisation vidée");
    int ajoutees = 0;
    std::vector<pdx::Value> rec;
    for (size_t i = 0; s.ok() && i < rxmdPerso_.size(); ++i) {
      if (w) {
        s = EnregistrementDepuisMemoire(perso, rxmdPerso_, i, {}, &rec);
        if (s.ok()) s = w->Insert(rec);
        if (!s.ok()) s = ErreurTable(perso, &a, s);
      }
      if (s.ok()) ++ajoutees;
    }
    // Committed before the count is logged: the line never reports rows that
    // did not reach the file.
    if (s.ok()) s = Valider(perso, a);
    if (s.ok()) Message(Prefixe(a) + "Personnalisations ajoutées : " + std::to_string(ajoutees));
  }
  if (!s.ok()) perso.Abandonner();
  perso.DefinirLectureSeule(true);
  return s;
}

}  // namespace corv

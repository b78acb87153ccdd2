#pragma once
// One agency's statistics, read in one pass over its "PIECE.DB" and one over its
// "LIGNE.DB": both are keyed on the dossier first, so the documents and lines of
// a dossier come together; each dossier's documents are gathered, then (when a
// counted quote or supplier order needs them) its lines, and the dossier is
// counted from those small buffers. No range or key search, and nothing larger
// than one dossier is held.
//
// The figures are those of the documented algorithm (walk, range searches on
// "Dossier;Type" and "Dossier;Base" bounded at 32000 like every range the
// program takes, effective dates, accumulation rules): the tests compare both on
// random installations.
#include <string>
#include <vector>

#include "data/composant.h"
#include "stats/resultat.h"
#include "util/dialogs.h"

namespace corv {

struct BilanAgenceStat {
  TStatistiqueAchat stat;
  CarteFournisseurs fournisseurs;  // computations 2 and 3
  // Lines for the error list: a memo that could not be read, a table that
  // failed in the middle of its scan (the agency then counts zeros).
  std::vector<std::string> erreurs;
};

// piece and ligne: components on "PIECE.DB" and "LIGNE.DB" already pointed at
// the agency (closed; opened through OuvrirTable, whose message goes to dialogs,
// and closed again). Missing files or a table that cannot be opened leave the
// counters at zero.
void CollecterAgence(Composant& piece, Composant& ligne, Dialogs& dialogs, Calcul calcul, const Periode& periode,
                     BilanAgenceStat* bilan);

}  // namespace corv

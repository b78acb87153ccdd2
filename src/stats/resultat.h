#pragma once
// What a statistics run gives: the figures of each agency (or of each supplier)
// and the total, with the names the lists caption their rows with.
#include <map>
#include <string>
#include <vector>

#include "stats/statistique.h"

namespace corv {

// The three computations, numbered as the tabs of the window.
enum class Calcul {
  kAgences = 1,       // "Stats des agences": quotes and orders per agency
  kAchats = 2,        // "Stats achats/ventes": purchases and sales per agency, suppliers in detail
  kFournisseurs = 3,  // "Stats des fournisseurs": the same regrouped by supplier, agencies in detail
};

// The period of a run: day numbers, both inclusive; 0 = no bound.
struct Periode {
  double debut = 0;
  double fin = 0;
};

struct StatAgence {
  std::string code, nom;
  // Computation 1 fills the quote and order counters only.
  TStatistiqueAchat stat;
  // Computation 2: the agency's suppliers (its detail rows).
  CarteFournisseurs fournisseurs;
};

struct StatFournisseur {
  std::string code;
  TStatistiqueAchat stat;  // the sum of its agencies
  CarteAgences agences;    // shared with nothing else once the run is over
};

struct ResultatStatistiques {
  Calcul calcul = Calcul::kAgences;
  Periode periode;
  // Every agency whose directory exists, in "Agence.DB" order (the rows of
  // computations 1 and 2; computation 3 keeps their codes and names only).
  std::vector<StatAgence> agences;
  // Computation 3: one per supplier, in byte order of the codes.
  std::vector<StatFournisseur> fournisseurs;
  TStatistiqueAchat total;
  // "Nom" of head office's suppliers ("FOURNIS.DB") and of the agencies
  // ("Agence.DB"), by code.
  std::map<std::string, std::string> nomsFournisseurs;
  std::map<std::string, std::string> nomsAgences;
  // The run stopped at the user's request (the agencies not visited are missing).
  bool interrompu = false;
};

}  // namespace corv

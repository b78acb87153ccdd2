// Command of the statistics: statistiques.
#include <cstdio>

#include "commandes.h"

namespace corv::batch {

const char* const kUsageStatistiques =
    "  statistiques agences|achats|fournisseurs [--debut AAAA-MM-JJ] [--fin AAAA-MM-JJ] [--tri N]\n"
    "               [--csv FICHIER [--detail]] [--parallele N]\n";

int Statistiques(const Contexte&, const std::vector<std::string>&) {
  std::fputs("corvanes-batch : statistiques : pas encore disponible\n", stderr);
  return kEchec;
}

}  // namespace corv::batch

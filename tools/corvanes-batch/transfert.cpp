// Commands of the transfers: transfert, nettoyage-clients.
#include <cstdio>

#include "commandes.h"

namespace corv::batch {

const char* const kUsageTransfert =
    "  transfert conditions-achat|conditions-vente|personnalisations|messagerie|documents [--reel] [options]\n";
const char* const kUsageNettoyage = "  nettoyage-clients [--reel]\n";

int Transfert(const Contexte&, const std::vector<std::string>&) {
  std::fputs("corvanes-batch : transfert : pas encore disponible\n", stderr);
  return kEchec;
}

int NettoyageClients(const Contexte&, const std::vector<std::string>&) {
  std::fputs("corvanes-batch : nettoyage-clients : pas encore disponible\n", stderr);
  return kEchec;
}

}  // namespace corv::batch

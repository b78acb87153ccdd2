// Commands of the transfers: transfert SORTE [--reel] [options].
#include <cstdio>

#include "commandes.h"
#include "transfert_autres.h"

namespace corv::batch {

const char* const kUsageTransfert =
    "  transfert conditions-achat|conditions-vente|personnalisations|messagerie|documents [--reel] [options]\n";

int Transfert(const Contexte& ctx, const std::vector<std::string>& args) {
  if (!args.empty() && EstTransfertAutre(args[0]))
    return TransfertAutre(ctx, args[0], std::vector<std::string>(args.begin() + 1, args.end()));
  std::fputs("corvanes-batch : transfert : pas encore disponible\n", stderr);
  return kEchec;
}

}  // namespace corv::batch

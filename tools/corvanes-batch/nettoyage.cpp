// Command of the client clean-up: nettoyage-clients [--reel].
#include <cstdio>

#include "commandes.h"
#include "execution_run.h"
#include "transfer/nettoyage_clients.h"

namespace corv::batch {

const char* const kUsageNettoyage =
    "  nettoyage-clients [--reel]\n"
    "      Supprime de la table des clients du siège (\"CLIENT.DB\") les clients qu'aucun\n"
    "      dossier des agences travaillant dans l'administration du siège n'utilise.\n"
    "      Rien n'est supprimé si les dossiers d'une de ces agences ne peuvent être lus.\n"
    "      Sans --reel, le lancement est une simulation : tout est compté, rien n'est\n"
    "      supprimé. Un lancement réel sauvegarde d'abord la table (voir « restauration »).\n";

int NettoyageClients(const Contexte& ctx, const std::vector<std::string>& args) {
  bool reel = false;
  for (const auto& a : args) {
    if (a == "--help" || a == "-h") {
      std::printf("Usage :\n%s", kUsageNettoyage);
      return kTermine;
    }
    if (a == "--reel") {
      reel = true;
      continue;
    }
    std::fprintf(stderr, "corvanes-batch : nettoyage-clients : option inconnue : %s\n\nUsage :\n%s", a.c_str(),
                 kUsageNettoyage);
    return kUsage;
  }
  int echec = kEchec;
  std::unique_ptr<Installation> inst = Demarrer(ctx, &echec);
  if (!inst) return echec;
  PreparationRun p = PreparerRun(ctx, *inst->app, reel);
  ConsoleRunReport console;
  corv::NettoyageClients run(*inst->app, console, p.options);
  return ExecuterRun(run, console);
}

}  // namespace corv::batch

// corvanes-batch: the desktop program's batch tasks, headless, for scheduled runs.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commandes.h"
#include "paradox/env.h"
#include "plateforme.h"
#include "util/allocator.h"

namespace {

using namespace corv::batch;

const char* const kAide =
    "Usage : corvanes-batch [--ini FICHIER] COMMANDE [options]\n"
    "\n"
    "Exécute sans fenêtre les traitements de Corvanes, par exemple pour des lancements\n"
    "planifiés. Sans --ini, le fichier \"qvrbde.ini\" à côté de l'exécutable est lu,\n"
    "comme le fait le programme.\n"
    "\n"
    "Commandes :\n";

void Aide(std::FILE* f) {
  std::fputs(kAide, f);
  for (const char* u : {kUsageTransfert, kUsageNettoyage, kUsageRestauration, kUsageStatistiques})
    std::fprintf(f, "\n%s", u);
  std::fputs(
      "\nCodes de sortie : 0 traitement terminé (erreurs listées comprises), 1 traitement\n"
      "interrompu par une erreur, 2 erreur d'utilisation.\n",
      f);
}

}  // namespace

int main(int argc, char** argv) {
  corv::KeepFreedMemory();
  PreparerConsole();
  Contexte ctx;
  ctx.exePath = CheminExecutable(argv[0]);
  std::vector<std::string> args = pdx::ArgumentsUtf8(argc, argv);
  size_t i = 0;
  while (i < args.size() && args[i].rfind("--", 0) == 0) {
    if (args[i] == "--help" || args[i] == "-h") {
      Aide(stdout);
      return kTermine;
    }
    if (args[i] == "--ini" && i + 1 < args.size()) {
      ctx.ini = args[i + 1];
      i += 2;
      continue;
    }
    std::fprintf(stderr, "corvanes-batch : option inconnue : %s\n\n", args[i].c_str());
    Aide(stderr);
    return kUsage;
  }
  if (i >= args.size()) {
    Aide(stderr);
    return kUsage;
  }
  std::string commande = args[i];
  std::vector<std::string> reste(args.begin() + static_cast<long>(i) + 1, args.end());
  if (commande == "transfert") return Transfert(ctx, reste);
  if (commande == "nettoyage-clients") return NettoyageClients(ctx, reste);
  if (commande == "restauration") return Restauration(ctx, reste);
  if (commande == "statistiques") return Statistiques(ctx, reste);
  if (commande == "aide") {
    Aide(stdout);
    return kTermine;
  }
  std::fprintf(stderr, "corvanes-batch : commande inconnue : %s\n\n", commande.c_str());
  Aide(stderr);
  return kUsage;
}

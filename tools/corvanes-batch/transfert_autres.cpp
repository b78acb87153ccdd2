#include "transfert_autres.h"

#include <cstdio>
#include <memory>

#include "execution_run.h"
#include "transfer/documents.h"
#include "transfer/messagerie.h"
#include "transfer/personnalisations.h"

namespace corv::batch {

bool EstTransfertAutre(const std::string& sorte) {
  return sorte == "personnalisations" || sorte == "messagerie" || sorte == "documents";
}

int TransfertAutre(const Contexte& ctx, const std::string& sorte, const std::vector<std::string>& args) {
  bool reel = false;
  for (const auto& a : args) {
    if (a == "--reel") {
      reel = true;
      continue;
    }
    std::fprintf(stderr, "corvanes-batch : transfert %s : option inconnue : %s\n\nUsage :\n%s", sorte.c_str(),
                 a.c_str(), kUsageTransfert);
    return kUsage;
  }
  int echec = kEchec;
  std::unique_ptr<Installation> inst = Demarrer(ctx, &echec);
  if (!inst) return echec;
  PreparationRun p = PreparerRun(ctx, *inst->app, reel);
  ConsoleRunReport console;
  std::unique_ptr<TransfertAgences> run;
  if (sorte == "personnalisations")
    run = std::make_unique<TransfertPersonnalisations>(*inst->app, console, p.options);
  else if (sorte == "messagerie")
    run = std::make_unique<TransfertMessagerie>(*inst->app, console, p.options);
  else
    run = std::make_unique<TransfertDocuments>(*inst->app, console, p.options);
  return ExecuterRun(*run, console);
}

}  // namespace corv::batch

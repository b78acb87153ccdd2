#include "execution_run.h"

#include <cstdio>

#include "paradox/env.h"

namespace corv::batch {

PreparationRun PreparerRun(const Contexte& ctx, Application& app, bool reel) {
  PreparationRun p;
  p.options.simulation = !reel;
  p.options.fichierIniBde = ctx.ini;
  if (reel) {
    p.sauvegarde = std::make_unique<SauvegardeFichiers>(
        app.host().env(), RacineSauvegardesInstallation(app.chemins(), app.host(), ctx.ini));
    p.options.sauvegarde = p.sauvegarde.get();
  }
  return p;
}

int ExecuterRun(TransfertAgences& run, ConsoleRunReport& console) {
  ResultatRun r = run.Lancer();
  console.Effacer();
  if (r.ok()) return kTermine;
  // The message lines already went out: the reason comes after them.
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", r.erreur.c_str());
  return kEchec;
}

}  // namespace corv::batch

#include "execution_run.h"

#include <cstdio>

#include "paradox/env.h"

namespace corv::batch {

PreparationRun PreparerRun(const Contexte& ctx, Application& app, bool reel) {
  return corv::PreparerRun(app, ctx.ini, reel);
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

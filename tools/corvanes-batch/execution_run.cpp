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
  // Where the journal went, last on standard output; a journal that could not
  // be written is said on standard error and does not change the exit code.
  if (r.journal.erreur.empty()) {
    std::printf("%s\n", LigneJournal(r.journal).c_str());
  } else {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", LigneJournal(r.journal).c_str());
  }
  if (r.ok()) return kTermine;
  // The message lines already went out: the reason comes after them.
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", r.erreur.c_str());
  return kEchec;
}

}  // namespace corv::batch

#include <cstdio>

#include "commandes.h"
#include "paradox/env.h"

namespace corv::batch {

std::unique_ptr<Installation> Demarrer(const Contexte& ctx) {
  auto inst = std::make_unique<Installation>();
  inst->app = std::make_unique<Application>(pdx::Env::Default(), ctx.exePath, inst->dialogs);
  // The start-up sequence shows its own warning (naming the file or directory)
  // through the console dialogs.
  if (!inst->app->Demarrer(ctx.ini)) return nullptr;
  inst->app->InitialiserFenetrePrincipale();
  return inst;
}

}  // namespace corv::batch

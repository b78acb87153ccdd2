#include <cstdio>

#include "commandes.h"
#include "data/demarrage.h"
#include "paradox/env.h"

namespace corv::batch {

int EchecDemarrage(const Contexte& ctx, const pdx::Status& s, Dialogs& dialogs) {
  SignalerEchecDemarrage(s, dialogs);
  if (!ctx.ini.empty() && !pdx::Env::Default()->FileExists(ctx.ini)) return kUsage;
  return kEchec;
}

std::unique_ptr<Installation> Demarrer(const Contexte& ctx, int* echec) {
  auto inst = std::make_unique<Installation>();
  inst->app = std::make_unique<Application>(pdx::Env::Default(), ctx.exePath, inst->dialogs);
  pdx::Status s = inst->app->Demarrer(ctx.ini);
  if (!s.ok()) {
    *echec = EchecDemarrage(ctx, s, inst->dialogs);
    return nullptr;
  }
  inst->app->InitialiserFenetrePrincipale();
  return inst;
}

}  // namespace corv::batch

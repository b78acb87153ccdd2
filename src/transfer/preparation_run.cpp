#include "transfer/preparation_run.h"

namespace corv {

PreparationRun PreparerRun(Application& app, const std::string& fichierIni, bool reel) {
  PreparationRun p;
  p.options.simulation = !reel;
  p.options.fichierIniBde = fichierIni;
  if (reel) {
    p.sauvegarde = std::make_unique<SauvegardeFichiers>(
        app.host().env(), RacineSauvegardesInstallation(app.chemins(), app.host(), fichierIni));
    p.options.sauvegarde = p.sauvegarde.get();
  }
  return p;
}

}  // namespace corv

#pragma once
// How a front end (the command line, a window) prepares a run: a simulation
// unless real; a real run saves every table before changing it, under the
// backup root of the installation (the backups "corvanes-batch restauration"
// lists), and writes its log files beside the configuration file when the
// executable's directory cannot be written.
#include <memory>
#include <string>

#include "data/application.h"
#include "transfer/sauvegarde.h"
#include "transfer/squelette.h"

namespace corv {

struct PreparationRun {
  OptionsRun options;  // options.sauvegarde points into sauvegarde
  std::unique_ptr<SauvegardeFichiers> sauvegarde;
};

// fichierIni: the configuration file the program started on (host path; ""
// = the one beside the executable).
PreparationRun PreparerRun(Application& app, const std::string& fichierIni, bool reel);

}  // namespace corv

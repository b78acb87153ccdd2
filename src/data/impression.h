#pragma once
// The print configuration: the external print module started on an exchange
// file, as the main menu and the agency card do it.
//
// Contract:
//  - The module is "Modules\Impression\Module_Impression.exe" under the
//    program's directory; on a host without ".exe" programs a file of the same
//    name without the extension is accepted too. "" when neither exists.
//  - The exchange file is a fresh temporary file (FichierTemporaire) written as
//    an INI file; it is written even when no module is installed and is never
//    deleted (the module reads it after we wait for it).
//  - With no module nothing is started and nothing is shown.
//  - The module is started with the exchange file and "CONFIGURATION" and waited
//    for; the program is blocked meanwhile, as the agencies' programs expect.
#include <functional>
#include <string>
#include <vector>

#include "data/chemins.h"
#include "util/dialogs.h"
#include "util/winpath.h"

namespace corv {

// Windows form of the module's path, "" when it is not installed.
std::string ModuleImpression(const Chemins& chemins, const HostPaths& host);

// Writes the exchange file's keys into an existing file (host path): section
// "Configuration" keys "Agence" and "Utilisateur", section "Droits" key
// "Impression_Configuration" = true, section "FichierXml" key "Path". False when
// it could not be written.
bool EcrireFichierEchange(pdx::Env* env, const std::string& fichierHote, const std::string& agence);

// Whether a host file may be started as a program (on Windows the module is
// recognised by its ".exe" only).
bool EstExecutableHote(const std::string& cheminHote);
// Starts a program (host path) with its arguments and waits for it; its exit
// code, or -1 when it could not be started.
int LancerEtAttendre(const std::string& programmeHote, const std::vector<std::string>& arguments);

struct ResultatImpression {
  std::string module;   // Windows form, "" when not installed
  std::string echange;  // host path of the exchange file, "" when none could be written
  bool lance = false;   // the module was started
  int code = -1;        // its exit code
};

// The whole configuration step. systemTemp is normally RepertoireTemporaireSysteme();
// lanceur replaces LancerEtAttendre (tests).
ResultatImpression ConfigurerImpression(
    const Chemins& chemins, const HostPaths& host, Dialogs& dialogs, const std::string& agence,
    const std::string& systemTemp = RepertoireTemporaireSysteme(),
    const std::function<int(const std::string&, const std::vector<std::string>&)>& lanceur = LancerEtAttendre);

}  // namespace corv

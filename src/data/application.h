#pragma once
// What the program owns for its whole run, and its start-up sequence, as plain
// objects a test (or the demo) can make afresh and the desktop program drives:
//   1. Demarrer: the named databases from the configuration file ("qvrbde.ini"
//      beside the executable unless another is given); not OK = show it
//      (SignalerEchecDemarrage) and end at once;
//   2. then the data module exists, its tables closed;
//   3. InitialiserFenetrePrincipale, run when the main window is built: the
//      general parameters with the VAT rates of today, then the catalogue
//      tables; it returns the version text the window shows.
#include <memory>
#include <string>

#include "data/dm.h"
#include "data/parametres.h"
#include "util/session.h"
#include "data/chemins.h"
#include "util/dialogs.h"
#include "util/winpath.h"

namespace corv {

class Application {
 public:
  Application(pdx::Env* env, std::string exePath, Dialogs& dialogs);

  // fichierIni: Windows form; "" = Chemins::FichierIniBde().
  [[nodiscard]] pdx::Status Demarrer(const std::string& fichierIni = "");
  // The configuration file Demarrer was given ("" = the one beside the
  // executable): the runs put their backups and log files beside it.
  const std::string& FichierIni() const { return fichierIni_; }
  std::string InitialiserFenetrePrincipale();

  Session& session() { return session_; }
  HostPaths& host() { return host_; }
  const Chemins& chemins() const { return chemins_; }
  Dialogs& dialogs() { return dialogs_; }
  ParametresGeneraux& parametres() { return parametres_; }
  // Null before Demarrer succeeded.
  TDM* dm() { return dm_.get(); }

 private:
  Session session_;
  HostPaths host_;
  Chemins chemins_;
  Dialogs& dialogs_;
  ParametresGeneraux parametres_;
  std::unique_ptr<TDM> dm_;
  std::string fichierIni_;
};

}  // namespace corv

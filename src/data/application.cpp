#include "data/application.h"

#include "data/demarrage.h"
#include "data/tva_table.h"
#include "util/dates.h"

namespace corv {

Application::Application(pdx::Env* env, std::string exePath, Dialogs& dialogs)
    : host_(env), chemins_(std::move(exePath), session_, host_), dialogs_(dialogs) {}

bool Application::Demarrer(const std::string& fichierIni) {
  fichierIni_ = fichierIni;
  if (!ConfigurerSession(fichierIni.empty() ? chemins_.FichierIniBde() : fichierIni, session_, host_, dialogs_))
    return false;
  dm_ = std::make_unique<TDM>(session_, host_, dialogs_);
  return true;
}

std::string Application::InitialiserFenetrePrincipale() {
  if (dm_) {
    SourceTauxTvaTable tva((*dm_)["tblTva"], dialogs_);
    // A missing or short "General" is silent: the defaults stay.
    ChargerParametresGeneraux(1, chemins_, host_, &tva, DayNumberNow(), &parametres_).IgnoreError();
    (*dm_)["tblTva"].Fermer().IgnoreError();  // only read: closing has nothing to write
    dm_->OuvrirTablesCatalogue();
  }
  return "Version " + VersionProgramme() + " du " + DateVersion();
}

}  // namespace corv

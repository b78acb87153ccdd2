#include "data/application.h"

#include "data/demarrage.h"
#include "data/tva_table.h"
#include "util/dates.h"

namespace corv {

Application::Application(pdx::Env* env, std::string exePath, Dialogs& dialogs)
    : host_(env), chemins_(std::move(exePath), session_, host_), dialogs_(dialogs) {}

pdx::Status Application::Demarrer(const std::string& fichierIni) {
  fichierIni_ = fichierIni;
  PDX_RETURN_IF_ERROR(ConfigurerSession(fichierIni.empty() ? chemins_.FichierIniBde() : fichierIni, session_, host_));
  dm_ = std::make_unique<TDM>(session_, host_, dialogs_);
  return pdx::Status::OK();
}

std::string Application::InitialiserFenetrePrincipale() {
  if (dm_) {
    SourceTauxTvaTable tva((*dm_)["tblTva"], dialogs_);
    // A missing or short "General" is silent: the defaults stay.
    ChargerParametresGeneraux(1, chemins_, host_, &tva, DayNumberNow(), &parametres_).IgnoreError();
    (*dm_)["tblTva"].Fermer().IgnoreError();  // only read: closing has nothing to write
    // Each table that could not be opened was shown; the tasks that need none
    // of them still work.
    dm_->OuvrirTablesCatalogue().IgnoreError();
  }
  return "Version " + VersionProgramme() + " du " + DateVersion();
}

}  // namespace corv

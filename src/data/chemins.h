#pragma once
// Paths of the program's files, built from two anchors: the directory of the
// running executable and the current directory of a named database. Nothing is
// cached: every call asks the session again, so a path built while
// QuintrelAdministration points at an agency is that agency's path.
//
// Paths are returned in Windows form (see winpath.h), except FichierTemporaire,
// which returns the host path of the file it created.
#include <string>
#include <vector>

#include "util/session.h"
#include "util/dialogs.h"
#include "util/winpath.h"

namespace corv {

class Chemins {
 public:
  // exePath: full path of the running executable.
  Chemins(std::string exePath, const Session& session, const HostPaths& host)
      : exePath_(std::move(exePath)), session_(session), host_(host) {}

  const std::string& exePath() const { return exePath_; }
  // The executable's path without its file name, with a trailing backslash.
  std::string RepertoireExe() const;

  std::string FichierIniBde() const;
  static std::string AliasAdministration() { return kAliasAdministration; }
  static std::string AliasDossiers() { return kAliasDossiers; }
  // "" when the named database is unknown.
  std::string RepertoireAdministration() const;
  std::string RepertoireDossiers() const;
  std::string FichierIniCorvanes() const;
  std::string FichierImportIni() const;
  std::string FichierGeneral() const;
  std::string RepertoireDocuments() const;
  std::string RepertoireDocumentsInterne() const;
  std::string RepertoireDocumentsExterne() const;
  std::string RepertoireDocumentsStandard() const;
  // "" when the print module is not installed.
  std::string CheminModuleImpression() const;

 private:
  std::string exePath_;
  const Session& session_;
  const HostPaths& host_;
};

// The system's temporary directory (host path): $TMPDIR, else "/tmp".
std::string RepertoireTemporaireSysteme();

// Creates a new, empty, uniquely named file "kztXXXX.tmp" in the system
// temporary directory when it exists (and its name is 1 to 260 characters), else
// in "TEMP" beside the executable, creating that directory on first use. Returns
// its host path, or "" after an error box:
//   "Erreur à la création du répertoire TEMP." when TEMP cannot be created,
//   "Impossible de créer le fichier tmp" when no file can be created.
// systemTemp is normally RepertoireTemporaireSysteme().
std::string FichierTemporaire(const std::string& exePath, const HostPaths& host, Dialogs& dialogs,
                              const std::string& systemTemp);

std::string VersionProgramme();
std::string DateVersion();
// The line at index, "" when the index is outside the list.
std::string LigneDeListe(const std::vector<std::string>& lines, int index);

}  // namespace corv

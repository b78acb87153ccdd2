#pragma once
// Start-up set-up of the named databases from "qvrbde.ini", section "Alias".
//
// Contract:
//  - Directories are checked on the host through HostPaths (so mapped prefixes
//    and case-insensitive names apply); the session keeps them in Windows form,
//    exactly as configured or built.
//  - A failure is returned, its French text in the Status, and shown by the
//    program in one box (SignalerEchecDemarrage); the program then ends.
//  - A directory that does not exist stops the set-up there: named databases
//    set up before it stay, later ones are not touched.
//  - A named database the session already knows is re-pointed, never duplicated.
#include <string>

#include "paradox/status.h"
#include "util/dialogs.h"
#include "util/ini.h"
#include "util/session.h"
#include "util/winpath.h"

namespace corv {

inline constexpr const char* kSectionAlias = "Alias";

// Key K of section "Alias" (default base + "\" + K): OK when the directory
// exists and "Quintrel" + K now points at it; otherwise NotFound
// "Répertoire K non valide : DIR".
[[nodiscard]] pdx::Status InitialiserUnAlias(const std::string& base, const std::string& key, const IniFile& ini,
                                             Session& session, const HostPaths& host);

// The base "Quintrel", the six named databases in order, then "NetDir". OK
// when start-up may go on.
[[nodiscard]] pdx::Status InitialiserAlias(const IniFile& ini, Session& session, const HostPaths& host);

// The whole start-up step for a configuration file (Windows form, normally
// Chemins::FichierIniBde()): its "Chemins" section is given to host, then
// InitialiserAlias runs. Not OK: the program must end before any window. A
// missing file is NotFound naming it (every table lives in the directories it
// gives; nothing else would define them), a file that cannot be read IOError.
[[nodiscard]] pdx::Status ConfigurerSession(const std::string& fichierIni, Session& session, HostPaths& host);

// The one box of a failed start: a warning for a file or directory not found,
// an error otherwise.
void SignalerEchecDemarrage(const pdx::Status& s, Dialogs& dialogs);

}  // namespace corv

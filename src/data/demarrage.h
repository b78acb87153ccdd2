#pragma once
// Start-up set-up of the named databases from "qvrbde.ini", section "Alias".
//
// Contract:
//  - Directories are checked on the host through HostPaths (so mapped prefixes
//    and case-insensitive names apply); the session keeps them in Windows form,
//    exactly as configured or built.
//  - A directory that does not exist shows one warning box naming it, and the
//    set-up stops there: named databases set up before it stay, later ones are
//    not touched.
//  - A named database the session already knows is re-pointed, never duplicated.
#include <string>

#include "util/session.h"
#include "util/dialogs.h"
#include "util/ini.h"
#include "util/winpath.h"

namespace corv {

inline constexpr const char* kSectionAlias = "Alias";

// Key K of section "Alias" (default base + "\" + K): true when the directory
// exists and "Quintrel" + K now points at it; false after the warning
// "Répertoire K non valide : DIR".
bool InitialiserUnAlias(const std::string& base, const std::string& key, const IniFile& ini, Session& session,
                        const HostPaths& host, Dialogs& dialogs);

// The base "Quintrel", the six named databases in order, then "NetDir". True
// when start-up may go on.
bool InitialiserAlias(const IniFile& ini, Session& session, const HostPaths& host, Dialogs& dialogs);

// The whole start-up step for a configuration file (Windows form, normally
// Chemins::FichierIniBde()): when the file does not exist, nothing is set up and
// the result is true; otherwise its "Chemins" section is given to host, then
// InitialiserAlias runs. False: the program must end before any window. A file
// that exists but cannot be read is shown as an error and ends start-up too.
bool ConfigurerSession(const std::string& fichierIni, Session& session, HostPaths& host, Dialogs& dialogs);

}  // namespace corv

#include "data/demarrage.h"

namespace corv {

bool InitialiserUnAlias(const std::string& base, const std::string& key, const IniFile& ini, Session& session,
                        const HostPaths& host, Dialogs& dialogs) {
  std::string dir = ini.ReadString(kSectionAlias, key, "");
  if (dir.empty()) dir = base + "\\" + key;
  if (!host.DirExists(dir)) {
    dialogs.Warning("Répertoire " + key + " non valide : " + dir);
    return false;
  }
  session.SetAlias("Quintrel" + key, dir);
  return true;
}

bool InitialiserAlias(const IniFile& ini, Session& session, const HostPaths& host, Dialogs& dialogs) {
  std::string base = ini.ReadString(kSectionAlias, "Quintrel", "");
  if (!base.empty() && !host.DirExists(base)) {
    dialogs.Warning("Répertoire Quintrel non valide : " + base);
    return false;
  }
  for (const char* key : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj"})
    if (!InitialiserUnAlias(base, key, ini, session, host, dialogs)) return false;
  std::string netDir = ini.ReadString(kSectionAlias, "NetDir", "");
  if (netDir.empty()) return true;
  if (!host.DirExists(netDir)) {
    dialogs.Warning("Répertoire NetDir non valide : " + netDir);
    return false;
  }
  session.SetNetDir(netDir);
  return true;
}

bool ConfigurerSession(const std::string& fichierIni, Session& session, HostPaths& host, Dialogs& dialogs) {
  std::string hostPath = host.ToHost(fichierIni);
  if (!host.env()->FileExists(hostPath)) return true;
  IniFile ini;
  pdx::Status s = IniFile::Load(host.env(), hostPath, &ini);
  if (!s.ok()) {
    dialogs.Error("Impossible de lire " + fichierIni + " : " + s.message());
    return false;
  }
  host.LoadPrefixes(ini);
  return InitialiserAlias(ini, session, host, dialogs);
}

}  // namespace corv

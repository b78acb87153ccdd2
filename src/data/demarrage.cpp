#include "data/demarrage.h"

namespace corv {

pdx::Status InitialiserUnAlias(const std::string& base, const std::string& key, const IniFile& ini,
                               Session& session, const HostPaths& host) {
  std::string dir = ini.ReadString(kSectionAlias, key, "");
  if (dir.empty()) dir = base + "\\" + key;
  if (!host.DirExists(dir)) return pdx::Status::NotFound("Répertoire " + key + " non valide : " + dir);
  session.SetAlias("Quintrel" + key, dir);
  return pdx::Status::OK();
}

pdx::Status InitialiserAlias(const IniFile& ini, Session& session, const HostPaths& host) {
  std::string base = ini.ReadString(kSectionAlias, "Quintrel", "");
  if (!base.empty() && !host.DirExists(base)) return pdx::Status::NotFound("Répertoire Quintrel non valide : " + base);
  for (const char* key : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj"})
    PDX_RETURN_IF_ERROR(InitialiserUnAlias(base, key, ini, session, host));
  std::string netDir = ini.ReadString(kSectionAlias, "NetDir", "");
  if (netDir.empty()) return pdx::Status::OK();
  if (!host.DirExists(netDir)) return pdx::Status::NotFound("Répertoire NetDir non valide : " + netDir);
  session.SetNetDir(netDir);
  return pdx::Status::OK();
}

pdx::Status ConfigurerSession(const std::string& fichierIni, Session& session, HostPaths& host) {
  std::string hostPath = host.ToHost(fichierIni);
  if (!host.env()->FileExists(hostPath))
    return pdx::Status::NotFound("Fichier de configuration introuvable : " + hostPath +
                                 "\nIl indique les répertoires des données (section Alias) ; "
                                 "Corvanes ne peut pas démarrer sans lui.");
  IniFile ini;
  pdx::Status s = IniFile::Load(host.env(), hostPath, &ini);
  if (!s.ok()) return pdx::Status::IOError("Impossible de lire le fichier de configuration " + hostPath + " (" + s.message() + ")");
  host.LoadPrefixes(ini);
  return InitialiserAlias(ini, session, host);
}

void SignalerEchecDemarrage(const pdx::Status& s, Dialogs& dialogs) {
  if (s.ok()) return;
  if (s.IsNotFound())
    dialogs.Warning(s.message());
  else
    dialogs.Error(s.message());
}

}  // namespace corv

#include "data/impression.h"

#include "util/ini.h"

namespace corv {

std::string ModuleImpression(const Chemins& chemins, const HostPaths& host) {
  std::string p = chemins.RepertoireExe() + "Modules\\Impression\\Module_Impression.exe";
  if (host.FileExists(p)) return p;
  std::string sans = p.substr(0, p.size() - 4);
  if (host.FileExists(sans) && EstExecutableHote(host.ToHost(sans))) return sans;
  return "";
}

bool EcrireFichierEchange(pdx::Env* env, const std::string& fichierHote, const std::string& agence) {
  if (fichierHote.empty() || !env->FileExists(fichierHote)) return false;
  IniFile ini;
  if (!IniFile::Load(env, fichierHote, &ini).ok()) return false;
  ini.WriteString("Configuration", "Agence", agence);
  ini.WriteString("Configuration", "Utilisateur", "");
  ini.WriteBool("Droits", "Impression_Configuration", true);
  ini.WriteString("FichierXml", "Path", "");
  return ini.Save(env, fichierHote).ok();
}

ResultatImpression ConfigurerImpression(
    const Chemins& chemins, const HostPaths& host, Dialogs& dialogs, const std::string& agence,
    const std::string& systemTemp,
    const std::function<int(const std::string&, const std::vector<std::string>&)>& lanceur) {
  ResultatImpression r;
  r.module = ModuleImpression(chemins, host);
  r.echange = FichierTemporaire(chemins.exePath(), host, dialogs, systemTemp);
  // A file that cannot be written is not handed to the module.
  if (!r.echange.empty() && !EcrireFichierEchange(host.env(), r.echange, agence)) r.echange.clear();
  if (r.module.empty()) return r;
  r.lance = true;
  r.code = lanceur(host.ToHost(r.module), {r.echange, "CONFIGURATION"});
  if (r.code < 0) r.lance = false;
  return r;
}

}  // namespace corv

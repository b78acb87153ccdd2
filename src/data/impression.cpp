#include "data/impression.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "util/ini.h"

extern char** environ;

namespace corv {

std::string ModuleImpression(const Chemins& chemins, const HostPaths& host) {
  std::string p = chemins.RepertoireExe() + "Modules\\Impression\\Module_Impression.exe";
  if (host.FileExists(p)) return p;
  std::string sans = p.substr(0, p.size() - 4);
  if (host.FileExists(sans) && ::access(host.ToHost(sans).c_str(), X_OK) == 0) return sans;
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

int LancerEtAttendre(const std::string& programmeHote, const std::vector<std::string>& arguments) {
  if (programmeHote.empty()) return -1;
  std::vector<std::string> args;
  args.push_back(programmeHote);
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, programmeHote.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

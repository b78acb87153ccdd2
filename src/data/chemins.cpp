#include "data/chemins.h"

#include <chrono>
#include <cstdio>

#include "paradox/env.h"

namespace corv {

std::string Chemins::RepertoireExe() const { return WithTrailingBackslash(DirectoryOf(exePath_)); }

std::string Chemins::FichierIniBde() const { return RepertoireExe() + "qvrbde.ini"; }

std::string Chemins::RepertoireAdministration() const {
  return session_.Directory(kAliasAdministration).value_or("");
}

std::string Chemins::RepertoireDossiers() const { return session_.Directory(kAliasDossiers).value_or(""); }

std::string Chemins::FichierIniCorvanes() const {
  return WithTrailingBackslash(RepertoireAdministration()) + "Corvanes.ini";
}

std::string Chemins::FichierImportIni() const { return WithTrailingBackslash(RepertoireAdministration()) + "import.ini"; }

std::string Chemins::FichierGeneral() const { return WithTrailingBackslash(RepertoireAdministration()) + "General"; }

std::string Chemins::RepertoireDocuments() const {
  return WithTrailingBackslash(RepertoireAdministration()) + "Documents\\";
}

std::string Chemins::RepertoireDocumentsInterne() const { return RepertoireDocuments() + "Interne\\"; }
std::string Chemins::RepertoireDocumentsExterne() const { return RepertoireDocuments() + "Externe\\"; }
std::string Chemins::RepertoireDocumentsStandard() const { return RepertoireDocuments() + "Standard\\"; }

std::string Chemins::CheminModuleImpression() const {
  std::string p = RepertoireExe() + "Modules\\Impression\\Module_Impression.exe";
  return host_.FileExists(p) ? p : "";
}

std::string RepertoireTemporaireSysteme() { return pdx::SystemTempDir(); }

std::string FichierTemporaire(const std::string& exePath, const HostPaths& host, Dialogs& dialogs,
                              const std::string& systemTemp) {
  pdx::Env* env = host.env();
  std::string dir;
  if (!systemTemp.empty() && systemTemp.size() <= 260 && host.DirExists(systemTemp)) {
    dir = host.ToHost(systemTemp);
  } else {
    std::string temp = WithTrailingBackslash(DirectoryOf(exePath)) + "TEMP";
    dir = host.ToHost(temp);
    if (!env->DirExists(dir) && (!env->CreateDir(dir).ok() || !env->DirExists(dir))) {
      dialogs.Error("Erreur à la création du répertoire TEMP.");
      return "";
    }
  }
  if (!dir.empty() && dir.back() != '/') dir += "/";
  // Like the system call: a four-digit hexadecimal number, starting from the
  // clock and tried in turn until a free name is found.
  auto start = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (unsigned n = 0; n < 0x10000; ++n) {
    unsigned v = (start + n) & 0xFFFF;
    if (v == 0) continue;
    char name[16];
    std::snprintf(name, sizeof name, "kzt%04X.tmp", v);
    std::string path = dir + name;
    if (env->FileExists(path)) continue;
    std::unique_ptr<pdx::WritableFile> f;
    if (!env->NewWritableFile(path, &f).ok()) break;
    if (!f->Close().ok()) break;
    return path;
  }
  dialogs.Error("Impossible de créer le fichier tmp");
  return "";
}

std::string VersionProgramme() { return "4.2 Build 0.2 (L)"; }
std::string DateVersion() { return "10/11/2023"; }

std::string LigneDeListe(const std::vector<std::string>& lines, int index) {
  if (index < 0 || static_cast<size_t>(index) >= lines.size()) return "";
  return lines[static_cast<size_t>(index)];
}

}  // namespace corv

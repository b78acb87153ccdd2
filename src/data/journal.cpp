#include "data/journal.h"

#include <algorithm>
#include <ctime>

#include "util/text.h"

namespace corv {
namespace {

std::string Heure(std::chrono::system_clock::time_point t, const char* format) {
  std::time_t tt = std::chrono::system_clock::to_time_t(t);
  std::tm tm{};
  localtime_r(&tt, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

bool Chiffres(const std::string& s, size_t debut, size_t n) {
  for (size_t i = debut; i < debut + n; ++i)
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
  return true;
}

// "2026-12-09_04-05-35_<kind>.log", extension without regard to case: only
// such files are journals (anything else in the folder is left alone).
bool EstJournal(const std::string& n) {
  if (n.size() < 25) return false;
  std::string ext = n.substr(n.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".log" && Chiffres(n, 0, 4) && n[4] == '-' && Chiffres(n, 5, 2) && n[7] == '-' && Chiffres(n, 8, 2) &&
         n[10] == '_' && Chiffres(n, 11, 2) && n[13] == '-' && Chiffres(n, 14, 2) && n[16] == '-' &&
         Chiffres(n, 17, 2) && n[19] == '_';
}

// Kind in a file name: letters, digits, '-' and '_' only.
std::string NomSur(const std::string& sorte) {
  std::string s;
  for (char c : sorte) {
    bool sur = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    s += sur ? c : '_';
  }
  return s.empty() ? "traitement" : s;
}

}  // namespace

std::string TexteCp1252CrLf(const std::vector<std::string>& lignes, int* remplaces) {
  std::string texte;
  int total = 0;
  for (const auto& l : lignes) {
    int n = 0;
    std::string octets = Utf8ToCp1252Marked(l, &n);
    total += n;
    // Line breaks inside a line become CR LF too; a lone CR is dropped.
    for (char c : octets) {
      if (c == '\r') continue;
      if (c == '\n') texte += "\r\n";
      else texte += c;
    }
    texte += "\r\n";
  }
  if (remplaces) *remplaces = total;
  return texte;
}

pdx::Status EcrireFichierTexte(pdx::Env* env, const std::string& chemin, const std::vector<std::string>& lignes,
                               int* remplaces) {
  const std::string texte = TexteCp1252CrLf(lignes, remplaces);
  const std::string tmp = chemin + ".tmp";
  std::unique_ptr<pdx::WritableFile> f;
  pdx::Status s = env->NewWritableFile(tmp, &f);
  if (s.ok()) {
    s = f->Append(texte.data(), texte.size());
    pdx::Status c = f->Close();
    if (s.ok()) s = c;
    if (s.ok()) s = env->RenameFile(tmp, chemin);
    if (!s.ok()) env->RemoveFile(tmp).IgnoreError();  // best effort: the write's error is reported
  }
  if (!s.ok()) return pdx::Status::IOError("Écriture du fichier " + chemin + " impossible : " + s.message());
  return s;
}

std::string RepertoireJournaux(const std::string& fichierIniHote) {
  size_t p = fichierIniHote.find_last_of('/');
  std::string dir = p == std::string::npos ? "." : fichierIniHote.substr(0, p);
  if (dir.empty()) dir = "/";
  return pdx::JoinPath(dir, kRepertoireJournaux);
}

std::vector<std::string> LignesJournal(const JournalRun& j) {
  std::vector<std::string> l;
  l.push_back("Corvanes - Journal du traitement");
  l.push_back("Traitement : " + j.libelle + " (" + j.sorte + ")");
  l.push_back(std::string("Lancement : ") + (j.simulation ? "Simulation" : "Réel"));
  l.push_back("Début : " + Heure(j.debut, "%d/%m/%Y %H:%M:%S"));
  l.push_back("Fin : " + Heure(j.fin, "%d/%m/%Y %H:%M:%S"));
  l.push_back("Options :" + std::string(j.options.empty() ? " (aucune)" : ""));
  for (const auto& [libelle, valeur] : j.options) l.push_back("  " + libelle + " : " + valeur);
  l.push_back("Résultat : " + j.resultat);
  l.push_back("");
  l.push_back("Messages (" + std::to_string(j.messages.size()) + ") :");
  l.insert(l.end(), j.messages.begin(), j.messages.end());
  l.push_back("");
  l.push_back("Erreurs (" + std::to_string(j.erreurs.size()) + ") :");
  l.insert(l.end(), j.erreurs.begin(), j.erreurs.end());
  return l;
}

pdx::Status EcrireJournalRun(pdx::Env* env, const std::string& dir, const JournalRun& j, std::string* chemin) {
  if (!env->DirExists(dir)) {
    pdx::Status s = env->CreateDir(dir);
    if (!s.ok() && !env->DirExists(dir))
      return pdx::Status::IOError("Création du répertoire " + dir + " impossible : " + s.message());
  }
  const std::string base = Heure(j.debut, "%Y-%m-%d_%H-%M-%S") + "_" + NomSur(j.sorte);
  std::string nom = base + ".log";
  // Two runs of one kind started in the same second: the later one gets a suffix.
  for (int i = 2; env->FileExists(pdx::JoinPath(dir, nom)); ++i) nom = base + "_" + std::to_string(i) + ".log";
  const std::string path = pdx::JoinPath(dir, nom);

  std::vector<std::string> lignes = LignesJournal(j);
  // The markers are counted first, so the note can say how many there are.
  int remplaces = 0;
  TexteCp1252CrLf(lignes, &remplaces);
  if (remplaces > 0)
    lignes.push_back("Note : " + std::to_string(remplaces) +
                     " caractère(s) hors de la page de code 1252 écrit(s) sous la forme <U+code> (octet non UTF-8 : "
                     "<0xNN>).");
  PDX_RETURN_IF_ERROR(EcrireFichierTexte(env, path, lignes));
  if (chemin) *chemin = path;

  // Only the newest are kept; a journal that cannot be removed stays, and is
  // tried again after the next run.
  std::vector<std::string> noms, journaux;
  if (env->GetChildren(dir, &noms).ok()) {
    for (const auto& n : noms)
      if (EstJournal(n)) journaux.push_back(n);
    std::sort(journaux.begin(), journaux.end());
    for (size_t i = 0; i + kJournauxConserves < journaux.size(); ++i)
      env->RemoveFile(pdx::JoinPath(dir, journaux[i])).IgnoreError();
  }
  return pdx::Status::OK();
}

std::string LigneJournal(const JournalEcrit& j) {
  if (!j.erreur.empty()) return "Journal du traitement non écrit : " + j.erreur;
  return "Journal du traitement : " + pdx::DisplayPath(j.chemin);
}

}  // namespace corv

#include "stats/export.h"

#include <ctime>
#include <random>

#include "stats/classeur.h"
#include "util/text.h"
#include "util/status_text.h"

namespace corv {
namespace {

void Champs(const std::vector<std::string>& cellules, std::string* out) {
  for (const std::string& c : cellules) {
    out->append(c);
    out->push_back(';');
  }
}

}  // namespace

std::string TexteExport(const ListeStat& liste, bool details, const std::function<void(int, int)>& progres) {
  details = details && !liste.colonnesDetail.empty();
  std::string t;
  if (!liste.colonnes.empty()) t += liste.colonnes[0] + ";";
  if (details) t += liste.colonnesDetail[0] + ";";
  for (size_t c = 1; c < liste.colonnes.size(); ++c) t += liste.colonnes[c] + ";";
  t += "\n";
  const int n = static_cast<int>(liste.lignes.size());
  for (size_t i = 0; i < liste.lignes.size(); ++i) {
    const LigneStat& l = liste.lignes[i];
    t += l.libelle + ";";
    if (details) t += ";";
    Champs(l.cellules, &t);
    t += "\n";
    if (details)
      for (const LigneStat& d : liste.Details(i)) {
        t += ";" + d.libelle + ";";
        Champs(d.cellules, &t);
        t += "\n";
      }
    if (progres) progres(static_cast<int>(i) + 1, n);
  }
  return t;
}

std::string NomFichierExport(const std::string& choisi) {
  // The rule looks at the file name only: a dot in a directory name above it
  // does not count as an extension.
  const size_t sep = choisi.find_last_of("/\\");
  const std::string nom = sep == std::string::npos ? choisi : choisi.substr(sep + 1);
  if (nom.size() >= 4 && nom[nom.size() - 4] == '.') return choisi;
  return choisi + ".csv";
}

pdx::Status EcrireFichierExport(pdx::Env* env, const std::string& path, const std::string& texte) {
  std::string octets;
  octets.reserve(texte.size() + texte.size() / 16);
  size_t debut = 0;
  while (debut <= texte.size()) {
    size_t fin = texte.find('\n', debut);
    const bool derniere = fin == std::string::npos;
    if (derniere) fin = texte.size();
    std::string ligne;
    if (!Utf8ToCp1252(std::string_view(texte).substr(debut, fin - debut), &ligne))
      return pdx::Status::InvalidArgument(path + " : le texte \"" + texte.substr(debut, fin - debut) +
                                          "\" contient un caractère que le code page 1252 ne peut pas enregistrer");
    octets += ligne;
    if (derniere) break;
    octets += "\r\n";
    debut = fin + 1;
  }
  const std::string temp = path + ".tmp" + std::to_string(std::random_device{}()) + "-" + std::to_string(std::time(nullptr));
  std::unique_ptr<pdx::WritableFile> f;
  pdx::Status s = env->NewWritableFile(temp, &f);
  if (s.ok()) s = f->Append(octets.data(), octets.size());
  if (s.ok()) s = f->Flush();
  if (s.ok()) s = f->Sync();
  if (f) {
    pdx::Status c = f->Close();
    if (s.ok()) s = c;
  }
  if (s.ok()) s = env->RenameFile(temp, path);
  if (!s.ok()) {
    env->RemoveFile(temp).IgnoreError();  // best effort: the failure above is what matters
    return s;
  }
  return pdx::Status::OK();
}

std::string QuestionDetail(Calcul calcul) {
  return calcul == Calcul::kFournisseurs
             ? "Voulez-vous exporter le détail des achats/ventes de chaque fournisseur ?"
             : "Voulez-vous exporter le détail des achats/ventes de chaque agence ?";
}

std::string RepertoireExportInitial() {
  std::string profil = pdx::EnvironmentVariable("USERPROFILE");
  if (profil.empty()) profil = pdx::EnvironmentVariable("HOME");
  return profil + "/Desktop";
}

IssueExport ExporterListe(pdx::Env* env, Dialogs& dialogs, const ListeStat& liste, bool details,
                          const std::function<void(int, int)>& progres) {
  if (progres) progres(0, static_cast<int>(liste.lignes.size()));
  if (liste.lignes.empty()) return IssueExport::kRien;
  std::string choisi = RepertoireExportInitial();
  if (!dialogs.ChooseFile("Exporter", ClasseurDisponible() ? kFiltreExport : kFiltreExportTexte, true, &choisi))
    return IssueExport::kRien;
  // The workbook's extension chooses it; any other name keeps the text file's rule.
  const bool classeur = EstNomClasseur(choisi);
  const std::string chemin = classeur ? choisi : NomFichierExport(choisi);
  if (env->FileExists(chemin) &&
      !dialogs.Question("Attention, le fichier sélectionné existe déjà, voulez-vous le remplacer ?", "Fichier existant"))
    return IssueExport::kRien;
  pdx::Status s = classeur ? EcrireClasseur(env, chemin, liste, details, progres)
                           : EcrireFichierExport(env, chemin, TexteExport(liste, details, progres));
  if (!s.ok()) {
    dialogs.Error(std::string(kMessageErreurExport) + "\n" + FrenchText(s), "Erreur Export");
    return IssueExport::kErreur;
  }
  return IssueExport::kFait;
}

}  // namespace corv

#include "agency/edition_agence.h"

#include "util/text.h"

namespace corv {
namespace {
std::string Cellule(const std::string& s) {
  if (s.find_first_of(";\"\r\n") == std::string::npos) return s;
  std::string r = "\"";
  for (char c : s) {
    if (c == '"') r += '"';
    r += c;
  }
  return r + "\"";
}
}  // namespace

std::string CsvEdition(const std::string& titre, const std::vector<LigneEdition>& lignes) {
  std::string r = Cellule(titre) + "\r\nAgences;Fournisseurs\r\n";
  for (const LigneEdition& l : lignes) r += Cellule(l.agence) + ";" + Cellule(l.fournisseur) + "\r\n";
  return r;
}

pdx::Status EcrireFichier1252(pdx::Env* env, const std::string& cheminHote, const std::string& texteUtf8) {
  std::string bytes;
  if (!Utf8ToCp1252(texteUtf8, &bytes)) {
    // Name the first line that cannot be written.
    size_t debut = 0;
    int numero = 1;
    while (debut <= texteUtf8.size()) {
      size_t fin = texteUtf8.find('\n', debut);
      std::string ligne = texteUtf8.substr(debut, fin == std::string::npos ? std::string::npos : fin - debut);
      std::string tmp;
      if (!Utf8ToCp1252(ligne, &tmp))
        return pdx::Status::InvalidArgument(cheminHote + " : la ligne " + std::to_string(numero) +
                                            " contient un caractère que le code page 1252 ne peut pas enregistrer");
      if (fin == std::string::npos) break;
      debut = fin + 1;
      ++numero;
    }
    return pdx::Status::InvalidArgument(cheminHote + " : texte non valide pour le code page 1252");
  }
  std::string tmp = cheminHote + ".tmp";
  std::unique_ptr<pdx::WritableFile> f;
  PDX_RETURN_IF_ERROR(env->NewWritableFile(tmp, &f));
  pdx::Status s = f->Append(bytes.data(), bytes.size());
  if (s.ok()) s = f->Close();
  if (!s.ok()) {
    env->RemoveFile(tmp).IgnoreError();  // best effort: the write's own error is the one to report
    return s;
  }
  s = env->RenameFile(tmp, cheminHote);
  if (!s.ok()) env->RemoveFile(tmp).IgnoreError();  // best effort, as above
  return s;
}

}  // namespace corv

#include "transfer/copie_document.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace corv {

bool LienDansRepertoire(const std::string& lien) {
  if (lien.empty()) return false;
  if (lien.find_first_of("\\/:") != std::string::npos) return false;
  return lien.find_first_not_of(". ") != std::string::npos;
}

std::string NomCopieTemporaire(const std::string& nom) { return "." + nom + ".cvcopie"; }

pdx::Status CopierDocument(pdx::Env* env, const std::string& repSource, const std::string& repCible,
                           const std::string& nom, ResultatCopie* resultat) {
  if (!LienDansRepertoire(nom)) return pdx::Status::InvalidArgument(nom + " : n'est pas un simple nom de fichier");
  std::string source, existant;
  pdx::Status s = pdx::FindFileNoCase(env, repSource, nom, &source);
  if (s.IsNotFound() || (s.ok() && !env->FileExists(source))) {
    *resultat = ResultatCopie::kSourceAbsente;
    return pdx::Status::OK();
  }
  PDX_RETURN_IF_ERROR(s);
  s = pdx::FindFileNoCase(env, repCible, nom, &existant);
  if (s.ok()) {
    *resultat = ResultatCopie::kDejaPresente;
    return pdx::Status::OK();
  }
  if (!s.IsNotFound()) return s;

  const std::string cible = pdx::JoinPath(repCible, nom);
  const std::string temporaire = pdx::JoinPath(repCible, NomCopieTemporaire(nom));
  auto echec = [&](const pdx::Status& e) {
    env->RemoveFile(temporaire).IgnoreError();  // best effort: e is what the caller reports
    return e;
  };
  std::unique_ptr<pdx::RandomAccessFile> in;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(source, &in));
  std::unique_ptr<pdx::WritableFile> out;
  PDX_RETURN_IF_ERROR(env->NewWritableFile(temporaire, &out));
  const uint64_t taille = in->Size();
  std::vector<char> tampon(1 << 20);
  for (uint64_t pos = 0; pos < taille;) {
    size_t lu = 0;
    size_t n = static_cast<size_t>(std::min<uint64_t>(tampon.size(), taille - pos));
    s = in->Read(pos, n, tampon.data(), &lu);
    if (s.ok() && lu == 0) s = pdx::Status::IOError(source + " : fichier plus court que sa taille");
    if (s.ok()) s = out->Append(tampon.data(), lu);
    if (!s.ok()) return echec(s);
    pos += lu;
  }
  s = out->Sync();
  if (s.ok()) s = out->Close();
  out.reset();
  if (!s.ok()) return echec(s);
  // Checked again just before the rename: a file that appeared meanwhile is kept.
  if (pdx::FindFileNoCase(env, repCible, nom, &existant).ok()) {
    env->RemoveFile(temporaire).IgnoreError();  // best effort: the existing file is kept either way
    *resultat = ResultatCopie::kDejaPresente;
    return pdx::Status::OK();
  }
  s = env->RenameFile(temporaire, cible);
  if (!s.ok()) return echec(s);
  // The document is in place; a failed directory sync only weakens its
  // durability across a power cut, which the next run's copy repairs.
  env->SyncDir(repCible).IgnoreError();
  *resultat = ResultatCopie::kCopie;
  return pdx::Status::OK();
}

}  // namespace corv

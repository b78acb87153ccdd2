#include "catalogue/codes_article.h"

#include <map>
#include <memory>

#include "data/dm.h"
#include "data/fonctions_bd.h"
#include "paradox/env.h"
#include "paradox/writer.h"
#include "util/dialogs.h"
#include "util/text.h"
#include "util/winpath.h"

namespace corv {

namespace {

using FT = pdx::FieldType;
constexpr const char* kComposant = "tblCodeArticle";

bool Entier(const std::string& t, long long* v) {
  size_t i = 0;
  bool negatif = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negatif = t[i++] == '-';
  if (i == t.size() || t.size() - i > 9) return false;
  long long n = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    n = n * 10 + (t[i] - '0');
  }
  *v = negatif ? -n : n;
  return true;
}

// Valid UTF-8 holding at least one multi-byte character: accented text in code
// page 1252 is practically never that.
bool EstUtf8(const std::string& octets) {
  bool large = false;
  for (char c : octets) large = large || static_cast<unsigned char>(c) >= 0x80;
  return large && IsValidUtf8(octets);
}

std::string Guillemets(const std::string& s) { return "« " + s + " »"; }

pdx::Status LireFichier(pdx::Env* env, const std::string& chemin, std::string* octets) {
  std::unique_ptr<pdx::RandomAccessFile> f;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(chemin, &f));
  octets->assign(f->Size(), '\0');
  size_t lus = 0;
  PDX_RETURN_IF_ERROR(f->Read(0, octets->size(), octets->data(), &lus));
  octets->resize(lus);
  return pdx::Status::OK();
}

// Written beside the final name, then renamed over it: a failed write leaves
// the previous file whole.
pdx::Status EcrireFichier(pdx::Env* env, const std::string& chemin, const std::string& octets) {
  std::string tmp = chemin + ".tmp";
  std::unique_ptr<pdx::WritableFile> f;
  PDX_RETURN_IF_ERROR(env->NewWritableFile(tmp, &f));
  pdx::Status s = f->Append(octets.data(), octets.size());
  if (s.ok()) s = f->Sync();
  pdx::Status c = f->Close();
  if (s.ok()) s = c;
  if (s.ok()) s = env->RenameFile(tmp, chemin);
  if (!s.ok()) env->RemoveFile(tmp).IgnoreError();  // best effort: the write's error is reported
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Semicolon-separated text

std::string LigneCsv(const std::vector<std::string>& valeurs) {
  std::string out;
  for (size_t i = 0; i < valeurs.size(); ++i) {
    if (i) out += ';';
    const std::string& v = valeurs[i];
    if (v.find_first_of(";\"\r\n") == std::string::npos) {
      out += v;
      continue;
    }
    out += '"';
    for (char c : v) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

bool LireCsv(const std::string& texte, std::vector<std::vector<std::string>>* enregistrements,
             std::vector<size_t>* lignes, std::string* erreur) {
  enregistrements->clear();
  lignes->clear();
  std::vector<std::string> champs;
  std::string champ;
  bool guillemets = false;   // inside a quoted value
  bool entame = false;       // the record has a character or a separator
  size_t ligne = 1, debut = 1, ouverture = 0;
  auto finir = [&] {
    if (entame) {
      champs.push_back(champ);
      enregistrements->push_back(std::move(champs));
      lignes->push_back(debut);
    }
    champs.clear();
    champ.clear();
    entame = false;
  };
  for (size_t i = 0; i < texte.size(); ++i) {
    char c = texte[i];
    if (guillemets) {
      if (c == '"') {
        if (i + 1 < texte.size() && texte[i + 1] == '"') {
          champ += '"';
          ++i;
        } else {
          guillemets = false;
        }
      } else {
        if (c == '\n') ++ligne;
        champ += c;
      }
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < texte.size() && texte[i + 1] == '\n') ++i;
      finir();
      debut = ++ligne;
      continue;
    }
    if (!entame) debut = ligne;
    entame = true;
    if (c == ';') {
      champs.push_back(std::move(champ));
      champ.clear();
    } else if (c == '"' && champ.empty()) {
      guillemets = true;
      ouverture = ligne;
    } else {
      champ += c;
    }
  }
  if (guillemets) {
    *erreur = "ligne " + std::to_string(ouverture) + " : guillemet ouvrant sans guillemet fermant";
    return false;
  }
  finir();
  return true;
}

// ---------------------------------------------------------------------------
// CodesArticle

CodesArticle::CodesArticle(TDM& dm, HostPaths& host, Dialogs& dialogs) : dm_(dm), host_(host), dialogs_(dialogs) {}

CodesArticle::~CodesArticle() { Fermer(); }

Composant& CodesArticle::table() { return dm_[kComposant]; }

bool CodesArticle::Ouvrir() {
  if (ouvert_) return true;
  Composant& t = table();
  etaitActif_ = t.Actif();
  etaitLectureSeule_ = t.LectureSeule();
  t.DefinirLectureSeule(false);
  if (!OuvrirTable(t, dialogs_).ok()) {
    t.DefinirLectureSeule(etaitLectureSeule_);
    return false;
  }
  champs_.clear();
  for (int i = 1; i <= t.NombreChamps(); ++i) champs_.push_back(t.Champ(i));
  if (t.table()->info().keyFieldCount != static_cast<int>(kChampsCleCodeArticle)) {
    dialogs_.Error("La table " + t.Fichier() + " n'a pas la clé attendue (Fournisseur, Groupe, Famille, Modele, Tarif).");
    if (!etaitActif_) t.Fermer().IgnoreError();  // nothing was changed: nothing to write
    t.DefinirLectureSeule(etaitLectureSeule_);
    return false;
  }
  ouvert_ = true;
  pdx::Status s = Relire();
  if (!s.ok()) {
    Echec("Impossible de lire la table " + t.Fichier(), s);
    Fermer();
    return false;
  }
  return true;
}

void CodesArticle::Fermer() {
  if (!ouvert_) return;
  ouvert_ = false;
  Composant& t = table();
  pdx::Status s = t.Fermer();
  if (!s.ok()) Echec("Impossible d'enregistrer la table " + t.Fichier(), s);
  t.DefinirLectureSeule(etaitLectureSeule_);
  // Handed back open as it was found; should that fail, the next user opens it.
  if (etaitActif_) t.Ouvrir().IgnoreError();
}

pdx::Status CodesArticle::Relire() {
  lignes_.clear();
  Composant& t = table();
  pdx::Status s = t.Premier();
  for (; s.ok() && !t.Fin(); s = t.Suivant()) {
    LigneCodeArticle l(champs_.size());
    for (size_t i = 0; i < champs_.size(); ++i) {
      pdx::Value v;
      PDX_RETURN_IF_ERROR(t.Valeur(static_cast<int>(i + 1), &v));
      l[i] = TexteValeur(v, champs_[i].type);
    }
    lignes_.push_back(std::move(l));
  }
  return s;
}

std::string CodesArticle::TexteCle(const LigneCodeArticle& ligne) const {
  std::string out;
  for (size_t i = 0; i < kChampsCleCodeArticle && i < champs_.size(); ++i) {
    if (i) out += ", ";
    out += champs_[i].name + " " + (i < ligne.size() ? ligne[i] : std::string());
  }
  return out;
}

std::string CodesArticle::VerifierValeur(size_t champ, const std::string& brut) const {
  if (champ >= champs_.size()) return "champ inconnu";
  const pdx::FieldDesc& f = champs_[champ];
  bool cle = champ < kChampsCleCodeArticle;
  std::string texte = cle ? Trim(brut) : brut;
  if (cle && champ == 0 && texte.empty()) return "est obligatoire";
  switch (f.type) {
    case FT::kAlpha: case FT::kMemo: case FT::kFmtMemo: {
      std::string octets;
      if (!Utf8ToCp1252(texte, &octets))
        return "contient un caractère que le code page 1252 ne peut pas représenter (" + Guillemets(texte) + ")";
      if (f.type == FT::kAlpha && octets.size() > f.size)
        return "ne peut pas dépasser " + std::to_string(f.size) + " caractère" + (f.size > 1 ? "s" : "") + " (" +
               Guillemets(texte) + ")";
      return "";
    }
    case FT::kShort: {
      std::string t = Trim(texte);
      if (t.empty()) return cle ? "est obligatoire" : "";
      long long v = 0;
      if (!Entier(t, &v) || v < -32767 || v > 32767)
        return "attend un nombre entier entre -32767 et 32767 (" + Guillemets(texte) + ")";
      return "";
    }
    default: {
      pdx::Value v;
      if (!ValeurDepuisTexte(texte, f.type, &v).ok()) return "n'accepte pas la valeur " + Guillemets(texte);
      return "";
    }
  }
}

std::string CodesArticle::Normaliser(LigneCodeArticle* ligne) const {
  ligne->resize(champs_.size());
  for (size_t i = 0; i < champs_.size(); ++i) {
    std::string& v = (*ligne)[i];
    std::string pourquoi = VerifierValeur(i, v);
    if (!pourquoi.empty()) return "Le champ " + Guillemets(champs_[i].name) + " " + pourquoi + ".";
    if (i < kChampsCleCodeArticle) v = Trim(v);
    long long n = 0;
    if (champs_[i].type == FT::kShort && Entier(Trim(v), &n)) v = std::to_string(n);
  }
  return "";
}

pdx::Status CodesArticle::Valeurs(const LigneCodeArticle& ligne, std::vector<pdx::Value>* out) const {
  out->assign(champs_.size(), pdx::Value{});
  for (size_t i = 0; i < champs_.size(); ++i) {
    const std::string& t = i < ligne.size() ? ligne[i] : std::string();
    if (i < kChampsCleCodeArticle && champs_[i].type == FT::kAlpha) {
      (*out)[i] = pdx::Value::Text(t);  // an empty key text is a value like any other
      continue;
    }
    PDX_RETURN_IF_ERROR(ValeurDepuisTexte(t, champs_[i].type, &(*out)[i]));
  }
  return pdx::Status::OK();
}

std::vector<pdx::Value> CodesArticle::Cle(const LigneCodeArticle& ligne) const {
  std::vector<pdx::Value> v;
  Valeurs(ligne, &v).IgnoreError();  // key fields: checked when the line was accepted
  v.resize(kChampsCleCodeArticle);
  return v;
}

int CodesArticle::Trouver(const LigneCodeArticle& ligne) const {
  for (size_t i = 0; i < lignes_.size(); ++i) {
    bool meme = true;
    for (size_t k = 0; meme && k < kChampsCleCodeArticle; ++k)
      meme = k < ligne.size() && lignes_[i][k] == ligne[k];
    if (meme) return static_cast<int>(i);
  }
  return -1;
}

void CodesArticle::Echec(const std::string& quoi, const pdx::Status& s) {
  if (s.IsBusy())
    dialogs_.Error(quoi + " :\nEnregistrement utilisé par un autre utilisateur");
  else
    dialogs_.Error(quoi + " :\n" + s.message());
}

int CodesArticle::Ajouter(LigneCodeArticle ligne) {
  if (!ouvert_) return -1;
  const std::string titre = "Impossible d'ajouter le code article";
  std::string pourquoi = Normaliser(&ligne);
  if (!pourquoi.empty()) {
    dialogs_.Error(titre + " :\n" + pourquoi);
    return -1;
  }
  Composant& t = table();
  pdx::TableWriter* w = nullptr;
  pdx::Status s = t.Ecrivain(&w);
  pdx::RowId row = 0;
  if (s.ok()) {
    pdx::Status f = w->Find(Cle(ligne), &row);
    if (f.ok()) {
      dialogs_.Error(titre + " :\nUn code article existe déjà pour cette clé (" + TexteCle(ligne) + ").");
      return -1;
    }
    if (!f.IsNotFound()) s = f;
  }
  std::vector<pdx::Value> v;
  if (s.ok()) s = Valeurs(ligne, &v);
  if (s.ok()) s = t.Inserer();
  for (size_t i = 0; s.ok() && i < v.size(); ++i) s = t.FixerValeur(static_cast<int>(i + 1), v[i]);
  if (s.ok()) s = t.Valider();
  if (s.ok()) s = t.Enregistrer();
  if (!s.ok()) {
    t.Annuler();
    Echec(titre, s);
    return -1;
  }
  s = Relire();
  if (!s.ok()) Echec("Impossible de relire la table " + t.Fichier(), s);
  return Trouver(ligne);
}

int CodesArticle::Modifier(size_t index, LigneCodeArticle ligne) {
  if (!ouvert_ || index >= lignes_.size()) return -1;
  const std::string titre = "Impossible de modifier le code article";
  std::string pourquoi = Normaliser(&ligne);
  if (!pourquoi.empty()) {
    dialogs_.Error(titre + " :\n" + pourquoi);
    return -1;
  }
  const LigneCodeArticle ancienne = lignes_[index];
  Composant& t = table();
  pdx::Status s;
  bool cleChangee = false;
  for (size_t k = 0; k < kChampsCleCodeArticle; ++k) cleChangee = cleChangee || ancienne[k] != ligne[k];
  if (cleChangee) {
    pdx::TableWriter* w = nullptr;
    s = t.Ecrivain(&w);
    pdx::RowId row = 0;
    if (s.ok()) {
      pdx::Status f = w->Find(Cle(ligne), &row);
      if (f.ok()) {
        dialogs_.Error(titre + " :\nUn code article existe déjà pour cette clé (" + TexteCle(ligne) + ").");
        return -1;
      }
      if (!f.IsNotFound()) s = f;
    }
  }
  bool trouve = false;
  if (s.ok()) s = ChercherParCle(t, dialogs_, Cle(ancienne), &trouve);
  if (s.ok() && !trouve) {
    dialogs_.Error(titre + " :\nIl n'est plus dans la table (" + TexteCle(ancienne) + ").");
    Relire().IgnoreError();  // the refusal above is what the user needs; a failed re-read keeps the list
    return -1;
  }
  std::vector<pdx::Value> v;
  if (s.ok()) s = Valeurs(ligne, &v);
  if (s.ok()) s = t.Editer();
  for (size_t i = 0; s.ok() && i < v.size(); ++i) s = t.FixerValeur(static_cast<int>(i + 1), v[i]);
  if (s.ok()) s = t.Valider();
  if (s.ok()) s = t.Enregistrer();
  if (!s.ok()) {
    t.Annuler();
    Echec(titre, s);
    return -1;
  }
  s = Relire();
  if (!s.ok()) Echec("Impossible de relire la table " + t.Fichier(), s);
  return Trouver(ligne);
}

bool CodesArticle::Supprimer(size_t index) {
  if (!ouvert_ || index >= lignes_.size()) return false;
  const LigneCodeArticle ligne = lignes_[index];
  if (!dialogs_.Question("Voulez-vous supprimer le code article " + TexteCle(ligne) + " ?")) return false;
  Composant& t = table();
  bool supprime = false;
  pdx::Status s = SupprimerParCle(t, Cle(ligne), &supprime);
  if (s.ok()) s = t.Enregistrer();
  if (!s.ok()) {
    Echec("Impossible de supprimer le code article", s);
    return false;
  }
  s = Relire();
  if (!s.ok()) Echec("Impossible de relire la table " + t.Fichier(), s);
  return supprime;
}

bool CodesArticle::Exporter(const std::string& repertoire) {
  if (!ouvert_) return false;
  const std::string titre = "Exportation impossible";
  pdx::Env* env = host_.env();
  std::string dir = host_.ToHost(repertoire);
  if (dir.empty() || !env->DirExists(dir)) {
    dialogs_.Error(titre + " :\nLe répertoire " + Guillemets(repertoire) + " n'existe pas.");
    return false;
  }
  std::vector<std::string> noms;
  for (const auto& f : champs_) noms.push_back(f.name);
  std::string texte = LigneCsv(noms) + "\r\n";
  for (const auto& l : lignes_) texte += LigneCsv(l) + "\r\n";
  std::string octets;
  if (!Utf8ToCp1252(texte, &octets)) {
    dialogs_.Error(titre + " :\nUne valeur contient un caractère que le code page 1252 ne peut pas représenter.");
    return false;
  }
  std::string chemin = pdx::JoinPath(dir, kFichierExportCodeArticle);
  pdx::Status s = EcrireFichier(env, chemin, octets);
  if (!s.ok()) {
    Echec(titre + " (" + chemin + ")", s);
    return false;
  }
  dialogs_.Information("Exportation terminée : " + std::to_string(lignes_.size()) + " code" +
                       (lignes_.size() > 1 ? "s" : "") + " article écrit" + (lignes_.size() > 1 ? "s" : "") +
                       " dans " + Guillemets(chemin) + ".");
  return true;
}

bool CodesArticle::Importer(const std::string& repertoire, BilanImportCodes* bilanSortie) {
  if (!ouvert_) return false;
  const std::string titre = "Importation annulée, la table des codes article est inchangée";
  pdx::Env* env = host_.env();
  std::string dir = host_.ToHost(repertoire);
  std::string chemin;
  if (dir.empty() || !pdx::FindFileNoCase(env, dir, kFichierImportCodeArticle, &chemin).ok()) {
    dialogs_.Error(titre + " :\nLe fichier " + Guillemets(kFichierImportCodeArticle) + " est introuvable dans " +
                   Guillemets(repertoire) + ".");
    return false;
  }
  const std::string nomFichier = Guillemets(kFichierImportCodeArticle);
  auto refuser = [&](const std::string& pourquoi) {
    dialogs_.Error(titre + " :\n" + pourquoi);
    return false;
  };
  std::string octets;
  pdx::Status s = LireFichier(env, chemin, &octets);
  if (!s.ok()) {
    Echec(titre + " (" + chemin + ")", s);
    return false;
  }
  std::string texte;
  if (octets.rfind("\xEF\xBB\xBF", 0) == 0) {
    texte = octets.substr(3);
    if (!IsValidUtf8(texte)) return refuser("Le fichier " + nomFichier + " commence comme un texte UTF-8 mais n'en est pas un.");
  } else if (EstUtf8(octets)) {
    // Saved as UTF-8 without the mark: read as code page 1252 every accent
    // would turn into two wrong letters, silently.
    texte = octets;
  } else {
    texte = Cp1252ToUtf8(octets);
  }
  std::vector<std::vector<std::string>> enr;
  std::vector<size_t> numeros;
  std::string erreur;
  if (!LireCsv(texte, &enr, &numeros, &erreur)) return refuser("Fichier " + nomFichier + ", " + erreur + ".");
  if (enr.empty()) return refuser("Le fichier " + nomFichier + " est vide.");

  // Line 1: the columns.
  std::vector<size_t> colonnes;
  std::vector<bool> vus(champs_.size(), false);
  for (size_t c = 0; c < enr[0].size(); ++c) {
    std::string nom = Trim(enr[0][c]);
    size_t k = 0;
    while (k < champs_.size() && !EqualsNoCase(champs_[k].name, nom)) ++k;
    std::string ici = "Ligne " + std::to_string(numeros[0]) + ", colonne " + std::to_string(c + 1) + " : ";
    if (k == champs_.size())
      return refuser(ici + "le champ " + Guillemets(nom) + " n'existe pas dans la table " + table().Fichier() + ".");
    if (vus[k]) return refuser(ici + "le champ " + Guillemets(champs_[k].name) + " apparaît deux fois.");
    vus[k] = true;
    colonnes.push_back(k);
  }
  for (size_t k = 0; k < kChampsCleCodeArticle; ++k)
    if (!vus[k])
      return refuser("Ligne " + std::to_string(numeros[0]) + " : le champ clé " + Guillemets(champs_[k].name) +
                     " manque.");

  // Every line checked before anything is written.
  std::vector<LigneCodeArticle> nouvelles;
  std::map<std::vector<std::string>, size_t> cles;  // key texts -> line
  for (size_t r = 1; r < enr.size(); ++r) {
    const std::string ici = "Ligne " + std::to_string(numeros[r]);
    if (enr[r].size() != colonnes.size())
      return refuser(ici + " : " + std::to_string(enr[r].size()) + " valeur" + (enr[r].size() > 1 ? "s" : "") +
                     " au lieu de " + std::to_string(colonnes.size()) + ".");
    LigneCodeArticle l(champs_.size());
    std::vector<bool> donne(champs_.size(), false);
    for (size_t c = 0; c < colonnes.size(); ++c) {
      size_t k = colonnes[c];
      std::string pourquoi = VerifierValeur(k, enr[r][c]);
      if (!pourquoi.empty()) return refuser(ici + ", champ " + Guillemets(champs_[k].name) + " : " + pourquoi + ".");
      l[k] = enr[r][c];
      donne[k] = true;
    }
    Normaliser(&l);  // every given value is valid: only trims and writes integers plainly
    std::vector<std::string> cle(l.begin(), l.begin() + kChampsCleCodeArticle);
    auto [it, nouveau] = cles.emplace(cle, numeros[r]);
    if (!nouveau)
      return refuser(ici + " : même clé que la ligne " + std::to_string(it->second) + " (" + TexteCle(l) + ").");
    // Fields the file does not give keep the row's value.
    int existante = Trouver(l);
    if (existante >= 0)
      for (size_t k = 0; k < champs_.size(); ++k)
        if (!donne[k]) l[k] = lignes_[static_cast<size_t>(existante)][k];
    nouvelles.push_back(std::move(l));
  }

  // One write for the whole file, dropped on any failure.
  WaitCursor attente(dialogs_);
  Composant& t = table();
  s = t.Fermer();
  BilanImportCodes bilan;
  if (s.ok()) {
    std::unique_ptr<pdx::TableWriter> w;
    s = pdx::TableWriter::Open(env, t.RepertoireHote(), t.Fichier(), {}, &w);
    for (size_t i = 0; s.ok() && i < nouvelles.size(); ++i) {
      std::vector<pdx::Value> v;
      s = Valeurs(nouvelles[i], &v);
      if (!s.ok()) break;
      pdx::RowId row = 0;
      pdx::Status f = w->Find(std::vector<pdx::Value>(v.begin(), v.begin() + kChampsCleCodeArticle), &row);
      if (f.ok()) {
        s = w->Update(row, v);
        ++bilan.remplaces;
      } else if (f.IsNotFound()) {
        s = w->Insert(v);
        ++bilan.ajoutes;
      } else {
        s = f;
      }
    }
    if (s.ok()) s = w->Close();
    // A writer that dies unclosed drops its changes: the table stays as it was.
  }
  pdx::Status r = t.Ouvrir();
  if (r.ok()) r = Relire();
  if (!s.ok()) {
    Echec(titre, s);
    return false;
  }
  if (!r.ok()) Echec("Impossible de relire la table " + t.Fichier(), r);
  if (bilanSortie) *bilanSortie = bilan;
  dialogs_.Information("Importation terminée : " + std::to_string(bilan.remplaces) + " code" +
                       (bilan.remplaces > 1 ? "s" : "") + " article remplacé" + (bilan.remplaces > 1 ? "s" : "") +
                       ", " + std::to_string(bilan.ajoutes) + " ajouté" + (bilan.ajoutes > 1 ? "s" : "") + ".");
  return true;
}

}  // namespace corv

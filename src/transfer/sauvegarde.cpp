#include "transfer/sauvegarde.h"

#include <algorithm>
#include <system_error>

#include "paradox/commit.h"
#include "paradox/table_lock.h"
#include "data/chemins.h"
#include "util/ini.h"

namespace corv {
namespace {

constexpr size_t kMorceau = 1u << 20;  // copy by pieces: tables can be large
constexpr const char* kSectionRun = "Sauvegarde";
constexpr const char* kSectionAgence = "Agence";
constexpr char kSeparateur = '|';      // Windows forbids it in file names

std::string Majuscules(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool CommencePar(const std::string& s, const std::string& prefixe) {
  return s.size() >= prefixe.size() && Majuscules(s.substr(0, prefixe.size())) == Majuscules(prefixe);
}

std::string Radical(const std::string& fichier) {
  size_t p = fichier.rfind('.');
  return p == std::string::npos ? fichier : fichier.substr(0, p);
}

std::string AvecExtensionDB(const std::string& fichier) {
  return fichier.find('.') == std::string::npos ? fichier + ".DB" : fichier;
}

std::string Joindre(const std::vector<std::string>& v) {
  std::string s;
  for (const auto& x : v) {
    if (!s.empty()) s += kSeparateur;
    s += x;
  }
  return s;
}

std::vector<std::string> Separer(const std::string& s) {
  std::vector<std::string> v;
  size_t debut = 0;
  while (debut < s.size()) {
    size_t p = s.find(kSeparateur, debut);
    if (p == std::string::npos) p = s.size();
    if (p > debut) v.push_back(s.substr(debut, p - debut));
    debut = p + 1;
  }
  return v;
}

// A folder name made of the agency code: only letters, digits, '-' and '_'.
std::string NomDeDossier(const std::string& code) {
  std::string s;
  for (char c : code) {
    bool sur = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    s += sur ? c : '_';
  }
  return s.empty() ? "_" : s;
}

std::string Horodatage(std::time_t t, const char* format) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

// Copies from into an open file, by pieces.
pdx::Status CopierDans(pdx::Env* env, const std::string& from, pdx::WritableFile* to) {
  std::unique_ptr<pdx::RandomAccessFile> f;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(from, &f));
  std::string buf(std::min<uint64_t>(kMorceau, f->Size()), '\0');
  uint64_t taille = f->Size();
  for (uint64_t pos = 0; pos < taille;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(buf.size(), taille - pos));
    size_t lu = 0;
    PDX_RETURN_IF_ERROR(f->Read(pos, n, buf.data(), &lu));
    if (lu != n) return pdx::Status::IOError(from + " : lecture incomplète");
    PDX_RETURN_IF_ERROR(to->Append(buf.data(), n));
    pos += n;
  }
  return pdx::Status::OK();
}

// Writes bytes (or a copy of a file) to path through a temporary file beside it,
// synced, then renamed: the destination is whole or absent.
pdx::Status EcrireFichier(pdx::Env* env, const std::string& path, const std::string* octets,
                          const std::string* depuis) {
  const std::string tmp = path + ".tmp";
  std::unique_ptr<pdx::WritableFile> f;
  PDX_RETURN_IF_ERROR(env->NewWritableFile(tmp, &f));
  pdx::Status s = octets ? f->Append(octets->data(), octets->size()) : CopierDans(env, *depuis, f.get());
  if (s.ok()) s = f->Sync();
  pdx::Status c = f->Close();
  if (s.ok()) s = c;
  if (s.ok()) s = env->RenameFile(tmp, path);
  if (!s.ok()) env->RemoveFile(tmp).IgnoreError();  // best effort: the copy's error is reported
  return s;
}

pdx::Status EcrireIni(pdx::Env* env, const std::string& path, const IniFile& ini) {
  // UTF-8 with its mark: names and host paths need not fit code page 1252.
  const std::string octets = "\xEF\xBB\xBF" + ini.ToText();
  return EcrireFichier(env, path, &octets, nullptr);
}

pdx::Status CreerRepertoire(pdx::Env* env, const std::string& dir) {
  if (env->DirExists(dir)) return pdx::Status::OK();
  pdx::Status s = env->CreateDir(dir);
  if (!s.ok() && !env->DirExists(dir)) return pdx::Status::IOError("Création du répertoire " + dir + " impossible : " + s.message());
  return pdx::Status::OK();
}

void SupprimerArbre(pdx::Env* env, const std::string& dir) {
  std::vector<std::string> noms;
  if (env->GetChildren(dir, &noms).ok())
    for (const auto& n : noms) {
      if (n == "." || n == "..") continue;
      std::string p = pdx::JoinPath(dir, n);
      // Best effort: what cannot be removed stays, and is tried again at the next pruning.
      if (env->DirExists(p)) SupprimerArbre(env, p);
      else env->RemoveFile(p).IgnoreError();
    }
  env->RemoveDir(dir).IgnoreError();  // not empty when something above stayed
}

bool EstRun(pdx::Env* env, const std::string& racine, const std::string& nom) {
  std::string dir = pdx::JoinPath(racine, nom);
  return env->DirExists(dir) && env->FileExists(pdx::JoinPath(dir, kManifesteSauvegarde));
}

pdx::Status NomsDesRuns(pdx::Env* env, const std::string& racine, std::vector<std::string>* noms) {
  noms->clear();
  if (!env->DirExists(racine)) return pdx::Status::OK();
  std::vector<std::string> tous;
  pdx::Status s = env->GetChildren(racine, &tous);
  if (!s.ok()) return pdx::Status::IOError("Lecture du répertoire des sauvegardes " + racine + " impossible : " + s.message());
  for (const auto& n : tous)
    if (n != "." && n != ".." && EstRun(env, racine, n)) noms->push_back(n);
  std::sort(noms->begin(), noms->end());
  return pdx::Status::OK();
}

pdx::Status LireIni(pdx::Env* env, const std::string& path, IniFile* ini) {
  pdx::Status s = IniFile::Load(env, path, ini);
  if (!s.ok()) return pdx::Status::IOError("Lecture de " + path + " impossible : " + s.message());
  return s;
}

pdx::Status LireAgence(pdx::Env* env, const std::string& dirRun, const std::string& dossier, AgenceSauvee* a) {
  IniFile ini;
  PDX_RETURN_IF_ERROR(LireIni(env, pdx::JoinPath(pdx::JoinPath(dirRun, dossier), kManifesteSauvegarde), &ini));
  a->dossier = dossier;
  a->code = ini.ReadString(kSectionAgence, "Code", "");
  a->nom = ini.ReadString(kSectionAgence, "Nom", "");
  long long n = ini.ReadInteger(kSectionAgence, "Tables", 0);
  for (long long i = 1; i <= n; ++i) {
    std::string sec = "Table" + std::to_string(i);
    TableSauvee t;
    t.fichier = ini.ReadString(sec, "Fichier", "");
    t.repertoire = ini.ReadString(sec, "Repertoire", "");
    t.repertoireHote = ini.ReadString(sec, "RepertoireHote", "");
    t.dossier = ini.ReadString(sec, "Dossier", "");
    t.fichiers = Separer(ini.ReadString(sec, "Fichiers", ""));
    if (!t.fichier.empty()) a->tables.push_back(std::move(t));
  }
  return pdx::Status::OK();
}

}  // namespace

std::string RacineSauvegardes(const std::string& fichierIniHote) {
  size_t p = fichierIniHote.find_last_of('/');
  std::string dir = p == std::string::npos ? "." : fichierIniHote.substr(0, p);
  if (dir.empty()) dir = "/";
  return pdx::JoinPath(dir, kRepertoireSauvegardes);
}

std::string RacineSauvegardesInstallation(const Chemins& chemins, const HostPaths& host, const std::string& fichierIni) {
  return RacineSauvegardes(fichierIni.empty() ? host.ToHost(chemins.FichierIniBde()) : fichierIni);
}

pdx::Status FichiersDeTable(pdx::Env* env, const std::string& dir, const std::string& base,
                            std::vector<std::string>* noms) {
  noms->clear();
  std::vector<std::string> tous;
  pdx::Status s = env->GetChildren(dir, &tous);
  if (!s.ok()) return pdx::Status::IOError("Lecture du répertoire " + dir + " impossible : " + s.message());
  for (const auto& n : tous) {
    if (!CommencePar(n, base + ".")) continue;
    std::string ext = Majuscules(n.substr(base.size() + 1));
    // One extension: "T.OLD.DB" belongs to table "T.OLD", staged files have two.
    if (ext.empty() || ext.find('.') != std::string::npos) continue;
    if (ext == "CVLOCK" || ext == "CVJRNL" || ext == "LCK" || ext == "TMP") continue;
    if (env->DirExists(pdx::JoinPath(dir, n))) continue;
    noms->push_back(n);
  }
  std::sort(noms->begin(), noms->end());
  return pdx::Status::OK();
}

SauvegardeRun::SauvegardeRun(pdx::Env* env, std::string racine, std::string sorte, std::time_t debut)
    : env_(env), racine_(std::move(racine)), sorte_(std::move(sorte)), debut_(debut) {}

pdx::Status SauvegardeRun::Commencer() {
  PDX_RETURN_IF_ERROR(CreerRepertoire(env_, racine_));
  std::string nom = Horodatage(debut_, "%Y-%m-%d_%H-%M-%S") + "_" + NomDeDossier(sorte_);
  // Two runs of one kind started in the same second: the later one gets a suffix.
  std::string essai = nom;
  for (int i = 2; env_->DirExists(pdx::JoinPath(racine_, essai)); ++i) essai = nom + "_" + std::to_string(i);
  std::string dir = pdx::JoinPath(racine_, essai);
  // Runs of the same second (a restoration right after its run) keep the
  // order they were made in, whatever their kinds' names.
  std::vector<std::string> existants;
  int rang = 0;
  if (NomsDesRuns(env_, racine_, &existants).ok())
    for (const auto& n : existants)
      if (n.compare(0, 19, nom, 0, 19) == 0) ++rang;
  PDX_RETURN_IF_ERROR(CreerRepertoire(env_, dir));
  IniFile ini = IniFile::FromText("");
  if (rang > 0) ini.WriteInteger(kSectionRun, "Rang", rang);
  ini.WriteString(kSectionRun, "Sorte", sorte_);
  ini.WriteString(kSectionRun, "Debut", Horodatage(debut_, "%d/%m/%Y %H:%M:%S"));
  ini.WriteString(kSectionRun, "Agences", "");
  if (!restauration_.empty()) {
    ini.WriteString(kSectionRun, "Restauration", restauration_);
    ini.WriteString(kSectionRun, "SorteRestauree", sorteRestauree_);
  }
  PDX_RETURN_IF_ERROR(EcrireIni(env_, pdx::JoinPath(dir, kManifesteSauvegarde), ini));
  PDX_RETURN_IF_ERROR(env_->SyncDir(racine_));
  nom_ = essai;
  repertoire_ = dir;
  // A failed clean-up of old backups must not stop the run that protects its data.
  if (elaguer_) ElaguerSauvegardes(env_, racine_, kSauvegardesConservees).IgnoreError();
  return pdx::Status::OK();
}

void SauvegardeRun::PourRestaurer(const RunSauve& restauree) {
  restauration_ = restauree.nom;
  sorteRestauree_ = restauree.sorte == kSorteAvantRestauration && !restauree.sorteRestauree.empty()
                        ? restauree.sorteRestauree
                        : restauree.sorte;
}

pdx::Status SauvegardeRun::EcrireManifeste(const AgenceSauvee& a, const std::string& dirAgence) {
  IniFile ini = IniFile::FromText("");
  ini.WriteString(kSectionAgence, "Code", a.code);
  ini.WriteString(kSectionAgence, "Nom", a.nom);
  ini.WriteInteger(kSectionAgence, "Tables", static_cast<long long>(a.tables.size()));
  for (size_t i = 0; i < a.tables.size(); ++i) {
    const TableSauvee& t = a.tables[i];
    std::string sec = "Table" + std::to_string(i + 1);
    ini.WriteString(sec, "Fichier", t.fichier);
    ini.WriteString(sec, "Repertoire", t.repertoire);
    ini.WriteString(sec, "RepertoireHote", t.repertoireHote);
    ini.WriteString(sec, "Dossier", t.dossier);
    ini.WriteString(sec, "Fichiers", Joindre(t.fichiers));
  }
  PDX_RETURN_IF_ERROR(EcrireIni(env_, pdx::JoinPath(dirAgence, kManifesteSauvegarde), ini));
  PDX_RETURN_IF_ERROR(env_->SyncDir(dirAgence));
  return pdx::Status::OK();
}

pdx::Status SauvegardeRun::SauverTable(const std::string& codeAgence, const std::string& nomAgence,
                                       const std::string& repertoire, const std::string& repertoireHote,
                                       const std::string& fichier) {
  const std::string dbNom = AvecExtensionDB(fichier);
  // The directory is compared in its host form, the name without case.
  std::string cle = codeAgence + '\n' + repertoireHote + '\n' + Majuscules(dbNom);
  if (faites_.count(cle)) return pdx::Status::OK();

  std::string trouve;
  std::string dbActuel = dbNom;
  if (pdx::FindFileNoCase(env_, repertoireHote, dbNom, &trouve).ok()) dbActuel = trouve.substr(trouve.rfind('/') + 1);
  const std::string base = Radical(dbActuel);
  std::vector<std::string> fichiers;
  if (env_->DirExists(repertoireHote)) PDX_RETURN_IF_ERROR(FichiersDeTable(env_, repertoireHote, base, &fichiers));

  if (nom_.empty()) {
    pdx::Status s = Commencer();
    if (!s.ok()) return pdx::Status::IOError("Sauvegarde de " + pdx::JoinPath(repertoireHote, dbActuel) + " impossible : " + s.message());
  }

  // The agency's folder and record.
  AgenceSauvee* a = nullptr;
  for (auto& x : agences_)
    if (x.code == codeAgence) a = &x;
  bool nouvelle = a == nullptr;
  if (nouvelle) {
    AgenceSauvee n;
    n.code = codeAgence;
    n.nom = nomAgence;
    std::string dossier = NomDeDossier(codeAgence);
    std::string essai = dossier;
    // Codes differing only by case or by unsafe characters get folders of their own.
    auto pris = [&](const std::string& d) {
      for (const auto& x : agences_)
        if (Majuscules(x.dossier) == Majuscules(d)) return true;
      return false;
    };
    for (int i = 2; pris(essai); ++i) essai = dossier + "~" + std::to_string(i);
    n.dossier = essai;
    agences_.push_back(std::move(n));
    a = &agences_.back();
  }
  const std::string dirAgence = pdx::JoinPath(repertoire_, a->dossier);
  pdx::Status s = CreerRepertoire(env_, dirAgence);

  TableSauvee t;
  t.fichier = dbActuel;
  t.repertoire = repertoire;
  t.repertoireHote = repertoireHote;
  // A table of the same name already saved for this agency (from another
  // directory) puts its files in a numbered sub-folder.
  int memeNom = 0;
  for (const auto& x : a->tables)
    if (Majuscules(x.fichier) == Majuscules(dbActuel)) ++memeNom;
  if (memeNom > 0) t.dossier = std::to_string(memeNom + 1);
  std::string dirFichiers = t.dossier.empty() ? dirAgence : pdx::JoinPath(dirAgence, t.dossier);
  if (s.ok() && !t.dossier.empty()) s = CreerRepertoire(env_, dirFichiers);

  for (size_t i = 0; s.ok() && i < fichiers.size(); ++i) {
    const std::string depuis = pdx::JoinPath(repertoireHote, fichiers[i]);
    s = EcrireFichier(env_, pdx::JoinPath(dirFichiers, fichiers[i]), nullptr, &depuis);
  }
  if (s.ok()) s = env_->SyncDir(dirFichiers);
  if (s.ok()) {
    t.fichiers = fichiers;
    a->tables.push_back(t);
    s = EcrireManifeste(*a, dirAgence);
    if (!s.ok()) a->tables.pop_back();
  }
  if (s.ok() && nouvelle) {
    // The run's list of agencies, in the order of the run.
    IniFile ini = IniFile::FromText("");
    IniFile ancien;
    std::string pathRun = pdx::JoinPath(repertoire_, kManifesteSauvegarde);
    if (IniFile::Load(env_, pathRun, &ancien).ok()) ini = ancien;
    std::vector<std::string> dossiers;
    for (const auto& x : agences_) dossiers.push_back(x.dossier);
    ini.WriteString(kSectionRun, "Agences", Joindre(dossiers));
    s = EcrireIni(env_, pathRun, ini);
  }
  if (!s.ok()) {
    if (nouvelle && a->tables.empty()) agences_.pop_back();
    return pdx::Status::IOError("Sauvegarde de la table " + pdx::JoinPath(repertoireHote, dbActuel) + " (agence " + codeAgence +
                                ") impossible : " + s.message());
  }
  faites_.insert(cle);
  return pdx::Status::OK();
}

pdx::Status SauvegardeFichiers::Debut(SorteTransfert sorte, std::chrono::system_clock::time_point debut) {
  run_ = std::make_unique<SauvegardeRun>(env_, racine_, NomSorte(sorte), std::chrono::system_clock::to_time_t(debut));
  return pdx::Status::OK();
}

pdx::Status SauvegardeFichiers::AvantModification(const AgenceTransfert& agence, const std::string& repertoireHote,
                                                  const std::string& fichier) {
  if (!run_) return pdx::Status::InvalidArgument("Sauvegarde demandée hors d'un traitement : " + fichier);
  return run_->SauverTable(agence.code, agence.nom, "", repertoireHote, fichier);
}

pdx::Status LireSauvegarde(pdx::Env* env, const std::string& racine, const std::string& nom, RunSauve* run) {
  if (nom.empty() || nom.find('/') != std::string::npos || nom == "." || nom == ".." || !EstRun(env, racine, nom))
    return pdx::Status::NotFound("Sauvegarde introuvable : " + nom + " (dans " + racine + ")");
  *run = RunSauve();
  run->nom = nom;
  run->repertoire = pdx::JoinPath(racine, nom);
  IniFile ini;
  PDX_RETURN_IF_ERROR(LireIni(env, pdx::JoinPath(run->repertoire, kManifesteSauvegarde), &ini));
  run->sorte = ini.ReadString(kSectionRun, "Sorte", "");
  run->debut = ini.ReadString(kSectionRun, "Debut", "");
  run->restauration = ini.ReadString(kSectionRun, "Restauration", "");
  run->sorteRestauree = ini.ReadString(kSectionRun, "SorteRestauree", "");
  run->rang = static_cast<int>(ini.ReadInteger(kSectionRun, "Rang", 0));
  for (const auto& d : Separer(ini.ReadString(kSectionRun, "Agences", ""))) {
    if (!env->FileExists(pdx::JoinPath(pdx::JoinPath(run->repertoire, d), kManifesteSauvegarde))) continue;
    AgenceSauvee a;
    PDX_RETURN_IF_ERROR(LireAgence(env, run->repertoire, d, &a));
    run->agences.push_back(std::move(a));
  }
  return pdx::Status::OK();
}

pdx::Status ListerSauvegardes(pdx::Env* env, const std::string& racine, std::vector<RunSauve>* runs) {
  runs->clear();
  std::vector<std::string> noms;
  PDX_RETURN_IF_ERROR(NomsDesRuns(env, racine, &noms));
  for (const auto& n : noms) {
    RunSauve r;
    PDX_RETURN_IF_ERROR(LireSauvegarde(env, racine, n, &r));
    runs->push_back(std::move(r));
  }
  std::stable_sort(runs->begin(), runs->end(), [](const RunSauve& a, const RunSauve& b) {
    int c = a.nom.compare(0, 19, b.nom, 0, 19);
    return c != 0 ? c < 0 : a.rang < b.rang;
  });
  return pdx::Status::OK();
}

pdx::Status ElaguerSauvegardes(pdx::Env* env, const std::string& racine, int garder) {
  std::vector<std::string> noms;
  PDX_RETURN_IF_ERROR(NomsDesRuns(env, racine, &noms));
  if (garder < 0) garder = 0;
  for (size_t i = 0; i + static_cast<size_t>(garder) < noms.size(); ++i)
    SupprimerArbre(env, pdx::JoinPath(racine, noms[i]));
  return pdx::Status::OK();
}

namespace {

struct Cible {
  const AgenceSauvee* agence = nullptr;
  const TableSauvee* table = nullptr;
  std::string dir;         // host directory of the table now
  std::string base;        // its base name as found there
  std::string sauvegarde;  // host folder of the saved files
  std::unique_ptr<pdx::TableWriteLock> verrou;
};

std::string Libelle(const Cible& c) { return pdx::JoinPath(c.dir, c.table->fichier); }

pdx::Status RestaurerTable(pdx::Env* env, const Cible& c) {
  std::vector<std::string> actuels;
  PDX_RETURN_IF_ERROR(FichiersDeTable(env, c.dir, c.base, &actuels));
  pdx::TableCommit commit(env, c.dir, c.base);
  std::vector<bool> garde(actuels.size(), false);
  for (const auto& f : c.table->fichiers) {
    // Replace the file of that name whatever its case now.
    std::string cible = f;
    for (size_t i = 0; i < actuels.size(); ++i)
      if (Majuscules(actuels[i]) == Majuscules(f)) {
        cible = actuels[i];
        garde[i] = true;
      }
    pdx::WritableFile* w = nullptr;
    PDX_RETURN_IF_ERROR(commit.Stage(cible, &w));
    PDX_RETURN_IF_ERROR(CopierDans(env, pdx::JoinPath(c.sauvegarde, f), w));
  }
  for (size_t i = 0; i < actuels.size(); ++i)
    if (!garde[i]) PDX_RETURN_IF_ERROR(commit.StageRemoval(actuels[i]));
  if (commit.empty()) return pdx::Status::OK();
  return commit.Commit();
}

}  // namespace

pdx::Status VerrouRestauration(const Session& session, const HostPaths& host, std::unique_ptr<pdx::FileLock>* verrou) {
  std::string admin = session.Directory(kAliasAdministration).value_or("");
  if (admin.empty() || !host.DirExists(admin)) return pdx::Status::OK();
  pdx::Status s = host.env()->LockFile(host.ToHost(WithTrailingBackslash(admin) + kFichierVerrouRun), verrou);
  if (s.IsBusy()) return pdx::Status::Busy(kTexteRestaurationRunEnCours);
  // Another failure (a read-only directory): no run can write there either.
  return pdx::Status::OK();
}

pdx::Status Restaurer(pdx::Env* env, const HostPaths* host, const RunSauve& run, const std::string& codeAgence,
                      RunReport& rapport, int* tablesRestaurees) {
  if (tablesRestaurees) *tablesRestaurees = 0;
  std::vector<const AgenceSauvee*> agences;
  for (const auto& a : run.agences)
    if (codeAgence.empty() || a.code == codeAgence) agences.push_back(&a);
  if (agences.empty() && !codeAgence.empty())
    for (const auto& a : run.agences)
      if (Majuscules(a.code) == Majuscules(codeAgence)) agences.push_back(&a);
  if (agences.empty() && !codeAgence.empty())
    return pdx::Status::NotFound("La sauvegarde " + run.nom + " ne contient pas l'agence " + codeAgence);

  // Everything is checked and every table locked before the first one is put back.
  std::vector<Cible> cibles;
  for (const AgenceSauvee* a : agences)
    for (const auto& t : a->tables) {
      Cible c;
      c.agence = a;
      c.table = &t;
      c.dir = host && !t.repertoire.empty() ? host->ToHost(t.repertoire) : t.repertoireHote;
      while (c.dir.size() > 1 && c.dir.back() == '/') c.dir.pop_back();
      c.sauvegarde = pdx::JoinPath(pdx::JoinPath(run.repertoire, a->dossier), t.dossier);
      if (t.dossier.empty()) c.sauvegarde = pdx::JoinPath(run.repertoire, a->dossier);
      if (!env->DirExists(c.dir))
        return pdx::Status::NotFound("Restauration impossible : le répertoire de la table " + t.fichier + " de l'agence " +
                                     a->nom + " n'existe pas : " + c.dir + ". Aucune table n'a été restaurée.");
      for (const auto& f : t.fichiers)
        if (!env->FileExists(pdx::JoinPath(c.sauvegarde, f)))
          return pdx::Status::NotFound("Restauration impossible : la sauvegarde est incomplète, le fichier " +
                                       pdx::JoinPath(c.sauvegarde, f) + " manque. Aucune table n'a été restaurée.");
      std::string trouve;
      c.base = Radical(t.fichier);
      if (pdx::FindFileNoCase(env, c.dir, AvecExtensionDB(t.fichier), &trouve).ok())
        c.base = Radical(trouve.substr(trouve.rfind('/') + 1));
      cibles.push_back(std::move(c));
    }
  for (auto& c : cibles) {
    pdx::Status s = pdx::AcquireTableWriteLock(env, c.dir, c.base, {}, &c.verrou);
    if (s.IsBusy())
      return pdx::Status::Busy("Restauration refusée : la table " + Libelle(c) + " de l'agence " + c.agence->nom +
                               " est utilisée par un autre programme (" + s.message() +
                               "). Aucune table n'a été restaurée.");
    if (!s.ok())
      return pdx::Status::IOError("Restauration refusée : la table " + Libelle(c) + " de l'agence " + c.agence->nom +
                                  " ne peut pas être verrouillée (" + s.message() + "). Aucune table n'a été restaurée.");
  }

  // A change a crash left half done is finished first: the state saved below
  // and replaced then is a whole version of each table.
  for (const auto& c : cibles) {
    pdx::Status s = pdx::RecoverTable(env, c.dir, c.base);
    if (!s.ok())
      return pdx::Status::IOError("Restauration impossible : la table " + Libelle(c) + " de l'agence " + c.agence->nom +
                                  " ne peut pas être remise en état (" + s.message() +
                                  "). Aucune table n'a été restaurée.");
  }
  // What the restoration replaces is saved first, as a run of its own, so that a
  // restoration can be undone like a transfer. No old run is removed now: the
  // one being restored may be the oldest.
  std::string racine = run.repertoire.substr(0, run.repertoire.find_last_of('/'));
  SauvegardeRun avant(env, racine, kSorteAvantRestauration, std::time(nullptr));
  avant.SansElagage();
  avant.PourRestaurer(run);
  for (const auto& c : cibles) {
    pdx::Status s = avant.SauverTable(c.agence->code, c.agence->nom, c.table->repertoire, c.dir, c.table->fichier);
    if (!s.ok()) return pdx::Status::IOError(s.message() + ". Aucune table n'a été restaurée.");
  }
  rapport.Message("Restauration de la sauvegarde : " + run.nom);
  if (!avant.Nom().empty()) rapport.Message("État des tables avant la restauration sauvegardé dans : " + avant.Nom());
  int faites = 0;
  const AgenceSauvee* courante = nullptr;
  int agencesFaites = 0;
  rapport.AgencyProgress(0, static_cast<int>(agences.size()));
  for (const auto& c : cibles) {
    if (c.agence != courante) {
      if (courante) rapport.AgencyProgress(++agencesFaites, static_cast<int>(agences.size()));
      courante = c.agence;
      rapport.AgencyLabel("Restauration de l'agence : " + c.agence->nom);
      rapport.Message("Restauration de l'agence : " + c.agence->nom + " (" + c.agence->code + ")");
    }
    pdx::Status s = RestaurerTable(env, c);
    if (!s.ok())
      return pdx::Status::IOError("Restauration de la table " + Libelle(c) + " de l'agence " + c.agence->nom +
                                  " impossible : " + s.message() + ". Tables restaurées avant l'erreur : " +
                                  std::to_string(faites) + ".");
    ++faites;
    if (tablesRestaurees) *tablesRestaurees = faites;
    rapport.Message(" => Agence  : " + c.agence->nom + " - Table restaurée : " +
                    (c.table->fichiers.empty() ? c.table->fichier + " (absente avant le traitement, supprimée)"
                                               : c.table->fichier));
  }
  rapport.AgencyProgress(static_cast<int>(agences.size()), static_cast<int>(agences.size()));
  rapport.Message("Restauration terminée : " + std::to_string(faites) + " table(s) restaurée(s).");
  return pdx::Status::OK();
}

}  // namespace corv

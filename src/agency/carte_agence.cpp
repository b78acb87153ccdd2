#include "agency/carte_agence.h"

#include <algorithm>
#include <stdexcept>

#include "agency/miroir_fournisseurs.h"
#include "data/fonctions_bd.h"
#include "util/ini.h"
#include "util/text.h"

namespace corv {
namespace {

void Exiger(const pdx::Status& s, const std::string& quoi) {
  if (!s.ok()) throw std::runtime_error(quoi + " : " + s.ToString());
}

std::string Lire(const Composant& t, const std::string& champ) {
  std::string s;
  Exiger(LireChamp(t, champ, &s), t.Fichier());
  return s;
}

}  // namespace

std::string MajusculesUtf8(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      r += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : static_cast<char>(c);
      ++i;
      continue;
    }
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    if (i + n > s.size()) {
      r += s.substr(i);
      break;
    }
    unsigned cp = 0;
    if (n == 2) cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
    unsigned up = cp;
    if (n == 2) {
      if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) up = cp - 0x20;
      else if (cp == 0xFF) up = 0x178;
      else if (cp == 0x153 || cp == 0x161 || cp == 0x17E) up = cp - 1;
    }
    if (up != cp) {
      r += static_cast<char>(0xC0 | (up >> 6));
      r += static_cast<char>(0x80 | (up & 0x3F));
    } else {
      r += s.substr(i, n);
    }
    i += n;
  }
  return r;
}

size_t NombreCaracteres(const std::string& utf8) {
  size_t n = 0;
  for (char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}



CarteAgence::CarteAgence(Application& app) : app_(app), dm_(*app.dm()) {
  const TableDef* f = TrouverTable(kAliasAdministration, "FOURNIS.DB");
  if (!f) throw std::logic_error("FOURNIS.DB missing from the dictionary");
  defFournisAgence_ = *f;
  defFournisAgence_.composants.clear();
  defFournisAgence_.creation = Creation::kAucune;
  // Only the card's own upgrade steps: Franco and ForfaitPort, MargeAveugle,
  // CoefTarif, then LivraisonCode widened. The rest is the data module's.
  if (defFournisAgence_.regles.size() > 4) defFournisAgence_.regles.resize(4);
}

CarteAgence::~CarteAgence() = default;

Composant& CarteAgence::TableAgence() { return dm_["tblAgence"]; }
Composant& CarteAgence::TableTarifs() { return dm_["tblTarifsAgence"]; }

bool CarteAgence::Ouvrir() {
  dm_.OuvrirTablesCatalogue();
  Composant& agence = TableAgence();
  if (!agence.FichierExiste()) return false;
  agence.DefinirLectureSeule(false);
  Composant& tarifs = TableTarifs();
  tarifs.DefinirLectureSeule(false);
  OuvrirTable(dm_["tblPerso"], app_.dialogs());
  if (!tarifs.Actif()) OuvrirTable(tarifs, app_.dialogs());
  Composant& fourn = dm_["tblFournisseur"];
  if (!fourn.Actif() && OuvrirTable(fourn, app_.dialogs()) != 0) return true;  // an empty grid
  FusionnerFournisseursMaj();
  fournisseurs_.clear();
  Exiger(fourn.Premier(), fourn.Fichier());
  while (!fourn.Fin()) {
    fournisseurs_.push_back({Lire(fourn, "Code"), Lire(fourn, "Nom")});
    Exiger(fourn.Suivant(), fourn.Fichier());
  }
  std::stable_sort(fournisseurs_.begin(), fournisseurs_.end(), [](const FournisseurSiege& a, const FournisseurSiege& b) {
    return CompareNoCase(a.nom, b.nom) < 0;
  });
  return true;
}

void CarteAgence::Fermer() {
  // Every table is closed even when one fails; the first failure is reported.
  pdx::Status s = dm_["tblPerso"].Fermer();
  pdx::Status t = TableTarifs().Fermer();
  if (s.ok()) s = t;
  t = dm_["tblFournisseur"].Fermer();
  if (s.ok()) s = t;
  t = dm_.FermerTablesCatalogue();
  if (s.ok()) s = t;
  Exiger(s, "Agence");
}

int CarteAgence::FusionnerFournisseursMaj() {
  if (!app_.session().Has(kAliasMaj)) return 0;
  Composant& siege = dm_["tblFournisseur"];
  ComposantDef cd;
  cd.nom = "tblFournisseurMaj";
  cd.ordre = {"Code"};
  cd.lectureSeule = true;
  Contexte ctx{&app_.session(), &app_.host()};
  TableDef def = defFournisAgence_;
  def.regles.clear();
  Composant maj(ctx, def, cd);
  Exiger(maj.DefinirAlias(kAliasMaj), maj.Fichier());
  if (!maj.FichierExiste() || !maj.Ouvrir().ok()) return 0;  // no reference list: nothing to merge
  int ajoutes = 0;
  std::vector<pdx::Value> valeurs;
  Exiger(maj.Premier(), "Maj FOURNIS.DB");
  while (!maj.Fin()) {
    pdx::Value code;
    Exiger(maj.Valeur(1, &code), "Maj FOURNIS.DB");
    bool trouve = false;
    if (!code.blank) Exiger(siege.Chercher({code}, &trouve), siege.Fichier());
    if (!code.blank && !trouve) {
      Exiger(maj.Enregistrement(&valeurs), "Maj FOURNIS.DB");
      Exiger(siege.Inserer(), siege.Fichier());
      int n = std::min({20, maj.NombreChamps(), siege.NombreChamps()});
      for (int i = 1; i <= n; ++i) {
        pdx::Value v;
        Exiger(ConvertirValeur(valeurs[static_cast<size_t>(i - 1)], maj.Champ(i).type, siege.Champ(i).type, &v),
               siege.Fichier());
        Exiger(siege.FixerValeur(i, v), siege.Fichier());
      }
      Exiger(siege.Valider(), siege.Fichier());
      ++ajoutes;
    }
    Exiger(maj.Suivant(), "Maj FOURNIS.DB");
  }
  maj.Fermer().IgnoreError();  // read only: nothing to write
  if (ajoutes) Exiger(siege.Enregistrer(), siege.Fichier());
  return ajoutes;
}

ReglagesImport CarteAgence::LireReglages() const {
  ReglagesImport r;
  IniFile ini;
  if (!IniFile::Load(app_.host().env(), app_.host().ToHost(app_.chemins().FichierImportIni()), &ini).ok()) return r;
  r.periode = ini.ReadInteger("Client", "Periode", 0);
  r.kr = std::clamp(ini.ReadFloat("Config", "KR", 1.0), 1.0, 2.0);
  r.relance = ini.ReadInteger("Config", "RDO", 0) == 99;
  return r;
}

bool CarteAgence::EcrireReglages(const ReglagesImport& r) {
  std::string chemin = app_.host().ToHost(app_.chemins().FichierImportIni());
  IniFile ini;
  pdx::Status s = IniFile::Load(app_.host().env(), chemin, &ini);
  if (!s.ok() && !s.IsNotFound()) {
    app_.dialogs().Error("Impossible de lire le fichier " + chemin + " : " + s.ToString());
    return false;
  }
  ini.WriteInteger("Client", "Periode", r.periode);
  ini.WriteFloat("Config", "KR", r.kr);
  ini.WriteInteger("Config", "RDO", r.relance ? 99 : 0);
  s = ini.Save(app_.host().env(), chemin);
  if (!s.ok()) {
    app_.dialogs().Error("Impossible d'écrire le fichier " + chemin + " : " + s.ToString());
    return false;
  }
  return true;
}

std::vector<LigneFournisseur> CarteAgence::Attachements(const std::string& agence) {
  std::vector<LigneFournisseur> lignes;
  Composant& tarifs = TableTarifs();
  for (const FournisseurSiege& f : fournisseurs_) {
    LigneFournisseur l;
    l.nom = f.nom;
    l.code = f.code;
    bool trouve = false;
    if (!agence.empty())
      Exiger(ChercherParCle(tarifs, app_.dialogs(), {pdx::Value::Text(agence), pdx::Value::Text(f.code)}, &trouve),
             tarifs.Fichier());
    if (trouve) {
      l.attache = true;
      l.texte = Lire(tarifs, "Texte");
    }
    lignes.push_back(std::move(l));
  }
  return lignes;
}

bool CarteAgence::AdministrationDuSiege(const std::string& repertoire) const {
  std::string siege = app_.host().ToHost(app_.chemins().RepertoireAdministration());
  std::string agence = app_.host().ToHost(WithTrailingBackslash(repertoire) + "Administration");
  auto norm = [](std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
  };
  return !siege.empty() && norm(siege) == norm(agence);
}

std::unique_ptr<Composant> CarteAgence::FournisseursAgence(const std::string& repertoire, bool upgrade, bool message) {
  app_.session().SetAlias(kAliasAgence, WithTrailingBackslash(repertoire) + "Administration");
  ComposantDef cd;
  cd.nom = "tblFournisseurAgence";
  cd.ordre = {"Code"};
  Contexte ctx{&app_.session(), &app_.host()};
  auto c = std::make_unique<Composant>(ctx, defFournisAgence_, cd);
  Exiger(c->DefinirAlias(kAliasAgence), c->Fichier());
  if (upgrade) c->avantOuverture = [this](Composant& x) { return dm_.AvantOuverture(x); };
  pdx::Status s = c->Ouvrir();
  if (!s.ok()) {
    if (message)
      app_.dialogs().Information("Pas de fichier Fournisseur, les modifications ne sont pas prises ne compte !");
    return nullptr;
  }
  return c;
}

void CarteAgence::SupprimerAttachements(const std::string& agence, const std::string& fournisseur) {
  Composant& tarifs = TableTarifs();
  bool supprime = true;
  while (supprime)
    Exiger(SupprimerParCle(tarifs, {pdx::Value::Text(agence), pdx::Value::Text(fournisseur)}, &supprime),
           tarifs.Fichier());
}

bool CarteAgence::EnregistrerFournisseurs(const std::string& agence, const std::string& repertoire,
                                          const std::vector<LigneFournisseur>& lignes) {
  Dialogs& d = app_.dialogs();
  if (!app_.host().FileExists(WithTrailingBackslash(repertoire) + "Administration\\Fournis.db")) {
    d.Information("Le fichier Fournis est introuvable, les modifications ne sont pas prises ne compte !");
    return false;
  }
  // An agency working in head office's own Administration shares its supplier
  // table: mirroring into it would delete head-office suppliers.
  bool miroir = !AdministrationDuSiege(repertoire);
  std::unique_ptr<Composant> fa;
  if (miroir) {
    fa = FournisseursAgence(repertoire, true, true);
    if (!fa) return false;
  }
  Composant& tarifs = TableTarifs();
  Composant& siege = dm_["tblFournisseur"];
  for (const LigneFournisseur& l : lignes) {
    std::vector<pdx::Value> cle = {pdx::Value::Text(agence), pdx::Value::Text(l.code)};
    bool trouve = false;
    if (l.attache) {
      Exiger(ChercherParCle(tarifs, d, cle, &trouve), tarifs.Fichier());
      if (trouve) {
        if (Lire(tarifs, "Texte") != l.texte) {
          Exiger(tarifs.Editer(), tarifs.Fichier());
          Exiger(tarifs.FixerValeur("Texte", l.texte.empty() ? pdx::Value::Blank() : pdx::Value::Text(l.texte)),
                 tarifs.Fichier());
          Exiger(tarifs.Valider(), tarifs.Fichier());
        }
      } else {
        Exiger(tarifs.Inserer(), tarifs.Fichier());
        Exiger(tarifs.FixerValeur("Agence", pdx::Value::Text(agence)), tarifs.Fichier());
        Exiger(tarifs.FixerValeur("Fournisseur", pdx::Value::Text(l.code)), tarifs.Fichier());
        Exiger(tarifs.FixerValeur("Famille", pdx::Value::Text("")), tarifs.Fichier());
        Exiger(tarifs.FixerValeur("Modele", pdx::Value::Text("")), tarifs.Fichier());
        Exiger(tarifs.FixerValeur("Flag", pdx::Value::Int(0)), tarifs.Fichier());
        if (!l.texte.empty()) Exiger(tarifs.FixerValeur("Texte", pdx::Value::Text(l.texte)), tarifs.Fichier());
        Exiger(tarifs.Valider(), tarifs.Fichier());
      }
      if (!fa) continue;
      bool present = false;
      Exiger(fa->Chercher({pdx::Value::Text(l.code)}, &present), fa->Fichier());
      if (!present) {
        bool auSiege = false;
        Exiger(ChercherParCle(siege, d, {pdx::Value::Text(l.code)}, &auSiege), siege.Fichier());
        if (auSiege) {
          Exiger(CopierEnregistrement(siege, *fa, true), fa->Fichier());
          Exiger(fa->Enregistrer(), fa->Fichier());
          ReporterLignesDependantes(l.code);
        }
      }
    } else {
      SupprimerAttachements(agence, l.code);
      if (!fa) continue;
      bool present = false;
      Exiger(SupprimerParCle(*fa, {pdx::Value::Text(l.code)}, &present), fa->Fichier());
    }
  }
  Exiger(tarifs.Enregistrer(), tarifs.Fichier());
  if (fa) Exiger(fa->Fermer(), fa->Fichier());
  return true;
}

void CarteAgence::ReporterLignesDependantes(const std::string& fournisseur) {
  Contexte ctx{&app_.session(), &app_.host()};
  ReporterLignesFournisseur(dm_, ctx, app_.dialogs(), kAliasAgence, fournisseur);
}

bool CarteAgence::VerifierNouveauCode(std::string* code) {
  *code = MajusculesUtf8(*code);
  if (NombreCaracteres(*code) > 10) {
    app_.dialogs().Error("Longeur maximale 10 caractères");
    return false;
  }
  if (code->empty()) return false;
  std::string cp;
  if (!Utf8ToCp1252(*code, &cp)) {
    app_.dialogs().Error("Le code " + *code + " contient un caractère que la table Agence.DB ne peut pas enregistrer");
    return false;
  }
  if (CodeExiste(*code)) {
    app_.dialogs().Error("Code déjà existant");
    return false;
  }
  return true;
}

bool CarteAgence::CodeExiste(const std::string& code) {
  bool trouve = false;
  Exiger(ChercherParCle(TableAgence(), app_.dialogs(), {pdx::Value::Text(code)}, &trouve), "Agence.DB");
  return trouve;
}

void CarteAgence::CreerAgence(const std::string& code) {
  Composant& t = TableAgence();
  Exiger(t.Inserer(), t.Fichier());
  Exiger(t.FixerValeur("Code", pdx::Value::Text(code)), t.Fichier());
  Exiger(t.FixerValeur("Nom", pdx::Value::Text("nouveau")), t.Fichier());
  Exiger(t.Valider(), t.Fichier());
  Exiger(t.Enregistrer(), t.Fichier());
}

bool CarteAgence::ChangerCodeAttachements(const std::string& ancien, const std::string& nouveau) {
  if (CodeExiste(nouveau)) {
    app_.dialogs().Error("Code déjà existant");
    return false;
  }
  Composant& tarifs = TableTarifs();
  // The walk goes on over the rows as they were read: rewriting a key does not
  // move it under the cursor.
  bool nonVide = false;
  Exiger(FiltrerTable(tarifs, app_.dialogs(), {pdx::Value::Text(ancien)}, &nonVide), tarifs.Fichier());
  while (nonVide && !tarifs.Fin()) {
    if (Lire(tarifs, "Agence") == ancien) {
      Exiger(tarifs.Editer(), tarifs.Fichier());
      Exiger(tarifs.FixerValeur("Agence", pdx::Value::Text(nouveau)), tarifs.Fichier());
      Exiger(tarifs.Valider(), tarifs.Fichier());
    }
    Exiger(tarifs.Suivant(), tarifs.Fichier());
  }
  tarifs.AnnulerPlage();
  Exiger(tarifs.Enregistrer(), tarifs.Fichier());
  return true;
}

bool CarteAgence::RepertoireExiste(const std::string& repertoire) const {
  return !repertoire.empty() && app_.host().DirExists(repertoire);
}

int CarteAgence::FigerFournisseurs(const std::string& repertoire, const std::vector<LigneFournisseur>& lignes) {
  if (AdministrationDuSiege(repertoire)) return 0;  // the same table: nothing to copy
  if (!app_.host().FileExists(WithTrailingBackslash(repertoire) + "Administration\\Fournis.db")) return 0;
  std::unique_ptr<Composant> fa = FournisseursAgence(repertoire, false, true);
  if (!fa) return 0;
  Composant& siege = dm_["tblFournisseur"];
  int n = 0;
  for (const LigneFournisseur& l : lignes) {
    if (!l.attache) continue;
    bool chezAgence = false, auSiege = false;
    Exiger(fa->Chercher({pdx::Value::Text(l.code)}, &chezAgence), fa->Fichier());
    if (!chezAgence) continue;
    Exiger(ChercherParCle(siege, app_.dialogs(), {pdx::Value::Text(l.code)}, &auSiege), siege.Fichier());
    if (!auSiege) continue;
    Exiger(CopierEnregistrement(siege, *fa, true), fa->Fichier());
    ++n;
  }
  Exiger(fa->Fermer(), fa->Fichier());
  return n;
}

std::vector<LigneEdition> CarteAgence::EditionAgence(const std::vector<LigneFournisseur>& lignes) {
  std::vector<LigneEdition> r;
  for (const LigneFournisseur& l : lignes)
    if (l.attache) r.push_back({"", l.nom});
  return r;
}

std::vector<LigneEdition> CarteAgence::EditionToutes(const std::vector<EntreeAgence>& entrees) {
  std::vector<LigneEdition> r;
  Composant& tarifs = TableTarifs();
  for (const EntreeAgence& e : entrees) {
    r.push_back({e.libelle, ""});
    for (const FournisseurSiege& f : fournisseurs_) {
      bool trouve = false;
      Exiger(ChercherParCle(tarifs, app_.dialogs(), {pdx::Value::Text(e.code), pdx::Value::Text(f.code)}, &trouve),
             tarifs.Fichier());
      if (trouve) r.push_back({"", f.nom});
    }
    r.push_back({"", ""});
  }
  return r;
}

}  // namespace corv

#include "agency/carte_agence.h"

#include <algorithm>
#include <stdexcept>

// A failure of a table, named in its context, ends the operation and goes back
// to the window, which shows it.
#define CARTE_ESSAI(expr, quoi) PDX_RETURN_IF_ERROR((expr).WithContext(quoi))

#include "agency/miroir_fournisseurs.h"
#include "data/fonctions_bd.h"
#include "util/ini.h"
#include "util/text.h"
#include "util/status_text.h"

namespace corv {
namespace {

pdx::Status Lire(const Composant& t, const std::string& champ, std::string* out) {
  return LireChamp(t, champ, out).WithContext(t.Fichier());
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

pdx::Status CarteAgence::Ouvrir(bool* ouverte) {
  *ouverte = false;
  // The price catalogue serves the product selection only: a table that could
  // not be opened was shown, and the card works on without it.
  dm_.OuvrirTablesCatalogue().IgnoreError();
  Composant& agence = TableAgence();
  if (!agence.FichierExiste()) return pdx::Status::OK();
  *ouverte = true;
  agence.DefinirLectureSeule(false);
  Composant& tarifs = TableTarifs();
  tarifs.DefinirLectureSeule(false);
  // The card works without these two: each failure was shown by OuvrirTable.
  OuvrirTable(dm_["tblPerso"], app_.dialogs()).IgnoreError();
  OuvrirTable(tarifs, app_.dialogs()).IgnoreError();
  Composant& fourn = dm_["tblFournisseur"];
  if (!OuvrirTable(fourn, app_.dialogs()).ok()) return pdx::Status::OK();  // an empty grid
  PDX_RETURN_IF_ERROR(FusionnerFournisseursMaj());
  fournisseurs_.clear();
  CARTE_ESSAI(fourn.Premier(), fourn.Fichier());
  while (!fourn.Fin()) {
    FournisseurSiege f;
    PDX_RETURN_IF_ERROR(Lire(fourn, "Code", &f.code));
    PDX_RETURN_IF_ERROR(Lire(fourn, "Nom", &f.nom));
    fournisseurs_.push_back(std::move(f));
    CARTE_ESSAI(fourn.Suivant(), fourn.Fichier());
  }
  std::stable_sort(fournisseurs_.begin(), fournisseurs_.end(), [](const FournisseurSiege& a, const FournisseurSiege& b) {
    return CompareNoCase(a.nom, b.nom) < 0;
  });
  return pdx::Status::OK();
}

pdx::Status CarteAgence::Fermer() {
  // Every table is closed even when one fails; the first failure is reported.
  pdx::Status s = dm_["tblPerso"].Fermer();
  pdx::Status t = TableTarifs().Fermer();
  if (s.ok()) s = t;
  t = dm_["tblFournisseur"].Fermer();
  if (s.ok()) s = t;
  t = dm_.FermerTablesCatalogue();
  if (s.ok()) s = t;
  return s.WithContext("Agence");
}

pdx::Status CarteAgence::FusionnerFournisseursMaj(int* ajoutes) {
  if (ajoutes) *ajoutes = 0;
  if (!app_.session().Has(kAliasMaj)) return pdx::Status::OK();
  Composant& siege = dm_["tblFournisseur"];
  ComposantDef cd;
  cd.nom = "tblFournisseurMaj";
  cd.ordre = {"Code"};
  cd.lectureSeule = true;
  Contexte ctx{&app_.session(), &app_.host()};
  TableDef def = defFournisAgence_;
  def.regles.clear();
  Composant maj(ctx, def, cd);
  CARTE_ESSAI(maj.DefinirAlias(kAliasMaj), maj.Fichier());
  if (!maj.FichierExiste() || !maj.Ouvrir().ok()) return pdx::Status::OK();  // no reference list: nothing to merge
  int n = 0;
  std::vector<pdx::Value> valeurs;
  CARTE_ESSAI(maj.Premier(), "Maj FOURNIS.DB");
  while (!maj.Fin()) {
    pdx::Value code;
    CARTE_ESSAI(maj.Valeur(1, &code), "Maj FOURNIS.DB");
    bool trouve = false;
    if (!code.blank) CARTE_ESSAI(siege.Chercher({code}, &trouve), siege.Fichier());
    if (!code.blank && !trouve) {
      CARTE_ESSAI(maj.Enregistrement(&valeurs), "Maj FOURNIS.DB");
      CARTE_ESSAI(siege.Inserer(), siege.Fichier());
      int k = std::min({20, maj.NombreChamps(), siege.NombreChamps()});
      for (int i = 1; i <= k; ++i) {
        pdx::Value v;
        CARTE_ESSAI(ConvertirValeur(valeurs[static_cast<size_t>(i - 1)], maj.Champ(i).type, siege.Champ(i).type, &v),
                    siege.Fichier());
        CARTE_ESSAI(siege.FixerValeur(i, v), siege.Fichier());
      }
      CARTE_ESSAI(siege.Valider(), siege.Fichier());
      ++n;
    }
    CARTE_ESSAI(maj.Suivant(), "Maj FOURNIS.DB");
  }
  maj.Fermer().IgnoreError();  // read only: nothing to write
  if (n) CARTE_ESSAI(siege.Enregistrer(), siege.Fichier());
  if (ajoutes) *ajoutes = n;
  return pdx::Status::OK();
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
    app_.dialogs().Error("Impossible de lire le fichier " + chemin + " : " + FrenchText(s));
    return false;
  }
  ini.WriteInteger("Client", "Periode", r.periode);
  ini.WriteFloat("Config", "KR", r.kr);
  ini.WriteInteger("Config", "RDO", r.relance ? 99 : 0);
  s = ini.Save(app_.host().env(), chemin);
  if (!s.ok()) {
    app_.dialogs().Error("Impossible d'écrire le fichier " + chemin + " : " + FrenchText(s));
    return false;
  }
  return true;
}

pdx::Status CarteAgence::Attachements(const std::string& agence, std::vector<LigneFournisseur>* lignes) {
  lignes->clear();
  Composant& tarifs = TableTarifs();
  for (const FournisseurSiege& f : fournisseurs_) {
    LigneFournisseur l;
    l.nom = f.nom;
    l.code = f.code;
    bool trouve = false;
    if (!agence.empty())
      CARTE_ESSAI(ChercherParCle(tarifs, app_.dialogs(), {pdx::Value::Text(agence), pdx::Value::Text(f.code)}, &trouve),
                  tarifs.Fichier());
    if (trouve) {
      l.attache = true;
      PDX_RETURN_IF_ERROR(Lire(tarifs, "Texte", &l.texte));
    }
    lignes->push_back(std::move(l));
  }
  return pdx::Status::OK();
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

pdx::Status CarteAgence::FournisseursAgence(const std::string& repertoire, bool upgrade, bool message,
                                            std::unique_ptr<Composant>* sortie) {
  sortie->reset();
  app_.session().SetAlias(kAliasAgence, WithTrailingBackslash(repertoire) + "Administration");
  ComposantDef cd;
  cd.nom = "tblFournisseurAgence";
  cd.ordre = {"Code"};
  Contexte ctx{&app_.session(), &app_.host()};
  auto c = std::make_unique<Composant>(ctx, defFournisAgence_, cd);
  CARTE_ESSAI(c->DefinirAlias(kAliasAgence), c->Fichier());
  if (upgrade) c->avantOuverture = [this](Composant& x) { return dm_.AvantOuverture(x); };
  pdx::Status s = c->Ouvrir();
  if (!s.ok()) {
    if (message)
      app_.dialogs().Information("Pas de fichier Fournisseur, les modifications ne sont pas prises ne compte !");
    return pdx::Status::OK();
  }
  *sortie = std::move(c);
  return pdx::Status::OK();
}

pdx::Status CarteAgence::SupprimerAttachements(const std::string& agence, const std::string& fournisseur) {
  Composant& tarifs = TableTarifs();
  bool supprime = true;
  while (supprime)
    CARTE_ESSAI(SupprimerParCle(tarifs, {pdx::Value::Text(agence), pdx::Value::Text(fournisseur)}, &supprime),
                tarifs.Fichier());
  return pdx::Status::OK();
}

pdx::Status CarteAgence::EnregistrerFournisseurs(const std::string& agence, const std::string& repertoire,
                                                 const std::vector<LigneFournisseur>& lignes, bool* ecrits) {
  if (ecrits) *ecrits = false;
  Dialogs& d = app_.dialogs();
  if (!app_.host().FileExists(WithTrailingBackslash(repertoire) + "Administration\\Fournis.db")) {
    d.Information("Le fichier Fournis est introuvable, les modifications ne sont pas prises ne compte !");
    return pdx::Status::OK();
  }
  // An agency working in head office's own Administration shares its supplier
  // table: mirroring into it would delete head-office suppliers.
  bool miroir = !AdministrationDuSiege(repertoire);
  std::unique_ptr<Composant> fa;
  if (miroir) {
    PDX_RETURN_IF_ERROR(FournisseursAgence(repertoire, true, true, &fa));
    if (!fa) return pdx::Status::OK();
  }
  Composant& tarifs = TableTarifs();
  Composant& siege = dm_["tblFournisseur"];
  Contexte ctx{&app_.session(), &app_.host()};
  for (const LigneFournisseur& l : lignes) {
    std::vector<pdx::Value> cle = {pdx::Value::Text(agence), pdx::Value::Text(l.code)};
    bool trouve = false;
    if (l.attache) {
      CARTE_ESSAI(ChercherParCle(tarifs, d, cle, &trouve), tarifs.Fichier());
      if (trouve) {
        std::string texte;
        PDX_RETURN_IF_ERROR(Lire(tarifs, "Texte", &texte));
        if (texte != l.texte) {
          CARTE_ESSAI(tarifs.Editer(), tarifs.Fichier());
          CARTE_ESSAI(tarifs.FixerValeur("Texte", l.texte.empty() ? pdx::Value::Blank() : pdx::Value::Text(l.texte)),
                      tarifs.Fichier());
          CARTE_ESSAI(tarifs.Valider(), tarifs.Fichier());
        }
      } else {
        CARTE_ESSAI(tarifs.Inserer(), tarifs.Fichier());
        CARTE_ESSAI(tarifs.FixerValeur("Agence", pdx::Value::Text(agence)), tarifs.Fichier());
        CARTE_ESSAI(tarifs.FixerValeur("Fournisseur", pdx::Value::Text(l.code)), tarifs.Fichier());
        CARTE_ESSAI(tarifs.FixerValeur("Famille", pdx::Value::Text("")), tarifs.Fichier());
        CARTE_ESSAI(tarifs.FixerValeur("Modele", pdx::Value::Text("")), tarifs.Fichier());
        CARTE_ESSAI(tarifs.FixerValeur("Flag", pdx::Value::Int(0)), tarifs.Fichier());
        if (!l.texte.empty()) CARTE_ESSAI(tarifs.FixerValeur("Texte", pdx::Value::Text(l.texte)), tarifs.Fichier());
        CARTE_ESSAI(tarifs.Valider(), tarifs.Fichier());
      }
      if (!fa) continue;
      bool present = false;
      CARTE_ESSAI(fa->Chercher({pdx::Value::Text(l.code)}, &present), fa->Fichier());
      if (!present) {
        bool auSiege = false;
        CARTE_ESSAI(ChercherParCle(siege, d, {pdx::Value::Text(l.code)}, &auSiege), siege.Fichier());
        if (auSiege) {
          CARTE_ESSAI(CopierEnregistrement(siege, *fa, true), fa->Fichier());
          CARTE_ESSAI(fa->Enregistrer(), fa->Fichier());
          PDX_RETURN_IF_ERROR(ReporterLignesFournisseur(dm_, ctx, d, kAliasAgence, l.code));
        }
      }
    } else {
      PDX_RETURN_IF_ERROR(SupprimerAttachements(agence, l.code));
      if (!fa) continue;
      bool present = false;
      CARTE_ESSAI(SupprimerParCle(*fa, {pdx::Value::Text(l.code)}, &present), fa->Fichier());
    }
  }
  CARTE_ESSAI(tarifs.Enregistrer(), tarifs.Fichier());
  if (fa) CARTE_ESSAI(fa->Fermer(), fa->Fichier());
  if (ecrits) *ecrits = true;
  return pdx::Status::OK();
}

pdx::Status CarteAgence::VerifierNouveauCode(std::string* code, bool* accepte) {
  *accepte = false;
  *code = MajusculesUtf8(*code);
  if (NombreCaracteres(*code) > 10) {
    app_.dialogs().Error("Longeur maximale 10 caractères");
    return pdx::Status::OK();
  }
  if (code->empty()) return pdx::Status::OK();
  std::string cp;
  if (!Utf8ToCp1252(*code, &cp)) {
    app_.dialogs().Error("Le code " + *code + " contient un caractère que la table Agence.DB ne peut pas enregistrer");
    return pdx::Status::OK();
  }
  bool existe = false;
  PDX_RETURN_IF_ERROR(CodeExiste(*code, &existe));
  if (existe) {
    app_.dialogs().Error("Code déjà existant");
    return pdx::Status::OK();
  }
  *accepte = true;
  return pdx::Status::OK();
}

pdx::Status CarteAgence::CodeExiste(const std::string& code, bool* existe) {
  *existe = false;
  CARTE_ESSAI(ChercherParCle(TableAgence(), app_.dialogs(), {pdx::Value::Text(code)}, existe), "Agence.DB");
  return pdx::Status::OK();
}

pdx::Status CarteAgence::CreerAgence(const std::string& code) {
  Composant& t = TableAgence();
  CARTE_ESSAI(t.Inserer(), t.Fichier());
  CARTE_ESSAI(t.FixerValeur("Code", pdx::Value::Text(code)), t.Fichier());
  CARTE_ESSAI(t.FixerValeur("Nom", pdx::Value::Text("nouveau")), t.Fichier());
  CARTE_ESSAI(t.Valider(), t.Fichier());
  CARTE_ESSAI(t.Enregistrer(), t.Fichier());
  return pdx::Status::OK();
}

pdx::Status CarteAgence::ChangerCodeAttachements(const std::string& ancien, const std::string& nouveau, bool* change) {
  *change = false;
  bool existe = false;
  PDX_RETURN_IF_ERROR(CodeExiste(nouveau, &existe));
  if (existe) {
    app_.dialogs().Error("Code déjà existant");
    return pdx::Status::OK();
  }
  Composant& tarifs = TableTarifs();
  // The walk goes on over the rows as they were read: rewriting a key does not
  // move it under the cursor.
  bool nonVide = false;
  CARTE_ESSAI(FiltrerTable(tarifs, app_.dialogs(), {pdx::Value::Text(ancien)}, &nonVide), tarifs.Fichier());
  while (nonVide && !tarifs.Fin()) {
    std::string agence;
    PDX_RETURN_IF_ERROR(Lire(tarifs, "Agence", &agence));
    if (agence == ancien) {
      CARTE_ESSAI(tarifs.Editer(), tarifs.Fichier());
      CARTE_ESSAI(tarifs.FixerValeur("Agence", pdx::Value::Text(nouveau)), tarifs.Fichier());
      CARTE_ESSAI(tarifs.Valider(), tarifs.Fichier());
    }
    CARTE_ESSAI(tarifs.Suivant(), tarifs.Fichier());
  }
  tarifs.AnnulerPlage();
  CARTE_ESSAI(tarifs.Enregistrer(), tarifs.Fichier());
  *change = true;
  return pdx::Status::OK();
}

bool CarteAgence::RepertoireExiste(const std::string& repertoire) const {
  return !repertoire.empty() && app_.host().DirExists(repertoire);
}

pdx::Status CarteAgence::FigerFournisseurs(const std::string& repertoire, const std::vector<LigneFournisseur>& lignes,
                                           int* copies) {
  if (copies) *copies = 0;
  if (AdministrationDuSiege(repertoire)) return pdx::Status::OK();  // the same table: nothing to copy
  if (!app_.host().FileExists(WithTrailingBackslash(repertoire) + "Administration\\Fournis.db"))
    return pdx::Status::OK();
  std::unique_ptr<Composant> fa;
  PDX_RETURN_IF_ERROR(FournisseursAgence(repertoire, false, true, &fa));
  if (!fa) return pdx::Status::OK();
  Composant& siege = dm_["tblFournisseur"];
  int n = 0;
  for (const LigneFournisseur& l : lignes) {
    if (!l.attache) continue;
    bool chezAgence = false, auSiege = false;
    CARTE_ESSAI(fa->Chercher({pdx::Value::Text(l.code)}, &chezAgence), fa->Fichier());
    if (!chezAgence) continue;
    CARTE_ESSAI(ChercherParCle(siege, app_.dialogs(), {pdx::Value::Text(l.code)}, &auSiege), siege.Fichier());
    if (!auSiege) continue;
    CARTE_ESSAI(CopierEnregistrement(siege, *fa, true), fa->Fichier());
    ++n;
  }
  CARTE_ESSAI(fa->Fermer(), fa->Fichier());
  if (copies) *copies = n;
  return pdx::Status::OK();
}

std::vector<LigneEdition> CarteAgence::EditionAgence(const std::vector<LigneFournisseur>& lignes) {
  std::vector<LigneEdition> r;
  for (const LigneFournisseur& l : lignes)
    if (l.attache) r.push_back({"", l.nom});
  return r;
}

pdx::Status CarteAgence::EditionToutes(const std::vector<EntreeAgence>& entrees, std::vector<LigneEdition>* r) {
  r->clear();
  Composant& tarifs = TableTarifs();
  for (const EntreeAgence& e : entrees) {
    r->push_back({e.libelle, ""});
    for (const FournisseurSiege& f : fournisseurs_) {
      bool trouve = false;
      CARTE_ESSAI(ChercherParCle(tarifs, app_.dialogs(), {pdx::Value::Text(e.code), pdx::Value::Text(f.code)}, &trouve),
                  tarifs.Fichier());
      if (trouve) r->push_back({"", f.nom});
    }
    r->push_back({"", ""});
  }
  return pdx::Status::OK();
}

}  // namespace corv

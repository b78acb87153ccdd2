#include "data/dictionnaire.h"

#include <stdexcept>

#include "data/dictionnaire_outils.h"
#include "util/text.h"

namespace corv {
namespace dico {

TableDef T(const std::string& fichier, const std::string& alias, const std::string& champs,
           const std::string& cle) {
  TableDef t;
  t.fichier = fichier;
  t.alias = alias;
  t.champs = ChampsDepuisTexte(champs);
  t.cle = ListeDepuisTexte(cle);
  return t;
}

IndexDef Ix(const std::string& nom, const std::string& champs, bool sansCasse, bool descendant) {
  IndexDef i;
  i.nom = nom;
  i.champs = ListeDepuisTexte(champs);
  i.sansCasse = sansCasse;
  i.descendant = descendant;
  return i;
}

ComposantDef C(const std::string& nom, bool lectureSeule, const std::string& fenetre) {
  ComposantDef c;
  c.nom = nom;
  c.lectureSeule = lectureSeule;
  c.fenetre = fenetre;
  return c;
}

ComposantDef CO(const std::string& nom, const std::string& ordre, bool lectureSeule) {
  ComposantDef c = C(nom, lectureSeule);
  c.ordre = ListeDepuisTexte(ordre);
  return c;
}

ComposantDef CI(const std::string& nom, const std::string& index, bool lectureSeule) {
  ComposantDef c = C(nom, lectureSeule);
  c.index = index;
  return c;
}

namespace {
ConditionMaj Cond(ConditionMaj::Sorte s, int champ = 0) {
  ConditionMaj c;
  c.sorte = s;
  c.champ = champ;
  return c;
}
}  // namespace

R& R::Nombre(int n) {
  auto c = Cond(ConditionMaj::Sorte::kNombre);
  c.valeurs = {n};
  r_.si.push_back(c);
  return *this;
}
R& R::NombreAuPlus(int n) {
  auto c = Cond(ConditionMaj::Sorte::kNombreAuPlus);
  c.valeurs = {n};
  r_.si.push_back(c);
  return *this;
}
R& R::Longueur(int champ, std::vector<int> longueurs) {
  auto c = Cond(ConditionMaj::Sorte::kLongueurDans, champ);
  c.valeurs = std::move(longueurs);
  r_.si.push_back(c);
  return *this;
}
R& R::LongueurAuPlus(int champ, int n) {
  auto c = Cond(ConditionMaj::Sorte::kLongueurAuPlus, champ);
  c.valeurs = {n};
  r_.si.push_back(c);
  return *this;
}
R& R::Nomme(int champ, const std::string& nom) {
  auto c = Cond(ConditionMaj::Sorte::kNomEgal, champ);
  c.nom = nom;
  r_.si.push_back(c);
  return *this;
}
R& R::DeType(int champ, pdx::FieldType t) {
  auto c = Cond(ConditionMaj::Sorte::kTypeEgal, champ);
  c.type = t;
  r_.si.push_back(c);
  return *this;
}
R& R::AIndex(const std::string& nom) {
  auto c = Cond(ConditionMaj::Sorte::kIndexExiste);
  c.nom = nom;
  r_.si.push_back(c);
  return *this;
}
R& R::FixerLongueur(int champ, int taille) {
  r_.action = RegleMaj::Action::kLongueur;
  r_.champ = champ;
  r_.taille = taille;
  return *this;
}
R& R::Renommer(int champ, const std::string& nom) {
  r_.action = RegleMaj::Action::kRenommer;
  r_.champ = champ;
  r_.nom = nom;
  return *this;
}
R& R::ChangerType(int champ, pdx::FieldType t, int taille) {
  r_.action = RegleMaj::Action::kType;
  r_.champ = champ;
  r_.type = t;
  r_.taille = taille;
  return *this;
}
R& R::Ajouter(const std::string& champs) {
  r_.action = RegleMaj::Action::kAjouter;
  r_.ajouts = ChampsDepuisTexte(champs);
  return *this;
}
R& R::AZero(const std::string& champ) {
  r_.aZero.push_back(champ);
  return *this;
}
R& R::Defaut(const std::string& champ, const std::string& valeur) {
  r_.defauts.emplace_back(champ, valeur);
  return *this;
}
R& R::RemplacerIndex(const std::string& ancien, IndexDef nouveau) {
  r_.action = RegleMaj::Action::kRemplacerIndex;
  r_.nom = ancien;
  r_.index = std::move(nouveau);
  return *this;
}

}  // namespace dico

namespace {

bool ParseType(const std::string& tok, pdx::FieldType* type, int* size) {
  using FT = pdx::FieldType;
  std::string letters, digits;
  size_t i = 0;
  while (i < tok.size() && !(tok[i] >= '0' && tok[i] <= '9')) letters.push_back(tok[i++]);
  while (i < tok.size() && tok[i] >= '0' && tok[i] <= '9') digits.push_back(tok[i++]);
  if (i != tok.size()) return false;
  struct Entry {
    const char* l;
    FT t;
    bool sized;
  };
  static const Entry kTypes[] = {
      {"A", FT::kAlpha, true},   {"S", FT::kShort, false},    {"I", FT::kLong, false},
      {"N", FT::kNumber, false}, {"$", FT::kMoney, false},    {"D", FT::kDate, false},
      {"TS", FT::kTimestamp, false}, {"M", FT::kMemo, true},  {"F", FT::kFmtMemo, true},
      {"G", FT::kGraphic, true}, {"B", FT::kBlob, true},      {"L", FT::kLogical, false},
      {"+", FT::kAutoInc, false}, {"T", FT::kTime, false},
  };
  for (const auto& e : kTypes) {
    if (letters != e.l) continue;
    if (e.sized != !digits.empty() && !(e.t == FT::kBlob && digits.empty())) return false;
    *type = e.t;
    *size = digits.empty() ? 0 : std::stoi(digits);
    return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> ListeDepuisTexte(const std::string& texte) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos <= texte.size()) {
    size_t sc = texte.find(';', pos);
    if (sc == std::string::npos) sc = texte.size();
    std::string item = Trim(texte.substr(pos, sc - pos));
    if (!item.empty()) out.push_back(item);
    pos = sc + 1;
  }
  return out;
}

std::vector<ChampDef> ChampsDepuisTexte(const std::string& texte) {
  std::vector<ChampDef> out;
  size_t pos = 0;
  while (pos < texte.size()) {
    size_t comma = texte.find(',', pos);
    if (comma == std::string::npos) comma = texte.size();
    std::string item = Trim(texte.substr(pos, comma - pos));
    pos = comma + 1;
    if (item.empty()) continue;
    size_t sp = item.find_last_of(' ');
    if (sp == std::string::npos) throw std::invalid_argument("field without a type: " + item);
    ChampDef c;
    c.nom = Trim(item.substr(0, sp));
    if (c.nom.size() >= 3 && c.nom.compare(0, 2, "U'") == 0 && c.nom.back() == '\'')
      c.nom = c.nom.substr(2, c.nom.size() - 3);
    if (!ParseType(item.substr(sp + 1), &c.type, &c.taille) || c.nom.empty())
      throw std::invalid_argument("bad field: " + item);
    out.push_back(c);
  }
  return out;
}

pdx::FieldDesc DescripteurChamp(const ChampDef& c) {
  using FT = pdx::FieldType;
  pdx::FieldDesc d;
  d.name = c.nom;
  d.type = c.type;
  switch (c.type) {
    case FT::kAlpha: d.size = static_cast<uint16_t>(c.taille); break;
    case FT::kShort: d.size = 2; break;
    case FT::kLong: case FT::kAutoInc: case FT::kDate: case FT::kTime: d.size = 4; break;
    case FT::kNumber: case FT::kMoney: case FT::kTimestamp: d.size = 8; break;
    case FT::kLogical: d.size = 1; break;
    // Blob fields keep `taille` bytes of the value in the record plus 10 bytes of
    // reference to the .MB file.
    default: d.size = static_cast<uint16_t>(c.taille + 10); break;
  }
  return d;
}

int TableDef::NumeroChamp(const std::string& nom) const {
  for (size_t i = 0; i < champs.size(); ++i)
    if (EqualsNoCase(champs[i].nom, nom)) return static_cast<int>(i + 1);
  return 0;
}

const IndexDef* TableDef::Index(const std::string& nom) const {
  for (const auto& i : index)
    if (EqualsNoCase(i.nom, nom)) return &i;
  return nullptr;
}

const ComposantDef* TableDef::Composant(const std::string& nom) const {
  for (const auto& c : composants)
    if (c.nom == nom) return &c;
  return nullptr;
}

const std::vector<TableDef>& Dictionnaire() {
  static const std::vector<TableDef> kTables = [] {
    std::vector<TableDef> v;
    dico::AjouterAdministration(&v);
    dico::AjouterDossiers(&v);
    dico::AjouterTarifs(&v);
    return v;
  }();
  return kTables;
}

const std::vector<TableMemoireDef>& TablesMemoire() {
  static const std::vector<TableMemoireDef> kMem = [] {
    std::vector<TableMemoireDef> v;
    auto M = [&v](const char* nom, const char* proprietaire, const char* champs) {
      v.push_back({nom, proprietaire, ChampsDepuisTexte(champs)});
    };
    M("rmdTarif", "TDM", "Code A2, Fournisseur A2, Index S");
    M("rmdLien", "TDM", "Groupe S, Famille A2, Modele A2, Groupebis S, Famillebis A2, Modelebis A2, Code A2, Fournisseur A2");
    M("rxmdMesDocs", "TFicheCopieDocumentVersAgence",
      "Externe S, IdDocument I, IdTypeDocument I, Libelle A50, Description A255, DateCreation TS, Lien A255, "
      "LienFlag S, Fournisseur A2, Famille A2, Modele A2, TypeTva S, Popup S, DossierNumero A10, CodeClient A10, "
      "Print S");
    M("rxmdMesDocsType", "TFicheCopieDocumentVersAgence", "Externe S, IdTypeDocument I, IdParent I, Libelle A50");
    // Importance holds the 32-bit value of "Message.DB".
    M("rxmdMessage", "TFicheCopieMessagerieVersAgence",
      "Externe S, IdMessage I, IdTypeMessage I, Libelle A255, DateCreation TS, Importance I, Lien A255, "
      "Fournisseur A2, Famille A2, Modele A2, DateDebut TS, DateFin TS");
    M("rxmdMessageType", "TFicheCopieMessagerieVersAgence", "Externe S, IdTypeMessage I, Libelle A50");
    // Libelle is as wide as in "Perso.DB", so a 50-character label arrives whole.
    M("rxmdPerso", "TFicheCopiePersoVersAgence",
      "Groupe S, Famille A2, Modele A2, Fournisseur A2, Produit A2, Libelle A50, Flag S");
    M("rxmdRemise", "TFicheCopieRemiseAchatVersAgence",
      "Type S, Fournisseur A2, Client A10, TypeGroupe S, Groupe A2, R1 N, R2 N, CoefTarif N");
    M("rxmdFournisseur", "TFicheCopieRemiseAchatVersAgence", "Fournisseur A2");
    M("rxmdClient", "TFicheNettoyageClients", "Code A10, Existe L");
    return v;
  }();
  return kMem;
}

const TableDef* TrouverTable(const std::string& alias, const std::string& fichier) {
  for (const auto& t : Dictionnaire())
    if (EqualsNoCase(t.alias, alias) && EqualsNoCase(t.fichier, fichier)) return &t;
  return nullptr;
}

const TableDef* TableDuComposant(const std::string& composant, const std::string& fenetre) {
  for (const auto& t : Dictionnaire())
    for (const auto& c : t.composants)
      if (c.nom == composant && c.fenetre == fenetre) return &t;
  return nullptr;
}

const TableMemoireDef* TrouverTableMemoire(const std::string& nom) {
  for (const auto& m : TablesMemoire())
    if (m.nom == nom) return &m;
  return nullptr;
}

namespace {

bool Holds(const ConditionMaj& c, const std::vector<ChampDef>& f, const std::vector<std::string>& idx) {
  using S = ConditionMaj::Sorte;
  int n = static_cast<int>(f.size());
  if (c.sorte == S::kNombre) return n == c.valeurs[0];
  if (c.sorte == S::kNombreAuPlus) return n <= c.valeurs[0];
  if (c.sorte == S::kIndexExiste) {
    for (const auto& i : idx)
      if (EqualsNoCase(i, c.nom)) return true;
    return false;
  }
  if (c.champ < 1 || c.champ > n) return false;
  const ChampDef& d = f[static_cast<size_t>(c.champ - 1)];
  switch (c.sorte) {
    case S::kLongueurDans:
      for (int v : c.valeurs)
        if (d.taille == v) return true;
      return false;
    case S::kLongueurAuPlus: return d.taille <= c.valeurs[0];
    case S::kNomEgal: return EqualsNoCase(d.nom, c.nom);
    case S::kTypeEgal: return d.type == c.type;
    default: return false;
  }
}

}  // namespace

PlanMaj PlanifierMaj(const TableDef& t, const std::vector<ChampDef>& actuels,
                     const std::vector<std::string>& indexActuels) {
  PlanMaj p;
  p.champs = actuels;
  std::vector<std::string> idx = indexActuels;
  for (const auto& r : t.regles) {
    bool ok = true;
    for (const auto& c : r.si) ok = ok && Holds(c, p.champs, idx);
    if (!ok) continue;
    auto field = [&]() -> ChampDef* {
      if (r.champ < 1 || r.champ > static_cast<int>(p.champs.size())) return nullptr;
      return &p.champs[static_cast<size_t>(r.champ - 1)];
    };
    switch (r.action) {
      case RegleMaj::Action::kLongueur:
        if (ChampDef* f = field()) {
          f->taille = r.taille;
          p.restructurer = true;
        }
        break;
      case RegleMaj::Action::kRenommer:
        if (ChampDef* f = field()) {
          f->nom = r.nom;
          p.restructurer = true;
        }
        break;
      case RegleMaj::Action::kType:
        if (ChampDef* f = field()) {
          f->type = r.type;
          f->taille = r.taille;
          p.restructurer = true;
        }
        break;
      case RegleMaj::Action::kAjouter:
        p.champs.insert(p.champs.end(), r.ajouts.begin(), r.ajouts.end());
        p.aZero.insert(p.aZero.end(), r.aZero.begin(), r.aZero.end());
        p.defauts.insert(p.defauts.end(), r.defauts.begin(), r.defauts.end());
        p.restructurer = true;
        break;
      case RegleMaj::Action::kRemplacerIndex:
        p.indexSupprimes.push_back(r.nom);
        p.indexAjoutes.push_back(r.index);
        std::erase_if(idx, [&](const std::string& s) { return EqualsNoCase(s, r.nom); });
        idx.push_back(r.index.nom);
        break;
    }
  }
  return p;
}

}  // namespace corv

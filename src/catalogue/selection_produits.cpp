#include "catalogue/selection_produits.h"

#include <sstream>

#include "data/dm.h"
#include "data/fonctions_bd.h"
#include "util/dialogs.h"

namespace corv {

namespace {

constexpr const char* kRacine = "QvrMajProduits";
constexpr const char* kFamilles = "FAMILLES";
constexpr int kGroupe = 1;  // the product group the selection covers

bool Lettre(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80; }

}  // namespace

bool NomElementValide(const std::string& code) {
  if (code.empty()) return false;
  auto c0 = static_cast<unsigned char>(code[0]);
  if (!Lettre(c0) && c0 != '_') return false;
  for (char ch : code) {
    auto c = static_cast<unsigned char>(ch);
    if (!Lettre(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.' && c != '_') return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// DocumentSelection

DocumentSelection::DocumentSelection() { Preparer(); }

void DocumentSelection::Preparer() {
  pugi::xml_node racine = doc_.document_element();
  if (!racine) racine = doc_.append_child(kRacine);
  familles_ = racine.child(kFamilles);
  if (!familles_) familles_ = racine.append_child(kFamilles);
}

bool DocumentSelection::Charger(const std::string& texte, std::string* erreur) {
  doc_.reset();
  bool ok = true;
  if (!texte.empty()) {
    pugi::xml_parse_result r = doc_.load_buffer(texte.data(), texte.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!r) {
      if (erreur) *erreur = std::string(r.description()) + " (position " + std::to_string(r.offset) + ")";
      doc_.reset();
      ok = false;
    }
  }
  Preparer();
  return ok;
}

pugi::xml_node DocumentSelection::Famille(const std::string& famille) const {
  if (famille.empty()) return {};
  return familles_.child(famille.c_str());
}

bool DocumentSelection::FamilleCochee(const std::string& famille) const { return static_cast<bool>(Famille(famille)); }

bool DocumentSelection::ModeleCoche(const std::string& famille, const std::string& modele) const {
  pugi::xml_node f = Famille(famille);
  return f && !modele.empty() && f.child(modele.c_str());
}

void DocumentSelection::CocherFamille(const std::string& famille, bool coche) {
  if (famille.empty()) return;
  if (coche) {
    if (!Famille(famille)) familles_.append_child(famille.c_str());
    return;
  }
  // A text written elsewhere may name a family twice: none may stay.
  while (pugi::xml_node f = Famille(famille)) familles_.remove_child(f);
}

void DocumentSelection::CocherModele(const std::string& famille, const std::string& modele, bool coche) {
  if (famille.empty() || modele.empty()) return;
  pugi::xml_node f = Famille(famille);
  if (coche) {
    if (!f) f = familles_.append_child(famille.c_str());
    if (!f.child(modele.c_str())) f.append_child(modele.c_str());
    return;
  }
  if (!f) return;
  while (pugi::xml_node m = f.child(modele.c_str())) f.remove_child(m);
}

std::vector<std::string> DocumentSelection::Familles() const {
  std::vector<std::string> out;
  for (pugi::xml_node f = familles_.first_child(); f; f = f.next_sibling())
    if (f.type() == pugi::node_element) out.emplace_back(f.name());
  return out;
}

std::string DocumentSelection::Texte() const {
  bool vide = true;
  for (pugi::xml_node f = familles_.first_child(); f && vide; f = f.next_sibling())
    vide = f.type() != pugi::node_element;
  if (vide) return "";
  std::ostringstream out;
  doc_.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

// ---------------------------------------------------------------------------
// SelectionProduits

SelectionProduits::SelectionProduits(TDM& dm, Dialogs& dialogs, const std::string& selection)
    : dm_(dm), dialogs_(dialogs), original_(selection) {
  std::string erreur;
  if (!doc_.Charger(selection, &erreur)) erreurLecture_ = erreur.empty() ? "texte illisible" : erreur;
}

void SelectionProduits::SignalerTexteIllisible() {
  if (erreurLecture_.empty() || signale_) return;
  signale_ = true;
  dialogs_.Warning("La sélection de produits enregistrée pour ce fournisseur n'est pas un document XML lisible (" +
                   erreurLecture_ +
                   ").\nElle est conservée telle quelle tant que vous ne cochez ni ne décochez rien ; "
                   "une nouvelle sélection la remplacera.");
}

void SelectionProduits::Toucher() { modifie_ = true; }

std::string SelectionProduits::Texte() const {
  // An unreadable text the user has not replaced goes back as it came.
  if (!erreurLecture_.empty() && !modifie_) return original_;
  return doc_.Texte();
}

bool SelectionProduits::Accepter(const std::string& code) {
  if (NomElementValide(code)) return true;
  dialogs_.Error("Le code « " + code +
                 " » ne peut pas être enregistré dans la sélection : un nom d'élément XML commence par une lettre "
                 "et ne contient que des lettres, des chiffres, « - », « . » ou « _ ».");
  return false;
}

bool SelectionProduits::CocherFamille(const std::string& famille, bool coche) {
  if (coche && !Accepter(famille)) return false;
  Toucher();
  doc_.CocherFamille(famille, coche);
  return true;
}

bool SelectionProduits::CocherModele(const std::string& famille, const std::string& modele, bool coche) {
  if (coche && (!Accepter(famille) || !Accepter(modele))) return false;
  Toucher();
  doc_.CocherModele(famille, modele, coche);
  return true;
}

pdx::Status SelectionProduits::FamilleRetenue(const std::string& famille, bool* retenue) {
  *retenue = false;
  if (fournisseur_ == "GX" && (famille == "VZ" || famille == "QW")) return pdx::Status::OK();
  if (!fournisseur_.empty()) {
    PDX_RETURN_IF_ERROR(ChercherParCle(dm_["tblProduitFns"], dialogs_,
                                       {pdx::Value::Text(fournisseur_), pdx::Value::Int(kGroupe),
                                        pdx::Value::Text(famille)},
                                       retenue));
    return pdx::Status::OK();
  }
  *retenue = true;
  return pdx::Status::OK();
}

pdx::Status SelectionProduits::ModeleRetenu(const std::string& famille, const std::string& modele, bool* retenu) {
  *retenu = true;
  if (fournisseur_.empty()) return pdx::Status::OK();
  return ChercherParCle(dm_["tblProduitFns"], dialogs_,
                        {pdx::Value::Text(fournisseur_), pdx::Value::Int(kGroupe), pdx::Value::Text(famille),
                         pdx::Value::Text(modele)},
                        retenu);
}

pdx::Status SelectionProduits::Familles(std::vector<ElementSelection>* out) {
  out->clear();
  Composant& t = dm_["tblFamilleOrdre"];
  const std::string indexDefaut = t.DefComposant().index;
  PDX_RETURN_IF_ERROR(t.DefinirIndex("Ordre"));
  bool nonVide = false;
  pdx::Status s = FiltrerTable(t, dialogs_, {pdx::Value::Int(kGroupe)}, &nonVide);
  for (; s.ok() && !t.Fin(); s = t.Suivant()) {
    std::string code, nom, observation;
    s = LireChamp(t, "Code", &code);
    if (s.ok()) s = LireChamp(t, "Nom", &nom);
    if (s.ok()) s = LireChamp(t, "Observation", &observation);
    bool retenue = false;
    if (s.ok()) s = FamilleRetenue(code, &retenue);
    if (!s.ok()) break;
    if (retenue) out->push_back({code, nom + " " + observation, doc_.FamilleCochee(code)});
  }
  // Left as the other readers of the data module expect it.
  t.AnnulerPlage();
  pdx::Status f = t.Fermer();
  pdx::Status i = t.DefinirIndex(indexDefaut);
  if (s.ok()) s = f;
  if (s.ok()) s = i;
  return s;
}

pdx::Status SelectionProduits::Modeles(const std::string& famille, std::vector<ElementSelection>* out) {
  out->clear();
  Composant& t = dm_["tblModeleOrdre"];
  bool nonVide = false;
  pdx::Status s = FiltrerTable(t, dialogs_, {pdx::Value::Int(kGroupe), pdx::Value::Text(famille)}, &nonVide);
  for (; s.ok() && !t.Fin(); s = t.Suivant()) {
    std::string code, nom;
    s = LireChamp(t, "Code", &code);
    if (s.ok()) s = LireChamp(t, "Nom", &nom);
    bool retenu = false;
    if (s.ok()) s = ModeleRetenu(famille, code, &retenu);
    if (!s.ok()) break;
    if (retenu) out->push_back({code, nom, doc_.ModeleCoche(famille, code)});
  }
  t.AnnulerPlage();
  return s;
}

}  // namespace corv

#pragma once
// The product selection of one supplier of one agency: which product families,
// and which models of each family, the agency receives. The selection is kept
// as a small XML document held as text:
//
//   <QvrMajProduits><FAMILLES><FE><A1/><B2/></FE><VR/></FAMILLES></QvrMajProduits>
//
// one element per ticked family under "FAMILLES", named by the family code, and
// under it one element per ticked model, named by the model code.
//
// Contract:
//  - The lists come from the price catalogue (database QuintrelTarifs): families
//    of group 1 of "FAMILLE.DB" in the order of its index "Ordre", models of
//    group 1 of the family in "MODELE.DB" order (Groupe;Famille;Index). With a
//    supplier code, a family (a model) is listed only when "TARIF.DB" holds a
//    product of that supplier in group 1 for it; supplier "GX" never lists the
//    families "VZ" and "QW".
//  - A selection text that is not well-formed XML is reported once and kept as
//    it is until the user ticks or unticks something; from then on the selection
//    starts afresh.
//  - A code that cannot be an XML element name (it would start with a digit, for
//    instance) cannot be ticked: the refusal is shown and nothing changes.
//  - Texte() is "" when no family is ticked, else the whole document.
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "paradox/status.h"

namespace corv {

class Dialogs;
class TDM;

// One entry of the family or model list.
struct ElementSelection {
  std::string code;
  std::string texte;  // what the list shows
  bool coche = false;
};

// The XML selection document alone (no table).
class DocumentSelection {
 public:
  DocumentSelection();
  // Replaces the document by the text ("" = nothing selected). False when the
  // text is not well-formed XML (*erreur says why; the document is then empty).
  bool Charger(const std::string& texte, std::string* erreur);

  bool FamilleCochee(const std::string& famille) const;
  bool ModeleCoche(const std::string& famille, const std::string& modele) const;
  // Ticking creates the element (and, for a model, its family's); unticking a
  // family removes it with its models, unticking a model removes the model only.
  void CocherFamille(const std::string& famille, bool coche);
  void CocherModele(const std::string& famille, const std::string& modele, bool coche);
  // Codes of the ticked families, in document order.
  std::vector<std::string> Familles() const;
  // "" when "FAMILLES" has no child element, else the document as text.
  std::string Texte() const;

 private:
  void Preparer();
  pugi::xml_node Famille(const std::string& famille) const;

  pugi::xml_document doc_;
  pugi::xml_node familles_;
};

// True when the code can name an XML element (letter or '_' first, then letters,
// digits, '-', '.', '_').
bool NomElementValide(const std::string& code);

class SelectionProduits {
 public:
  // selection: the supplier's current selection text.
  SelectionProduits(TDM& dm, Dialogs& dialogs, const std::string& selection);

  void DefinirFournisseur(const std::string& code) { fournisseur_ = code; }
  const std::string& Fournisseur() const { return fournisseur_; }

  // Shows the warning about an unreadable selection text, once (no-op otherwise).
  void SignalerTexteIllisible();
  bool TexteIllisible() const { return !erreurLecture_.empty(); }

  // The family list: group 1 of "FAMILLE.DB" in its order, filtered for the
  // supplier; the table is closed again afterwards. An error of a table is
  // returned after OuvrirTable's box (when it could not be opened).
  pdx::Status Familles(std::vector<ElementSelection>* out);
  // The model list of a family, filtered for the supplier.
  pdx::Status Modeles(const std::string& famille, std::vector<ElementSelection>* out);

  bool FamilleCochee(const std::string& famille) const { return doc_.FamilleCochee(famille); }
  bool ModeleCoche(const std::string& famille, const std::string& modele) const {
    return doc_.ModeleCoche(famille, modele);
  }
  // False when refused (the code cannot name an XML element; the box is shown).
  bool CocherFamille(const std::string& famille, bool coche);
  bool CocherModele(const std::string& famille, const std::string& modele, bool coche);

  // The selection text the window leaves.
  std::string Texte() const;

  // The family filter and the model filter for the current supplier.
  pdx::Status FamilleRetenue(const std::string& famille, bool* retenue);
  pdx::Status ModeleRetenu(const std::string& famille, const std::string& modele, bool* retenu);

 private:
  bool Accepter(const std::string& code);
  void Toucher();

  TDM& dm_;
  Dialogs& dialogs_;
  std::string fournisseur_;
  std::string original_;       // the text given
  std::string erreurLecture_;  // why it could not be read ("" = it could)
  bool signale_ = false;
  bool modifie_ = false;
  DocumentSelection doc_;
};

}  // namespace corv

#pragma once
// The table dictionary: one declarative definition per table file (its named
// database, fields in record order, primary key, secondary indexes, the
// components that present it, how it is created when missing and how an older
// file is brought to the current layout) and one per memory table. Creation,
// upgrade and opening all read these definitions; nothing else describes a
// table's layout.
//
// Contract:
//  - Field, file and index names are kept exactly, case included: they are the
//    stored format shared with the agencies' installations.
//  - A field's `taille` is the declared size: characters for alpha, the bytes
//    kept in the record for memo/graphic/formatted memo, 0 for the other types
//    (whose size follows from their type). DescripteurChamp gives the engine's
//    record size.
//  - The dictionary is immutable and built once; lookups return nullptr when a
//    name is unknown.
#include <optional>
#include <string>
#include <vector>

#include "paradox/types.h"

namespace corv {

struct ChampDef {
  std::string nom;
  pdx::FieldType type = pdx::FieldType::kAlpha;
  int taille = 0;
  bool operator==(const ChampDef&) const = default;
};

struct IndexDef {
  std::string nom;
  std::vector<std::string> champs;
  bool unique = false;
  bool sansCasse = false;
  bool descendant = false;
  bool operator==(const IndexDef&) const = default;
};

struct ComposantDef {
  std::string nom;
  std::vector<std::string> ordre;  // field list presenting the rows ("order"), or
  std::string index;               // a secondary index by name; both empty = primary
  bool lectureSeule = false;
  std::string fenetre;  // owning window; "" = the data module
};

// How a missing file is created on open.
enum class Creation {
  kAucune,        // not created: opening a missing file fails
  kDefinition,    // created from these definitions (the data module's creation list)
  kParComposant,  // created from the component's field and first index definitions
};

// One condition of an upgrade rule; every condition of a rule must hold.
struct ConditionMaj {
  enum class Sorte { kNombre, kNombreAuPlus, kLongueurDans, kLongueurAuPlus, kNomEgal, kTypeEgal, kIndexExiste };
  Sorte sorte = Sorte::kNombre;
  int champ = 0;                 // field number (from 1) for the field conditions
  std::vector<int> valeurs;      // count or lengths
  std::string nom;               // field or index name
  pdx::FieldType type = pdx::FieldType::kAlpha;
};

// One upgrade rule: when its conditions hold on the current layout, its action
// changes it. Rules run in order, each seeing the layout left by the previous.
struct RegleMaj {
  enum class Action { kLongueur, kRenommer, kType, kAjouter, kRemplacerIndex };
  std::vector<ConditionMaj> si;
  Action action = Action::kAjouter;
  int champ = 0;                    // kLongueur, kRenommer, kType
  int taille = 0;                   // kLongueur, kType
  std::string nom;                  // kRenommer: new name; kRemplacerIndex: index removed
  pdx::FieldType type = pdx::FieldType::kAlpha;  // kType
  std::vector<ChampDef> ajouts;     // kAjouter
  std::vector<std::string> aZero;   // kAjouter: "UPDATE <file> set X = 0" for each X
  std::vector<std::pair<std::string, std::string>> defauts;  // kAjouter: field, default value text
  IndexDef index;                   // kRemplacerIndex: index added
};

struct TableDef {
  std::string fichier;
  std::string alias;
  std::vector<ChampDef> champs;
  std::vector<std::string> cle;  // primary key = these leading fields; empty = not keyed
  std::vector<IndexDef> index;   // secondary indexes
  std::vector<ComposantDef> composants;
  Creation creation = Creation::kAucune;
  std::vector<RegleMaj> regles;

  // Field number (from 1) by name, compared without case; 0 when absent.
  int NumeroChamp(const std::string& nom) const;
  const IndexDef* Index(const std::string& nom) const;
  const ComposantDef* Composant(const std::string& nom) const;
};

struct TableMemoireDef {
  std::string nom;
  std::string proprietaire;  // owning window or module
  std::vector<ChampDef> champs;
};

// Every table file, head office's named databases in order.
const std::vector<TableDef>& Dictionnaire();
const std::vector<TableMemoireDef>& TablesMemoire();

// A table by named database and file name (both without case).
const TableDef* TrouverTable(const std::string& alias, const std::string& fichier);
// The table of a component; window "" = the data module's own components.
const TableDef* TableDuComposant(const std::string& composant, const std::string& fenetre = "");
const TableMemoireDef* TrouverTableMemoire(const std::string& nom);

// The engine's descriptor of a field (record size from type and declared size).
pdx::FieldDesc DescripteurChamp(const ChampDef& c);

// Parses "Code A10, Nom A30, Observation M1, Id +" (the last word of each item is
// the type with its size; a name written U'...' is the text between quotes).
// Throws std::invalid_argument on a bad item.
std::vector<ChampDef> ChampsDepuisTexte(const std::string& texte);
// "Type;Fournisseur;Client" -> list; empty items are dropped.
std::vector<std::string> ListeDepuisTexte(const std::string& texte);

// The result of running a table's upgrade rules on a file's layout.
struct PlanMaj {
  std::vector<ChampDef> champs;  // layout after every rule
  bool restructurer = false;     // some field rule fired
  std::vector<std::string> aZero;  // fields to set to 0 on every existing row, in order
  std::vector<std::pair<std::string, std::string>> defauts;
  std::vector<std::string> indexSupprimes;
  std::vector<IndexDef> indexAjoutes;
  bool Vide() const { return !restructurer && indexSupprimes.empty() && indexAjoutes.empty(); }
};

PlanMaj PlanifierMaj(const TableDef& t, const std::vector<ChampDef>& actuels,
                     const std::vector<std::string>& indexActuels);

}  // namespace corv

#pragma once
// A table component: one way of presenting a table file of the catalogue (its
// named database, its file, the order or index it reads through, whether it is
// read-only). It stays closed until opened; opening runs its BeforeOpen handler
// first (the data module's creation and upgrade of the file), then opens the
// file in the named database's current directory, so a component re-pointed at
// an agency reads the agency's file.
//
// Contract:
//  - The directory is asked from the session at every open (never cached).
//  - Field numbers start at 1 and follow the open file's layout.
//  - The current index is the component's order (an index by name, a field
//    list, or the primary key) until changed; ranges and key searches use it.
//  - A failure leaves the component closed and says which file, where and why.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "data/session.h"
#include "paradox/status.h"
#include "paradox/table.h"
#include "util/winpath.h"

namespace corv {

// What a component needs to reach its file.
struct Contexte {
  Session* session = nullptr;
  HostPaths* host = nullptr;
};

class Composant {
 public:
  Composant(const Contexte& ctx, const TableDef& def, const ComposantDef& comp);
  ~Composant();
  Composant(const Composant&) = delete;
  Composant& operator=(const Composant&) = delete;

  const std::string& Nom() const { return comp_.nom; }
  const TableDef& Def() const { return def_; }
  const ComposantDef& DefComposant() const { return comp_; }
  const std::string& Fichier() const { return def_.fichier; }
  const std::string& Alias() const { return alias_; }
  // Another named database for the same file (closes the component first).
  void DefinirAlias(const std::string& alias);
  bool LectureSeule() const { return lectureSeule_; }
  void DefinirLectureSeule(bool v) { lectureSeule_ = v; }

  // The named database's current directory (Windows form, "" when unknown) and
  // its host form.
  std::string Repertoire() const;
  std::string RepertoireHote() const;
  bool FichierExiste() const;

  // Run before every open; an error stops the open.
  std::function<pdx::Status(Composant&)> avantOuverture;
  // Run after every posted record.
  std::function<pdx::Status(Composant&)> apresValidation;

  pdx::Status Ouvrir();
  void Fermer();
  bool Actif() const { return table_ != nullptr; }

  // The current index: by name ("" = primary) or by its field list.
  pdx::Status DefinirIndex(const std::string& nom);
  pdx::Status DefinirOrdre(const std::vector<std::string>& champs);
  // Field numbers of the current index (the primary key fields for "primary").
  std::vector<int> ChampsIndexCourant() const;

  pdx::Status Premier();
  pdx::Status Suivant();
  bool Fin() const;
  pdx::Status Chercher(const std::vector<pdx::Value>& cle, bool* trouve);
  pdx::Status DefinirPlage(const std::vector<pdx::Value>& debut, const std::vector<pdx::Value>& fin);
  void AnnulerPlage();

  int NombreChamps() const;
  const pdx::FieldDesc& Champ(int numero) const;
  int NumeroChamp(const std::string& nom) const;
  uint32_t NombreEnregistrements() const;
  pdx::Status Valeur(int numero, pdx::Value* v) const;
  pdx::Status Texte(int numero, std::string* s) const;
  // The current record's values in field order.
  pdx::Status Enregistrement(std::vector<pdx::Value>* valeurs) const;

  pdx::Table* table() const { return table_.get(); }
  pdx::Cursor* curseur() const { return cursor_.get(); }

 private:
  pdx::Status AppliquerOrdre();
  pdx::Status Verifier(int numero) const;

  Contexte ctx_;
  const TableDef& def_;
  ComposantDef comp_;
  std::string alias_;
  bool lectureSeule_;
  std::string index_;               // current index by name
  std::vector<std::string> ordre_;  // or by field list
  std::unique_ptr<pdx::Table> table_;
  std::unique_ptr<pdx::Cursor> cursor_;
};

}  // namespace corv

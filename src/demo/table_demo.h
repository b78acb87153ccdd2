#pragma once
// Writing one table of the demo installation from its dictionary definition.
//
// A table is written at the dictionary's current layout, or at an older layout
// derived from it (its first n fields, with the field changes the upgrade rules
// undo), so that the data module's upgrades have something to do. Rows are
// filled by field name: a field the layout does not have is skipped, so the same
// generating code writes every layout. Alpha text longer than its field is cut
// to the field's length (the demo's texts are all in code page 1252).
//
// Contract: every failure names the table and its directory; a table is
// created complete or the status says why.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/dictionnaire.h"
#include "paradox/env.h"
#include "paradox/status.h"
#include "paradox/writer.h"

namespace corv::demo {

struct Disposition {
  std::vector<ChampDef> champs;
  std::vector<std::string> cle;
  std::vector<IndexDef> index;
  int blocKiB = 0;  // 0: the engine's choice
};

// A field change of an older layout: field `champ` (from 1) is replaced by `ancien`.
struct Retouche {
  int champ = 0;
  ChampDef ancien;
};

// The dictionary's layout of t.
Disposition Actuelle(const TableDef& t);
// The first `nombre` fields of t with the given retouches; secondary indexes
// over fields the older layout lacks are dropped.
Disposition Ancienne(const TableDef& t, int nombre, const std::vector<Retouche>& retouches = {});

// The engine's definition of a layout.
pdx::TableDefinition DefinitionMoteur(const Disposition& d);

// The dictionary table of a named database and file; throws std::logic_error when
// the dictionary has none (a generator bug, not a data error).
const TableDef& Def(const char* alias, const char* fichier);

class TableDemo {
 public:
  // Creates the table in hostDir (which must exist).
  static pdx::Status Creer(pdx::Env* env, const std::string& hostDir, const TableDef& t, const Disposition& d,
                           std::unique_ptr<TableDemo>* out);

  // Field index (from 0) in this layout, -1 when the layout lacks it.
  int Champ(const std::string& nom) const;

  // A row being filled; values start blank.
  class Ligne {
   public:
    explicit Ligne(const TableDemo& t) : t_(&t), v_(t.nombreChamps_) {}
    Ligne& Txt(const std::string& nom, const std::string& s) { return Txt(t_->Champ(nom), s); }
    Ligne& Int(const std::string& nom, int64_t i) { return Int(t_->Champ(nom), i); }
    Ligne& Num(const std::string& nom, double d) { return Num(t_->Champ(nom), d); }
    Ligne& Date(const std::string& nom, double jour) { return Num(t_->Champ(nom), jour); }
    Ligne& Txt(int champ, const std::string& s);
    Ligne& Int(int champ, int64_t i);
    Ligne& Num(int champ, double d);
    Ligne& Vide(int champ);
    const std::vector<pdx::Value>& valeurs() const { return v_; }

   private:
    const TableDemo* t_;
    std::vector<pdx::Value> v_;
  };
  Ligne Nouvelle() const { return Ligne(*this); }

  pdx::Status Ajouter(const Ligne& l);
  size_t Nombre() const { return nombre_; }
  // Writes everything and releases the table.
  pdx::Status Fermer();
  const std::string& Fichier() const { return fichier_; }

 private:
  TableDemo() = default;
  std::unique_ptr<pdx::TableWriter> w_;
  std::string fichier_;
  std::vector<ChampDef> champs_;
  std::unordered_map<std::string, int> index_;  // upper-case name -> index
  size_t nombreChamps_ = 0;
  size_t nombre_ = 0;
};

// Creates the table, adds the rows made by `remplir`, and closes it.
template <typename F>
pdx::Status Ecrire(pdx::Env* env, const std::string& hostDir, const TableDef& t, const Disposition& d, F&& remplir,
                   size_t* nombre = nullptr) {
  std::unique_ptr<TableDemo> tab;
  pdx::Status s = TableDemo::Creer(env, hostDir, t, d, &tab);
  if (!s.ok()) return s;
  s = remplir(*tab);
  if (!s.ok()) return s;
  if (nombre) *nombre = tab->Nombre();
  return tab->Fermer();
}

// Cuts UTF-8 text to at most n characters.
std::string Couper(const std::string& s, size_t n);

}  // namespace corv::demo

#pragma once
// The data module: one object owning a component for every table component of
// the dictionary that belongs to it (windows make their own with
// NouveauComposant), and the memory tables rmdTarif and rmdLien.
//
// Contract:
//  - Components stay closed until a caller opens them. Every open of a data
//    module component runs its open handler first: a missing file whose
//    definition says so is created from the dictionary; an existing file goes
//    through the table's upgrade rules, in order, and is rewritten only when a
//    rule fires (a file already at its layout is opened as it is). Field
//    changes go through the engine's restructure (all or nothing, validity
//    file kept in step), then the zero assignments and index changes in one
//    more commit; when the engine cannot convert a field (a number becoming
//    text) or write a row back, the whole upgrade is built aside and swapped in
//    at once (maj_table.h). Storage errors of the handler stop the open and are
//    returned, never shown here.
//  - The dossier tables force their pending changes to disk after each posted
//    record.
//  - The session, paths and dialogs outlive the module.
#include <memory>
#include <string>
#include <vector>

#include "data/composant.h"
#include "data/memtable.h"
#include "util/dialogs.h"

namespace corv {

class TDM {
 public:
  TDM(Session& session, HostPaths& host, Dialogs& dialogs);

  // A component of the module by name; nullptr when unknown.
  Composant* Table(const std::string& nom);
  Composant& operator[](const std::string& nom);  // throws std::out_of_range
  const std::vector<std::unique_ptr<Composant>>& Composants() const { return composants_; }

  // A window's own component (e.g. "_tblAgence" of "TFicheTDB"), with the
  // module's open handler; nullptr when the dictionary has none.
  std::unique_ptr<Composant> NouveauComposant(const std::string& nom, const std::string& fenetre);

  // Opens the price catalogue tables through OuvrirTable, rebuilding the index
  // "Fns" of "TARIF.DB" when tblProduitFns cannot be opened. Every table is
  // tried; the first that could not be opened is returned (each was already
  // shown by OuvrirTable).
  [[nodiscard]] pdx::Status OuvrirTablesCatalogue();
  // Closes them all; the first failure to write pending changes, if any.
  pdx::Status FermerTablesCatalogue();

  // The open handler (exposed for window components and tests).
  pdx::Status AvantOuverture(Composant& c);

  MemTable rmdTarif;
  MemTable rmdLien;

 private:
  Contexte ctx_;
  Dialogs& dialogs_;
  std::vector<std::unique_ptr<Composant>> composants_;
};

// The components OuvrirTablesCatalogue opens, in order (tblProduitFns included).
const std::vector<std::string>& TablesCatalogue();

}  // namespace corv
